#include "ForwardingObserver.h"

#include "ArchiveJob.h"

// Each call takes the window's observer along, never this object: the run may have ended, and this
// object with it, by the time the window's thread gets to the call.

void ForwardingObserver::FileProgressVisible(bool visible)
{
    job_.Post([&window = window_, visible] { window.FileProgressVisible(visible); });
}

void ForwardingObserver::FileProgress(double share)
{
    job_.Post([&window = window_, share] { window.FileProgress(share); });
}

void ForwardingObserver::Busy(bool busy)
{
    job_.Post([&window = window_, busy] { window.Busy(busy); });
}

bool ForwardingObserver::StopRequested() { return job_.StopRequested(); }

void ForwardingObserver::WaitFor(std::function<void()> shown)
{
    job_.AskWindow<bool>(
        [shown = std::move(shown)] {
            shown();
            return true;
        },
        false);
}

void ForwardingObserver::ShowFailure(const QString &title, const QString &text)
{
    WaitFor([&window = window_, title, text] { window.ShowFailure(title, text); });
}

void ForwardingObserver::DestinationUnavailable(const QString &folder, const QString &reason)
{
    WaitFor([&window = window_, folder, reason] { window.DestinationUnavailable(folder, reason); });
}

void ForwardingObserver::WaitingForFolder(const QString &folder)
{
    job_.Post([&window = window_, folder] { window.WaitingForFolder(folder); });
}

void ForwardingObserver::FolderNotRemembered(const QString &folder, const QString &reason)
{
    WaitFor([&window = window_, folder, reason] { window.FolderNotRemembered(folder, reason); });
}

void ForwardingObserver::FileLeftOut(const QString &memberLine, const QString &namedFile)
{
    job_.Post([&window = window_, memberLine, namedFile] { window.FileLeftOut(memberLine, namedFile); });
}

void ForwardingObserver::FileChangedWhileRead(const QString &memberLine, const QString &filePath)
{
    job_.Post([&window = window_, memberLine, filePath] { window.FileChangedWhileRead(memberLine, filePath); });
}

bool ForwardingObserver::ArchiveWithoutMissing(const QString &memberLine)
{
    return job_.AskWindow<bool>([&window = window_, memberLine] { return window.ArchiveWithoutMissing(memberLine); },
                                false);
}

void ForwardingObserver::GroupStarted(qsizetype projectCount)
{
    job_.Post([&window = window_, projectCount] { window.GroupStarted(projectCount); });
}

void ForwardingObserver::ProjectStarted(const QString &projectPath)
{
    job_.Post([&window = window_, projectPath] { window.ProjectStarted(projectPath); });
}

void ForwardingObserver::ProjectArchived(qsizetype archivedCount, const QString &archivePath)
{
    job_.Post([&window = window_, archivedCount, archivePath] { window.ProjectArchived(archivedCount, archivePath); });
}

void ForwardingObserver::EarlierArchiveUsed(const EarlierArchiveUse &use)
{
    job_.Post([&window = window_, use] { window.EarlierArchiveUsed(use); });
}

void ForwardingObserver::ProjectUnchanged(const QString &earlierArchive, const QString &stamp)
{
    job_.Post([&window = window_, earlierArchive, stamp] { window.ProjectUnchanged(earlierArchive, stamp); });
}

std::optional<QString> ForwardingObserver::AskPassword(const QString &archivePath, bool wrongBefore)
{
    return job_.AskWindow<std::optional<QString>>(
        [&window = window_, archivePath, wrongBefore] { return window.AskPassword(archivePath, wrongBefore); },
        std::nullopt);
}

bool ForwardingObserver::RestoreIncompleteArchive(const QString &archivePath, const QStringList &missing)
{
    return job_.AskWindow<bool>(
        [&window = window_, archivePath, missing] { return window.RestoreIncompleteArchive(archivePath, missing); },
        false);
}

bool ForwardingObserver::RestoreUnsoundArchive(const QString &archivePath, const QStringList &problems)
{
    return job_.AskWindow<bool>(
        [&window = window_, archivePath, problems] { return window.RestoreUnsoundArchive(archivePath, problems); },
        false);
}

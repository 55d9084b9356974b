#include "TerminalObserver.h"

#include "Terminal.h"

#include <unistd.h>

TerminalObserver::TerminalObserver(bool quiet) : quiet_(quiet), showProgress_(!quiet && ::isatty(STDERR_FILENO)) {}

TerminalObserver::~TerminalObserver() { EndProgressLine(); }

// The share of the project's files read and compressed, then written (of a restore, the archive
// checked, then extracted), redrawn when its percentage changes.
void TerminalObserver::FileProgress(double share)
{
    const int percent = qRound(share * 100);
    if (percent == percentShown_)
        return;
    percentShown_ = percent;
    ShowProgress(QStringLiteral("%1 %2 %").arg(project_).arg(percent));
}

void TerminalObserver::ShowProgress(const QString &text)
{
    if (!showProgress_)
        return;
    // "\r" and clearing to the end of the line redraw the one progress line in place.
    Err() << '\r' << text.trimmed() << "\x1b[K";
    Err().flush();
    progressShown_ = true;
}

void TerminalObserver::EndProgressLine()
{
    if (!progressShown_)
        return;
    Err() << "\r\x1b[K";
    Err().flush();
    progressShown_ = false;
}

// The project is named: in a group, the failure must say which project it stopped.
void TerminalObserver::ShowFailure(const QString &title, const QString &text)
{
    EndProgressLine();
    Err() << title << (project_.isEmpty() ? QString() : " (" + project_ + ")") << ": "
          << QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")) << '\n';
    Err().flush();
}

void TerminalObserver::DestinationUnavailable(const QString &folder, const QString &reason)
{
    EndProgressLine();
    Err() << "The destination folder cannot be created: " << folder << '\n' << reason << '\n';
    Err().flush();
}

void TerminalObserver::WaitingForFolder(const QString &folder)
{
    EndProgressLine();
    Err() << "waiting: another run of Quenzar is writing into " << folder << '\n';
    Err().flush();
}

void TerminalObserver::FolderNotRemembered(const QString &, const QString &reason)
{
    EndProgressLine();
    Err() << "warning: the last backup folder could not be remembered: " << reason << '\n';
    Err().flush();
}

void TerminalObserver::FileLeftOut(const QString &memberLine, const QString &namedFile)
{
    EndProgressLine();
    const char *without = dryRun_ ? "it would be archived without it" : "archived without it";
    if (namedFile.isEmpty())
        Err() << "warning: " << memberLine << ": the file is missing or cannot be read; " << without << '\n';
    else
        Err() << "warning: " << memberLine << " names " << namedFile << ", which is missing beside it; " << without
              << '\n';
    Err().flush();
}

void TerminalObserver::FileChangedWhileRead(const QString &memberLine, const QString &filePath)
{
    EndProgressLine();
    Err() << "warning: " << memberLine << ": " << filePath << " changed while it was read; archived without it\n";
    Err().flush();
}

bool TerminalObserver::RestoreUnsoundArchive(const QString &archivePath, const QStringList &problems)
{
    EndProgressLine();
    for (const QString &problem : problems)
        Err() << "warning: " << archivePath << " is not sound: " << problem << '\n';
    Err().flush();
    return true;
}

// The earlier archive stands for the project: scripts that read the written paths find it there.
void TerminalObserver::ProjectUnchanged(const QString &earlierArchive, const QString &stamp)
{
    EndProgressLine();
    if (pathsPrinted_) {
        Out() << earlierArchive << '\n';
        Out().flush();
    }
    Err() << "unchanged since " << stamp << '\n';
    Err().flush();
}

void TerminalObserver::EarlierArchiveUsed(const EarlierArchiveUse &use)
{
    EndProgressLine();
    if (!use.Unreadable.isEmpty())
        Err() << "warning: the earlier archive " << use.Archive << " cannot be read (" << use.Unreadable
              << "); every file compressed afresh\n";
    for (const QString &damage : use.Damaged)
        Err() << "warning: the earlier archive " << use.Archive << " is damaged at " << damage
              << "; compressed afresh\n";
    if (use.Reused > 0 && !quiet_)
        Err() << "reused " << use.Reused << " unchanged entries of " << use.Archive << '\n';
    Err().flush();
}

// Standard output keeps to the archive paths that scripts read; what the project needs where it
// opens follows on standard error.
void TerminalObserver::ProjectArchived(qsizetype, const QString &archivePath)
{
    EndProgressLine();
    if (!pathsPrinted_)
        return;
    Out() << archivePath << '\n';
    Out().flush();
    if (quiet_ || !components_ || components_->total() == 0)
        return;
    const auto counted = [](qsizetype count, const char *one, const char *more) {
        return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : more));
    };
    Err() << "components: " << counted(components_->controls, "control", "controls") << ", "
          << counted(components_->libraries, "library", "libraries") << " to register where the project opens";
    if (components_->providedByWindows > 0)
        Err() << ", " << components_->providedByWindows << " provided by Windows";
    if (components_->fromProjects > 0)
        Err() << ", " << components_->fromProjects << " built by another project of the group";
    Err() << " (quenzar-cli list names them)\n";
    Err().flush();
}

#pragma once

#include "ArchiveObserver.h"

class ArchiveJob;

// The observer a run on an ArchiveJob's worker thread is given: every call goes to the window's
// observer, on the window's thread, in the run's order. Bars and status lines go without waiting;
// message boxes and questions wait for the window, as the run did when it ran on the window's
// thread, so that they come one at a time and in order. Once the run is asked to stop, a question
// gets the answer that ends the run soonest and no box is shown.
class ForwardingObserver : public ArchiveObserver {
public:
    ForwardingObserver(ArchiveJob &job, ArchiveObserver &window) : job_(job), window_(window) {}

    void FileProgressVisible(bool visible) override;
    void FileProgress(double share) override;
    void Busy(bool busy) override;
    bool StopRequested() override;
    void ShowFailure(const QString &title, const QString &text) override;
    void DestinationUnavailable(const QString &folder, const QString &reason) override;
    void WaitingForFolder(const QString &folder) override;
    void FolderNotRemembered(const QString &folder, const QString &reason) override;
    void FileLeftOut(const QString &memberLine, const QString &namedFile) override;
    void FileChangedWhileRead(const QString &memberLine, const QString &filePath) override;
    bool ArchiveWithoutMissing(const QString &memberLine) override;
    void GroupStarted(qsizetype projectCount) override;
    void ProjectStarted(const QString &projectPath) override;
    void ProjectArchived(qsizetype archivedCount, const QString &archivePath) override;
    void EarlierArchiveUsed(const EarlierArchiveUse &use) override;
    void ProjectUnchanged(const QString &earlierArchive, const QString &stamp) override;
    std::optional<QString> AskPassword(const QString &archivePath, bool wrongBefore) override;
    bool RestoreIncompleteArchive(const QString &archivePath, const QStringList &missing) override;
    bool RestoreUnsoundArchive(const QString &archivePath, const QStringList &problems) override;

private:
    // A message box the window shows: the run goes on once it is closed.
    void WaitFor(std::function<void()> shown);

    ArchiveJob &job_;
    ArchiveObserver &window_;
};

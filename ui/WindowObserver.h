#pragma once

#include "ArchiveObserver.h"

class QLabel;
class QWidget;

// Shows archiving and restoring in the main window: the file bar VistaProg1, the project bar
// VistaProg2 and the status line Label2, the hourglass, message boxes, the password prompt. Used on
// the window's thread only: a run on a thread of its own reaches it through ForwardingObserver.
class WindowObserver : public ArchiveObserver {
public:
    WindowObserver(QWidget *window, QWidget *fileBar, QWidget *projectBar, QLabel *status);
    ~WindowObserver() override;

    void FileProgressVisible(bool visible) override;
    void FileProgress(double share) override;
    void Busy(bool busy) override;
    void ShowFailure(const QString &title, const QString &text) override;
    void DestinationUnavailable(const QString &folder, const QString &reason) override;
    void WaitingForFolder(const QString &folder) override;
    void FolderNotRemembered(const QString &folder, const QString &reason) override;
    void GroupStarted(qsizetype projectCount) override;
    void ProjectStarted(const QString &projectPath) override;
    void ProjectArchived(qsizetype archivedCount, const QString &archivePath) override;
    std::optional<QString> AskPassword(const QString &archivePath, bool wrongBefore) override;
    bool RestoreUnsoundArchive(const QString &archivePath, const QStringList &problems) override;
    bool RestoreIncompleteArchive(const QString &archivePath, const QStringList &missing) override;
    bool ArchiveWithoutMissing(const QString &memberLine) override;

private:
    bool AskRestoreAllTheSame(const QString &heading, const QString &archivePath, const QStringList &reasons);

    // A message box needs the normal pointer; the hourglass comes back for what follows.
    template <typename Ask>
    auto WithNormalPointer(Ask ask)
    {
        const bool wasBusy = busy_;
        Busy(false);
        auto answer = ask();
        Busy(wasBusy);
        return answer;
    }

    QWidget *window_;
    QWidget *fileBar_;
    QWidget *projectBar_;
    QLabel *status_;
    bool busy_ = false;
};

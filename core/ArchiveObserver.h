#pragma once

#include "ProjectComponents.h"
#include "ZipWriter.h"

#include <QString>
#include <QStringList>
#include <optional>

// What archiving and restoring tell the face that runs them: the window moves its progress bars,
// shows the hourglass and its message boxes, the command-line tool prints. Every call has a
// do-nothing default, so a caller overrides only what it shows. Every call comes on the thread the
// run is on, which for the window is a thread of its own.
class ArchiveObserver {
public:
    virtual ~ArchiveObserver() = default;

    // The file progress bar: whether it shows, and the share of the work on the project at hand,
    // 0.0 to 1.0: its files read and compressed, then written; in a restore, the archive checked,
    // then extracted.
    virtual void FileProgressVisible(bool) {}
    virtual void FileProgress(double /*share*/) {}
    // The hourglass, for the whole of a long operation.
    virtual void Busy(bool) {}
    // Whether the user asked the run to stop. Asked between steps, and by the zip engine between
    // chunks of a write or an extraction: a run told so removes what it had begun and ends as
    // cancelled, without a failure.
    virtual bool StopRequested() { return false; }

    // A failure that the user must be told of, with its title and text.
    virtual void ShowFailure(const QString & /*title*/, const QString & /*text*/) {}
    // The destination folder cannot be made or locked (reason says why): nothing is archived.
    virtual void DestinationUnavailable(const QString & /*folder*/, const QString & /*reason*/) {}
    // Another run is writing into the backup folder: this one waits for it to end.
    virtual void WaitingForFolder(const QString & /*folder*/) {}
    // The folder of the archives could not be remembered as the last backup folder (reason says
    // why); the archives are written all the same.
    virtual void FolderNotRemembered(const QString & /*folder*/, const QString & /*reason*/) {}
    // A file of a member line is left out of the archive and recorded in its comment as missing:
    // the member's own file (namedFile empty) or a file the member names that is not beside it.
    virtual void FileLeftOut(const QString & /*memberLine*/, const QString & /*namedFile*/) {}
    // A file of a member line changed each time it was read (saved again while it was archived): it
    // is left out and recorded the same way, as a file that cannot be read.
    virtual void FileChangedWhileRead(const QString & /*memberLine*/, const QString & /*filePath*/) {}
    // The archive failed at a member file that does not exist (its line): whether to archive the
    // project again without the missing files, recording them in the archive's comment.
    virtual bool ArchiveWithoutMissing(const QString & /*memberLine*/) { return false; }

    // The group progress bar, and each project being archived, alone or in a group.
    virtual void GroupStarted(qsizetype /*projectCount*/) {}
    virtual void ProjectStarted(const QString & /*projectPath*/) {}
    virtual void ProjectArchived(qsizetype /*archivedCount*/, const QString & /*archivePath*/) {}
    // The controls and libraries the project at hand needs where it opens (its Object= and
    // Reference= lines), told once its project file has been read; none of them is archived.
    virtual void ComponentsNeeded(const QList<ComponentLine> & /*components*/) {}
    // An archive was written with an earlier archive of the project at hand.
    virtual void EarlierArchiveUsed(const EarlierArchiveUse & /*use*/) {}
    // The project is as its earlier archive holds it (of that stamp): nothing was written.
    virtual void ProjectUnchanged(const QString & /*earlierArchive*/, const QString & /*stamp*/) {}

    // An archive holds protected entries: the password to try, or nothing to give up.
    // wrongBefore: the previous answer did not open it.
    virtual std::optional<QString> AskPassword(const QString & /*archivePath*/, bool /*wrongBefore*/)
    {
        return std::nullopt;
    }
    // The archive to restore was written without files that were missing (its comment's lines):
    // whether to restore what it holds.
    virtual bool RestoreIncompleteArchive(const QString & /*archivePath*/, const QStringList & /*missing*/)
    {
        return true;
    }
    // The archive to restore would not give back a working project (problems says why): whether to
    // restore what it holds all the same.
    virtual bool RestoreUnsoundArchive(const QString & /*archivePath*/, const QStringList & /*problems*/)
    {
        return true;
    }
};

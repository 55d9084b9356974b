#pragma once

#include "ArchiveObserver.h"
#include "ArchivingState.h"
#include "BackupFolderLock.h"
#include "Interruption.h"
#include "Outcome.h"
#include "ZipWriter.h"

#include <QSet>
#include <QStringList>
#include <functional>
#include <optional>

// One archive command, as the window and quenzar-cli both run it: the destination is made and
// remembered as the last backup folder, then the project, or each project of a group, is archived
// into it. Each face only shows what the observer is told.

// Remembers the folder of the archives just written (RememberLastBackupFolder), or says why not.
using RememberFolder = std::function<Outcome<void>(const QString &folder)>;

// An archive written without some of its files, and what its comment records of them.
struct IncompleteArchive {
    QString Archive;
    QStringList Missing;
};

// What a run did with one project, or in a dry run would do.
struct ProjectArchive {
    QString Project;        // the project file
    QString Archive;        // the archive written; for an unchanged project, the earlier one standing for it
    bool Written = false;   // false: the project was found unchanged
    QString UnchangedSince; // the earlier archive's stamp, when unchanged
    QStringList Missing;    // what the archive is written without
    EarlierArchiveUse Reuse;
    std::vector<ZipWriter::PlannedEntry> Entries; // a dry run's: what would be stored
};

struct ArchiveRunResult {
    QString BackupFolder;                // where the archives go
    QStringList Archives;                // written, in order
    QList<IncompleteArchive> Incomplete; // those of them written with files missing
    QStringList FailedProjects;          // as the user or the group gave them, in order
    QStringList Unchanged;               // earlier archives standing for projects found unchanged
    QStringList Removed;                 // older archives (or stamp folders) removed as Choices.Keep asked
    QStringList NotRemoved;              // "PATH: reason" for those that could not be
    bool DestinationReady = false;       // the folder was made: false, nothing was archived
    bool Complete = false;               // false: a project failed, the observer was shown why; or cancelled
    bool Cancelled = false;              // the observer asked the run to stop: it did, showing no failure
    bool FolderRemembered = false;       // BackupFolder is now the last backup folder
    QList<ProjectArchive> Projects;      // in order, each project archived or found unchanged
    QString DestinationProblem;          // a dry run's: why the folder could not be made or written into
};

// What a run holds while it works in its backup folder: the lock that keeps other runs out, and
// the folder itself when the run made it, to be removed again if the run is interrupted before
// anything of it is kept there.
struct HeldBackupFolder {
    BackupFolderLock Lock;
    Interruption::Registration MadeFolder;
};

// Makes the folder and remembers it, then takes the lock on lockFolder (the folder itself, or the
// group's folder above its stamp folders), waiting while another run holds it. Nothing, the
// observer told why, when the folder cannot be made or locked: nothing may be archived then; nothing
// either, run.Cancelled set, when the observer asks to stop while waiting. A folder that cannot be
// remembered is told and the run goes on.
[[nodiscard]] std::optional<HeldBackupFolder> PrepareBackupFolder(ArchiveRunResult &run, ArchiveObserver &observer,
                                                                  const RememberFolder &remember,
                                                                  const QString &lockFolder);

// A dry run's look at the folder, instead of making and locking it: nothing is made or written, and
// DestinationProblem says why the run would find it unusable.
void LookAtBackupFolder(ArchiveRunResult &run);

// Archives one project as prepared, into state.BackupFolder under the first archive name that
// neither a file there nor an archive of this run (taken, updated) has; when it fails at a missing
// member file, the observer may have it archived again without the missing files
// (ArchiveWithoutMissing). Adds the archive to run. With Choices.IfChanged, the archive is kept
// only when it differs from the newest earlier archive of the project in earlierFolders (newest
// first), and that archive reads whole. The caller holds the folder's lock. False when it failed,
// or was cancelled (run.Cancelled set). A dry run (Choices.DryRun) writes nothing and tells the
// observer nothing of archives: run holds what it would do.
[[nodiscard]] bool ArchivePreparedProject(const QString &projectFile, ArchivingState state, ArchiveObserver &observer,
                                          ArchiveRunResult &run, const QStringList &earlierFolders,
                                          QSet<QString> &taken);

// Archives one project into state.BackupFolder, as prepared by PrepareProject; then, when
// Choices.Keep asks and the archive was written, removes the project's older archives there. A dry
// run neither makes, locks nor remembers the folder, nor removes anything: run says what it would do.
[[nodiscard]] ArchiveRunResult RunProject(const QString &projectFile, const ArchivingState &state,
                                          ArchiveObserver &observer, const RememberFolder &remember);

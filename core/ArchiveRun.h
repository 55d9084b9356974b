#pragma once

#include "ArchiveObserver.h"
#include "ArchivingState.h"
#include "Outcome.h"

#include <QStringList>
#include <functional>

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

struct ArchiveRunResult {
    QString BackupFolder;                // where the archives go
    QStringList Archives;                // written, in order
    QList<IncompleteArchive> Incomplete; // those of them written with files missing
    QStringList FailedProjects;          // as the user or the group gave them, in order
    QStringList Unchanged;               // earlier archives standing for projects found unchanged
    bool DestinationReady = false;       // the folder was made: false, nothing was archived
    bool Complete = false;               // false: a project failed, the observer was shown why
    bool FolderRemembered = false;       // BackupFolder is now the last backup folder
};

// Makes the folder and remembers it. False, the observer told, when the folder cannot be made:
// nothing may be archived then. A folder that cannot be remembered is told and the run goes on.
[[nodiscard]] bool PrepareBackupFolder(ArchiveRunResult &run, ArchiveObserver &observer,
                                       const RememberFolder &remember);

// Archives one project as prepared; when it fails at a missing member file, the observer may have
// it archived again without the missing files (ArchiveWithoutMissing). Adds the archive to run.
// With Choices.IfChanged, the archive is first written aside and kept only when it differs from the
// newest earlier archive of the project in earlierFolders (newest first).
[[nodiscard]] bool ArchivePreparedProject(const QString &projectFile, ArchivingState state, ArchiveObserver &observer,
                                          ArchiveRunResult &run, const QStringList &earlierFolders);

// Archives one project into state.BackupFolder, as prepared by PrepareProject.
[[nodiscard]] ArchiveRunResult RunProject(const QString &projectFile, const ArchivingState &state,
                                          ArchiveObserver &observer, const RememberFolder &remember);

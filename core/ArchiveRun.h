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

struct ArchiveRunResult {
    QString BackupFolder;          // where the archives go
    QStringList Archives;          // written, in order
    bool DestinationReady = false; // the folder was made: false, nothing was archived
    bool Complete = false;         // false: the run stopped at a failure the observer was shown
    bool FolderRemembered = false; // BackupFolder is now the last backup folder
};

// Makes the folder and remembers it. False, the observer told, when the folder cannot be made:
// nothing may be archived then. A folder that cannot be remembered is told and the run goes on.
[[nodiscard]] bool PrepareBackupFolder(ArchiveRunResult &run, ArchiveObserver &observer,
                                       const RememberFolder &remember);

// Archives one project into state.BackupFolder, as prepared by PrepareProject.
[[nodiscard]] ArchiveRunResult RunProject(const QString &projectFile, const ArchivingState &state,
                                          ArchiveObserver &observer, const RememberFolder &remember);

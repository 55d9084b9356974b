#include "ArchiveRun.h"

#include "ArchiveBuilder.h"
#include "OperationsFichiers.h"

#include <QFileInfo>

bool PrepareBackupFolder(ArchiveRunResult &run, ArchiveObserver &observer, const RememberFolder &remember)
{
    MakeDirs(run.BackupFolder);
    if (!QFileInfo(run.BackupFolder).isDir()) {
        observer.DestinationUnavailable(run.BackupFolder);
        return false;
    }
    run.DestinationReady = true;
    const Outcome<void> remembered = remember(run.BackupFolder);
    run.FolderRemembered = bool(remembered);
    if (!remembered)
        observer.FolderNotRemembered(run.BackupFolder, remembered.error());
    return true;
}

ArchiveRunResult RunProject(const QString &projectFile, const ArchivingState &state, ArchiveObserver &observer,
                            const RememberFolder &remember)
{
    ArchiveRunResult run;
    run.BackupFolder = AddBackslash(state.BackupFolder);
    if (!PrepareBackupFolder(run, observer, remember))
        return run;
    observer.ProjectStarted(projectFile);
    if (!ArchiveProject(projectFile, state, observer))
        return run;
    run.Archives.append(run.BackupFolder + state.ArchiveFileName);
    observer.ProjectArchived(1, run.Archives.last());
    run.Complete = true;
    return run;
}

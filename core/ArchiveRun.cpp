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

bool ArchivePreparedProject(const QString &projectFile, ArchivingState state, ArchiveObserver &observer,
                            ArchiveRunResult &run)
{
    BuiltArchive built = ArchiveProject(projectFile, state, observer);
    if (!built && !built.MissingMember.isEmpty() && observer.ArchiveWithoutMissing(built.MissingMember)) {
        state.Choices.Missing = MissingMembers::Record;
        built = ArchiveProject(projectFile, state, observer);
    }
    if (!built)
        return false;
    run.Archives.append(AddBackslash(state.BackupFolder) + state.ArchiveFileName);
    if (!built.Missing.isEmpty())
        run.Incomplete.append({run.Archives.last(), built.Missing});
    observer.ProjectArchived(run.Archives.size(), run.Archives.last());
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
    run.Complete = ArchivePreparedProject(projectFile, state, observer, run);
    if (!run.Complete)
        run.FailedProjects.append(projectFile);
    return run;
}

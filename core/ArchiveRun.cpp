#include "ArchiveRun.h"

#include "ArchiveBuilder.h"
#include "OperationsFichiers.h"

#include "UnchangedArchive.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

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

namespace {

BuiltArchive ArchiveAskingAboutMissingMembers(const QString &projectFile, ArchivingState state,
                                              ArchiveObserver &observer)
{
    BuiltArchive built = ArchiveProject(projectFile, state, observer);
    if (!built && !built.MissingMember.isEmpty() && observer.ArchiveWithoutMissing(built.MissingMember)) {
        state.Choices.Missing = MissingMembers::Record;
        built = ArchiveProject(projectFile, state, observer);
    }
    return built;
}

} // namespace

bool ArchivePreparedProject(const QString &projectFile, ArchivingState state, ArchiveObserver &observer,
                            ArchiveRunResult &run, const QStringList &earlierFolders)
{
    const QString destination = AddBackslash(state.BackupFolder) + state.ArchiveFileName;
    const std::optional<EarlierArchive> earlier = state.Choices.IfChanged || state.Choices.ReuseEarlierEntries
                                                      ? NewestEarlierArchive(earlierFolders, state.ArchiveFileName)
                                                      : std::nullopt;
    ArchivingState building = state;
    if (earlier && state.Choices.ReuseEarlierEntries)
        building.EarlierArchive = earlier->Path;
    // Written aside, in the destination's own file system, so that keeping it is a rename.
    std::optional<QTemporaryDir> aside;
    if (earlier && state.Choices.IfChanged) {
        aside.emplace(AddBackslash(state.BackupFolder) + QStringLiteral(".quenzar-XXXXXX"));
        if (aside->isValid())
            building.BackupFolder = AddBackslash(aside->path());
    }
    const BuiltArchive built = ArchiveAskingAboutMissingMembers(projectFile, building, observer);
    if (!built)
        return false;
    if (building.BackupFolder != state.BackupFolder) {
        const QString written = building.BackupFolder + state.ArchiveFileName;
        if (SameEntries(written, earlier->Path)) {
            run.Unchanged.append(earlier->Path);
            observer.ProjectUnchanged(earlier->Path, earlier->Stamp);
            return true;
        }
        QFile::remove(destination);
        if (!QFile::rename(written, destination)) {
            ShowArchiveFailure(observer, QStringLiteral("Writing Zip File"));
            return false;
        }
    }
    run.Archives.append(destination);
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
    run.Complete = ArchivePreparedProject(projectFile, state, observer, run, {state.BackupFolder});
    if (!run.Complete)
        run.FailedProjects.append(projectFile);
    return run;
}

#include "ArchiveRun.h"

#include "ArchiveBuilder.h"
#include "ArchivePruning.h"
#include "OperationsFichiers.h"
#include "TemporaryFiles.h"
#include "UnchangedArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes every missing folder along the path: whether the last one was made here, or why one
// could not be.
Outcome<bool> MakeFolders(const QString &path)
{
    const QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(folder).isDir())
        return Outcome<bool>::success(false);
    if (const QString parent = QFileInfo(folder).path(); parent != folder) {
        if (const Outcome<bool> made = MakeFolders(parent); !made)
            return made;
    }
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
        return Outcome<bool>::success(true);
    if (errno == EEXIST && QFileInfo(folder).isDir())
        return Outcome<bool>::success(false);
    // Something that is not a folder stands where one is needed.
    const int reason = errno == EEXIST ? ENOTDIR : errno;
    return Outcome<bool>::failure(folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(reason)));
}

BuiltArchive ArchiveAskingAboutMissingMembers(const QString &projectFile, ArchivingState state,
                                              ArchiveObserver &observer, const ZipWriter::KeepDecision &keep)
{
    BuiltArchive built = ArchiveProject(projectFile, state, observer, keep);
    if (!built && !built.MissingMember.isEmpty() && !observer.StopRequested()
        && observer.ArchiveWithoutMissing(built.MissingMember)) {
        state.Choices.Missing = MissingMembers::Record;
        built = ArchiveProject(projectFile, state, observer, keep);
    }
    return built;
}

// The archive takes the first name that no file in its folder and no archive of the run has.
void TakeFreeName(ArchivingState &state, QSet<QString> &taken)
{
    taken.unite(ArchiveBaseNamesIn(state.BackupFolder));
    const QString name = DistinctBaseName(state.ArchiveFileName.chopped(4), taken);
    taken.insert(name.toCaseFolded());
    SetArchiveNames(state, name);
}

} // namespace

// The lock is taken before the run's own folder is made: a run holding it clears the empty stamp
// folders of killed runs, and must not take a waiting run's folder for one of them.
std::optional<HeldBackupFolder> PrepareBackupFolder(ArchiveRunResult &run, ArchiveObserver &observer,
                                                    const RememberFolder &remember, const QString &lockFolder)
{
    Outcome<bool> made = MakeFolders(lockFolder);
    std::optional<Outcome<BackupFolderLock>> lock;
    if (made) {
        lock.emplace(BackupFolderLock::Hold(lockFolder, observer));
        if (!*lock)
            made = Outcome<bool>::failure(lock->error());
    }
    if (made)
        made = MakeFolders(run.BackupFolder);
    if (!made) {
        run.Cancelled = observer.StopRequested();
        if (!run.Cancelled)
            observer.DestinationUnavailable(run.BackupFolder, made.error());
        return std::nullopt;
    }
    Interruption::Registration madeFolder;
    if (made.value())
        madeFolder = Interruption::Registration(run.BackupFolder, Interruption::Removal::EmptyFolder);
    run.DestinationReady = true;
    const Outcome<void> remembered = remember(run.BackupFolder);
    run.FolderRemembered = bool(remembered);
    if (!remembered)
        observer.FolderNotRemembered(run.BackupFolder, remembered.error());
    return HeldBackupFolder{std::move(*lock).value(), std::move(madeFolder)};
}

// The nearest folder that exists along the path must let this user make and write files in it.
void LookAtBackupFolder(ArchiveRunResult &run)
{
    QString folder = QDir::cleanPath(QFileInfo(run.BackupFolder).absoluteFilePath());
    while (!QFileInfo::exists(folder) && QFileInfo(folder).path() != folder)
        folder = QFileInfo(folder).path();
    const QByteArray path = QFile::encodeName(folder);
    const int error = !QFileInfo(folder).isDir() ? ENOTDIR : ::access(path.constData(), W_OK | X_OK) != 0 ? errno : 0;
    if (error != 0)
        run.DestinationProblem = folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
    run.DestinationReady = true;
}

bool ArchivePreparedProject(const QString &projectFile, ArchivingState state, ArchiveObserver &observer,
                            ArchiveRunResult &run, const QStringList &earlierFolders, QSet<QString> &taken)
{
    TakeFreeName(state, taken);
    const std::optional<EarlierArchive> earlier = state.Choices.IfChanged || state.Choices.ReuseEarlierEntries
                                                      ? NewestEarlierArchive(earlierFolders, state.ArchiveFileName)
                                                      : std::nullopt;
    if (earlier && state.Choices.ReuseEarlierEntries)
        state.EarlierArchive = earlier->Path;
    // The new archive is compared while it still has its temporary name: an unchanged project
    // leaves nothing behind.
    const bool dryRun = state.Choices.DryRun;
    ZipWriter::KeepDecision keep;
    if (earlier && state.Choices.IfChanged && !dryRun)
        keep = [&earlier](const QString &written) { return !Unchanged(written, earlier->Path); };
    const BuiltArchive built = ArchiveAskingAboutMissingMembers(projectFile, state, observer, keep);
    run.Cancelled = built.Cancelled;
    if (!built)
        return false;
    const bool unchanged =
        dryRun ? earlier && state.Choices.IfChanged && Unchanged(built.Plan, earlier->Path) : !built.Kept;
    ProjectArchive project{projectFile,       AddBackslash(state.BackupFolder) + state.ArchiveFileName,
                           !unchanged,        QString(),
                           built.Missing,     built.Reuse,
                           built.Plan.entries};
    if (unchanged) {
        project.Archive = earlier->Path;
        project.UnchangedSince = earlier->Stamp;
        run.Projects.append(project);
        run.Unchanged.append(earlier->Path);
        if (!dryRun)
            observer.ProjectUnchanged(earlier->Path, earlier->Stamp);
        return true;
    }
    run.Projects.append(project);
    run.Archives.append(project.Archive);
    if (!built.Missing.isEmpty())
        run.Incomplete.append({run.Archives.last(), built.Missing});
    if (!dryRun)
        observer.ProjectArchived(run.Archives.size(), run.Archives.last());
    return true;
}

ArchiveRunResult RunProject(const QString &projectFile, const ArchivingState &state, ArchiveObserver &observer,
                            const RememberFolder &remember)
{
    ArchiveRunResult run;
    run.BackupFolder = AddBackslash(state.BackupFolder);
    const Pruning pruning = state.Choices.DryRun ? Pruning::NameOnly : Pruning::Remove;
    std::optional<HeldBackupFolder> held;
    if (state.Choices.DryRun) {
        LookAtBackupFolder(run);
    } else {
        held = PrepareBackupFolder(run, observer, remember, run.BackupFolder);
        if (!held)
            return run;
        RemoveDeadLeftovers(run.BackupFolder);
    }
    observer.ProjectStarted(projectFile);
    QSet<QString> taken;
    run.Complete = ArchivePreparedProject(projectFile, state, observer, run, {state.BackupFolder}, taken);
    if (!run.Complete) {
        if (!run.Cancelled)
            run.FailedProjects.append(projectFile);
        return run;
    }
    if (state.Choices.Keep > 0) {
        const PruneResult pruned = PruneProjectArchives(QDir(run.BackupFolder).absolutePath(), run.Archives,
                                                        state.Choices.Keep, state.BackupStamp, pruning);
        run.Removed = pruned.Removed;
        run.NotRemoved = pruned.Failed;
    }
    return run;
}

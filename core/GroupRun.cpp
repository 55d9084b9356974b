#include "GroupRun.h"

#include "ArchiveBuilder.h"
#include "ArchivePruning.h"
#include "GroupFolders.h"
#include "OperationsFichiers.h"
#include "ProjectFile.h"
#include "TemporaryFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

QList<GroupProject> ProjectsToRun(const QString &groupFilePath, const QStringList &members)
{
    QList<GroupProject> projects;
    QSet<QString> seen;
    for (const QString &member : members) {
        if (member.trimmed().isEmpty())
            continue;
        const QString file = GroupMemberLocalPath(groupFilePath, member);
        const QString canonical = QFileInfo(file).canonicalFilePath();
        const QString key = canonical.isEmpty() ? file : canonical; // a missing file fails where it is run
        if (seen.contains(key))
            continue;
        seen.insert(key);
        projects.append({member, file});
    }
    return projects;
}

namespace {

// The group's earlier stamp folders, newest first, once what killed runs left in them is gone:
// their temporary files, and stamp folders they made and never wrote into. A dry run removes
// nothing and passes over the empty ones.
QStringList ClearedEarlierStampFolders(const QString &groupFolder, const QString &stamp, bool dryRun)
{
    if (!dryRun)
        RemoveDeadLeftovers(groupFolder);
    QStringList earlier;
    for (const QString &name : StampFoldersNewestFirst(groupFolder)) {
        const QString folder = QDir(groupFolder).filePath(name);
        if (!dryRun)
            RemoveDeadLeftovers(folder);
        if (name != stamp && (dryRun ? !QDir(folder).isEmpty() : !QDir().rmdir(folder)))
            earlier.append(folder);
    }
    return earlier;
}

} // namespace

ArchiveRunResult RunGroup(const QString &groupFilePath, const GroupForArchiving &group, const QString &destination,
                          const QString &stamp, const ArchiveChoices &choices, ArchiveObserver &observer,
                          const RememberFolder &remember)
{
    ArchiveRunResult result;
    result.BackupFolder = GroupBackupFolder(destination, group.GroupName, stamp);
    // The group's own folder holds the lock: runs of the group compare with and prune one
    // another's stamp folders.
    const QString groupFolder = QFileInfo(QDir(result.BackupFolder).absolutePath()).path();
    std::optional<HeldBackupFolder> held;
    if (choices.DryRun)
        LookAtBackupFolder(result);
    else if (!(held = PrepareBackupFolder(result, observer, remember, groupFolder)))
        return result;
    const QStringList earlierFolders = ClearedEarlierStampFolders(groupFolder, stamp, choices.DryRun);

    const QList<GroupProject> projects = ProjectsToRun(groupFilePath, group.Members);
    observer.GroupStarted(projects.size());
    QSet<QString> takenNames;
    for (const GroupProject &listed : projects) {
        if (observer.StopRequested()) {
            result.Cancelled = true;
            break;
        }
        observer.ProjectStarted(listed.listed);
        const Outcome<ArchivingState> state =
            PrepareProject(listed.file, listed.listed, ProjectNaming::ByGroupPath, stamp);
        if (state) {
            ArchivingState project = state.value();
            project.BackupFolder = result.BackupFolder;
            project.Choices = choices;
            if (ArchivePreparedProject(listed.file, project, observer, result, earlierFolders, takenNames))
                continue;
            if (result.Cancelled)
                break;
        } else {
            ShowArchiveFailure(observer, listed.listed, state.error());
        }
        result.FailedProjects.append(listed.listed);
        if (!choices.ContinueAfterFailure)
            return result;
    }
    // A cancelled run that wrote nothing leaves no stamp folder, as an interrupted one.
    if (result.Cancelled) {
        if (result.Archives.isEmpty() && !choices.DryRun)
            QDir().rmdir(result.BackupFolder);
        return result;
    }
    result.Complete = result.FailedProjects.isEmpty();
    // A run that found every project unchanged leaves no stamp folder behind, and the last backup
    // folder is the one its archives still lie in.
    if (result.Archives.isEmpty() && !result.Unchanged.isEmpty() && !choices.DryRun && QDir().rmdir(result.BackupFolder)
        && result.FolderRemembered)
        result.FolderRemembered = bool(remember(AddBackslash(QFileInfo(result.Unchanged.last()).path())));
    if (result.Complete && choices.Keep > 0) {
        const PruneResult pruned = PruneGroupStamps(groupFolder, result.Archives, choices.Keep, stamp,
                                                    choices.DryRun ? Pruning::NameOnly : Pruning::Remove);
        result.Removed = pruned.Removed;
        result.NotRemoved = pruned.Failed;
    }
    return result;
}

#include "GroupRun.h"

#include "ArchiveBuilder.h"
#include "OperationsFichiers.h"
#include "ProjectFile.h"

QString GroupFolderName(const QString &groupName)
{
    QString name = SanitizeFileName(groupName);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.fill('_');
    return name;
}

GroupRunResult RunGroup(const QString &groupFilePath, const GroupForArchiving &group, const QString &destination,
                        const QString &stamp, const QString &password, ArchiveObserver &observer,
                        const std::function<void(const QString &)> &storeLastDir)
{
    GroupRunResult result;
    const QString name = GroupFolderName(group.GroupName);
    result.BackupFolder = AddBackslash(AddBackslash(destination) + (name.isEmpty() ? QString() : name + '/') + stamp);
    MakeDirs(result.BackupFolder);
    if (storeLastDir)
        storeLastDir(result.BackupFolder);

    observer.GroupStarted(group.Members.size());
    for (const QString &member : group.Members) {
        if (member.trimmed().isEmpty())
            continue;
        observer.GroupProjectStarted(member);
        observer.LetPendingWorkRun();
        const QString projectFile = GroupMemberLocalPath(groupFilePath, member);
        const Outcome<ArchivingState> state = PrepareProject(projectFile, member, ProjectNaming::ByGroupPath, stamp);
        if (!state) {
            ShowArchiveFailure(observer, state.error());
            return result;
        }
        ArchivingState project = state.value();
        project.BackupFolder = result.BackupFolder;
        project.Password = password;
        if (!ArchiveProject(projectFile, project, observer))
            return result;
        result.Archives.append(result.BackupFolder + project.ArchiveFileName);
        observer.GroupProjectArchived(result.Archives.size(), result.Archives.last());
    }
    result.Complete = true;
    return result;
}

#include "GroupRun.h"

#include "ArchiveBuilder.h"
#include "OperationsFichiers.h"
#include "ProjectFile.h"

#include <QFileInfo>

QString GroupFolderName(const QString &groupName)
{
    QString name = SanitizeFileName(groupName);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.fill('_');
    return name;
}

QString GroupBackupFolder(const QString &destination, const QString &groupName, const QString &stamp)
{
    const QString name = GroupFolderName(groupName);
    return AddBackslash(AddBackslash(destination) + (name.isEmpty() ? QString() : name + '/') + stamp);
}

GroupRunResult RunGroup(const QString &groupFilePath, const GroupForArchiving &group, const QString &destination,
                        const QString &stamp, const QString &password, ArchiveObserver &observer,
                        const std::function<void(const QString &)> &storeLastDir)
{
    GroupRunResult result;
    result.BackupFolder = GroupBackupFolder(destination, group.GroupName, stamp);
    MakeDirs(result.BackupFolder);
    if (!QFileInfo(result.BackupFolder).isDir()) {
        observer.ShowFailure(QStringLiteral("Archive creation error"),
                             QStringLiteral("The destination folder cannot be created:\r\n") + result.BackupFolder);
        return result;
    }
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

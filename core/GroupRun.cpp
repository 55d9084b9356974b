#include "GroupRun.h"

#include "ArchiveBuilder.h"
#include "OperationsFichiers.h"
#include "ProjectFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

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

QStringList StampFoldersNewestFirst(const QString &groupFolder)
{
    static const QRegularExpression stamp(QStringLiteral(R"(^\d{14}$)"));
    return QDir(groupFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed).filter(stamp);
}

namespace {

struct GroupProject {
    QString listed; // as the group file lists it
    QString file;   // on this machine
};

// The projects a run archives, in list order: blank entries are skipped, and a project listed twice
// is archived once.
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

} // namespace

ArchiveRunResult RunGroup(const QString &groupFilePath, const GroupForArchiving &group, const QString &destination,
                          const QString &stamp, const ArchiveChoices &choices, ArchiveObserver &observer,
                          const RememberFolder &remember)
{
    ArchiveRunResult result;
    result.BackupFolder = GroupBackupFolder(destination, group.GroupName, stamp);
    if (!PrepareBackupFolder(result, observer, remember))
        return result;

    const QString groupFolder = QFileInfo(QDir(result.BackupFolder).absolutePath()).path();
    QStringList earlierFolders;
    for (const QString &folder : StampFoldersNewestFirst(groupFolder)) {
        if (folder != stamp)
            earlierFolders.append(QDir(groupFolder).filePath(folder));
    }
    const QList<GroupProject> projects = ProjectsToRun(groupFilePath, group.Members);
    observer.GroupStarted(projects.size());
    QSet<QString> takenNames;
    for (const GroupProject &listed : projects) {
        observer.ProjectStarted(listed.listed);
        observer.LetPendingWorkRun();
        const Outcome<ArchivingState> state =
            PrepareProject(listed.file, listed.listed, ProjectNaming::ByGroupPath, stamp);
        if (state) {
            ArchivingState project = state.value();
            const QString baseName = DistinctBaseName(ArchiveBaseName(project.Identity, stamp), takenNames);
            takenNames.insert(baseName.toCaseFolded());
            SetArchiveNames(project, baseName);
            project.BackupFolder = result.BackupFolder;
            project.Choices = choices;
            if (ArchivePreparedProject(listed.file, project, observer, result, earlierFolders))
                continue;
        } else {
            ShowArchiveFailure(observer, state.error());
        }
        result.FailedProjects.append(listed.listed);
        if (!choices.ContinueAfterFailure)
            return result;
    }
    result.Complete = result.FailedProjects.isEmpty();
    // A run that found every project unchanged leaves no stamp folder behind, and the last backup
    // folder is the one its archives still lie in.
    if (result.Archives.isEmpty() && !result.Unchanged.isEmpty() && QDir().rmdir(result.BackupFolder)
        && result.FolderRemembered)
        result.FolderRemembered = bool(remember(AddBackslash(QFileInfo(result.Unchanged.last()).path())));
    return result;
}

#include "ProjectBackups.h"
#include "Terminal.h"

#include "ArchivingState.h"
#include "GroupFile.h"
#include "GroupFolders.h"
#include "OperationsFichiers.h"
#include "VisualBasicGroup.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

// Any stamp names the project's archives alike: only the NAME part of the archive name is looked at.
const QString kAnyStamp = QStringLiteral("00000000000000");

ProjectBackups Prepared(const QString &file, const QString &listed, ProjectNaming naming)
{
    ProjectBackups backups{listed, file, QString(), {}, QString()};
    const Outcome<ArchivingState> state = PrepareProject(file, listed, naming, kAnyStamp);
    if (!state) {
        backups.Error = state.error();
        return backups;
    }
    backups.ArchiveFileName = state.value().ArchiveFileName;
    backups.Folders = {QDir::cleanPath(state.value().BackupFolder)};
    return backups;
}

// Projects of one name and version are told apart only by the " (2)" their archives took in the run
// that wrote them, which runs that skipped one of them (unchanged, failed) do not keep alike.
void WarnOfSharedNames(const QList<ProjectBackups> &projects)
{
    QHash<QString, QString> first; // by the NAME part of the archive names
    for (const ProjectBackups &project : projects) {
        const std::optional<NamedArchive> named = ParseArchiveName(project.ArchiveFileName);
        if (!named)
            continue;
        if (const auto earlier = first.constFind(named->project); earlier != first.cend())
            Err() << "warning: " << *earlier << " and " << project.Project << " share the archive name \""
                  << named->project << "\": the archives of both are taken for each\n";
        else
            first.insert(named->project, project.Project);
    }
}

std::optional<QList<ProjectBackups>> GroupBackups(const QString &path, const QString &destination)
{
    const Outcome<GroupForArchiving> group = ReadAnyGroupForArchiving(path);
    if (!group) {
        Err() << group.error() << '\n';
        return std::nullopt;
    }
    const QString root = destination.isEmpty() ? GroupMemberLocalPath(path, group.value().BackupFolder) : destination;
    const QString groupFolder =
        QFileInfo(QDir(GroupBackupFolder(root, group.value().GroupName, kAnyStamp)).absolutePath()).path();
    QStringList stampFolders;
    for (const QString &stamp : StampFoldersNewestFirst(groupFolder))
        stampFolders.append(QDir(groupFolder).filePath(stamp));
    QList<ProjectBackups> projects;
    QSet<QString> seen;
    for (const QString &member : group.value().Members) {
        const QString file = GroupMemberLocalPath(path, member);
        if (member.trimmed().isEmpty() || seen.contains(file))
            continue;
        seen.insert(file);
        ProjectBackups backups = Prepared(file, member, ProjectNaming::ByGroupPath);
        backups.Folders = stampFolders;
        projects.append(backups);
    }
    WarnOfSharedNames(projects);
    return projects;
}

} // namespace

bool RefusedAsFolder(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return false;
    const QStringList inside = QDir(path).entryList({"*.vbp", "*.vbpgroup", "*.vbg"}, QDir::Files, QDir::Name);
    Err() << path << " is not a Visual Basic project file: it is a folder. "
          << (inside.isEmpty() ? QStringLiteral("It holds no project or group file (.vbp, .vbpgroup, .vbg).")
                               : QStringLiteral("The project and group files in it: ") + inside.join(", "))
          << '\n';
    return true;
}

std::optional<QList<ProjectBackups>> FindProjectBackups(const QString &path, const QString &destination)
{
    if (RefusedAsFolder(path))
        return std::nullopt;
    if (!QFileInfo::exists(path)) {
        Err() << "No such file: " << path << '\n';
        return std::nullopt;
    }
    if (IsArchivableGroupFile(path))
        return GroupBackups(path, destination);
    ProjectBackups project = Prepared(path, path, ProjectNaming::ByFileName);
    if (!project.Error.isEmpty()) {
        Err() << project.Error << '\n';
        return std::nullopt;
    }
    if (!destination.isEmpty())
        project.Folders = {QDir::cleanPath(destination)};
    return QList<ProjectBackups>{project};
}

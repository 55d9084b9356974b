#include "GroupFile.h"

#include "CodePage.h"
#include "LineReader.h"
#include "OperationsFichiers.h"
#include "WindowsPath.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QLatin1String kPathMark("[PATH]");

Outcome<QStringList> ReadLines(const QString &filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return Outcome<QStringList>::failure(QStringLiteral("Cannot open %1: %2").arg(filePath, file.errorString()));
    QStringList lines;
    LineReader reader(file);
    TextLine line;
    while (reader.Next(line))
        lines.append(line.text);
    if (reader.Failed())
        return Outcome<QStringList>::failure(QStringLiteral("Cannot read %1: %2").arg(filePath, file.errorString()));
    return Outcome<QStringList>::success(lines);
}

// The lines after those taken by position: "[PATH]" lines (exact case) give the backup folder, the
// last one winning; every other line, blank ones too, is a project. Both readers read them so.
struct ProjectLines {
    QString backupFolder;
    QStringList projects;
};

ProjectLines SplitProjectLines(const QStringList &lines)
{
    ProjectLines split;
    for (const QString &line : lines) {
        if (line.startsWith(kPathMark))
            split.backupFolder = QString(line).remove(kPathMark);
        else
            split.projects.append(line);
    }
    return split;
}

} // namespace

QString DefaultBackupFolder(const QString &project)
{
    const qsizetype separator = std::max(project.lastIndexOf('/'), project.lastIndexOf('\\'));
    const QString folder = separator <= 0 ? QString() : AddBackslash(project.left(separator));
    return folder + QStringLiteral("Sources.Backup/");
}

bool IsGroupFile(const QString &path) { return path.toUpper().endsWith(QLatin1String(".VBPGROUP")); }

bool NamesGroupFile(const QString &path) { return path.toUpper().contains(QLatin1String(".VBPGROUP")); }

Outcome<void> WriteGroupFile(const QString &filePath, const GroupForEditing &group)
{
    const QStringList lines =
        QStringList{group.GroupName, group.MainProject, kPathMark + group.BackupFolder} + group.FurtherProjects;
    QByteArray content;
    for (const QString &line : lines) {
        const std::optional<QByteArray> bytes = CodePage::Encode(line);
        if (!bytes)
            return Outcome<void>::failure(QStringLiteral("\"%1\" cannot be written in the code page %2.")
                                              .arg(line, QString::fromLatin1(CodePage::AnsiName())));
        content += *bytes + "\r\n";
    }
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return Outcome<void>::failure(QStringLiteral("Cannot save %1: %2").arg(filePath, file.errorString()));
    return Outcome<void>::success();
}

Outcome<GroupForEditing> ReadGroupFileForEditing(const QString &filePath)
{
    const Outcome<QStringList> lines = ReadLines(filePath);
    if (!lines)
        return Outcome<GroupForEditing>::failure(lines.error());
    if (lines.value().size() < 2)
        return Outcome<GroupForEditing>::failure(
            QStringLiteral("%1 is not a project group: it has fewer than two lines.").arg(filePath));

    const ProjectLines rest = SplitProjectLines(lines.value().mid(2));
    GroupForEditing group{lines.value().at(0), lines.value().at(1), rest.backupFolder, rest.projects};
    if (group.BackupFolder.isEmpty())
        group.BackupFolder = DefaultBackupFolder(group.MainProject);
    return Outcome<GroupForEditing>::success(group);
}

Outcome<GroupForArchiving> ReadGroupFileForArchiving(const QString &filePath)
{
    const Outcome<QStringList> lines = ReadLines(filePath);
    if (!lines)
        return Outcome<GroupForArchiving>::failure(lines.error());
    if (lines.value().isEmpty())
        return Outcome<GroupForArchiving>::failure(QStringLiteral("%1 is empty.").arg(filePath));

    const ProjectLines rest = SplitProjectLines(lines.value().mid(1));
    GroupForArchiving group{lines.value().at(0), rest.backupFolder, rest.projects};
    if (group.BackupFolder.isEmpty())
        group.BackupFolder = DefaultBackupFolder(group.Members.value(0));
    return Outcome<GroupForArchiving>::success(group);
}

QString GroupMemberLocalPath(const QString &groupFilePath, const QString &member)
{
    if (member.startsWith('/') && !WindowsPath::IsNetworkPath(member))
        return member;
    const QString groupFolder = ParentFolder(QFileInfo(groupFilePath).absoluteFilePath());
    return WindowsPath::Resolve(groupFolder, member).path;
}

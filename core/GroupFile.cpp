#include "GroupFile.h"

#include "CodePage.h"
#include "LineReader.h"
#include "OperationsFichiers.h"
#include "WindowsPath.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

const QLatin1String kPathMark("[PATH]");

// Every byte, or false with the system's reason: Qt takes a write that a full disk cuts short for a
// success, and only the next write says why.
bool WriteWhole(QIODevice &file, const QByteArray &content)
{
    for (qint64 written = 0; written < content.size();) {
        const qint64 now = file.write(content.constData() + written, content.size() - written);
        if (now <= 0)
            return false;
        written += now;
    }
    return true;
}

// Why the file could not be opened for saving: for an existing file it may not replace, Qt says so
// in its own words ("is not writable"), where the system says why ("Read-only file system").
QString OpenFailure(const QSaveFile &file)
{
    const QByteArray path = QFile::encodeName(file.fileName());
    if (QFileInfo::exists(file.fileName()) && ::access(path.constData(), W_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return file.errorString();
}

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
    QString reason;
    if (!file.open(QIODevice::WriteOnly))
        reason = OpenFailure(file);
    // Flushed before the commit, which would lose the system's reason for a full disk.
    else if (!WriteWhole(file, content) || !file.flush() || !file.commit())
        reason = file.errorString();
    if (!reason.isEmpty())
        return Outcome<void>::failure(QStringLiteral("Cannot save %1: %2").arg(filePath, reason));
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

#include "Commands.h"
#include "ProjectBackups.h"
#include "Terminal.h"

#include "ArchiveHistory.h"
#include "ByteNamedFiles.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>

namespace {

// The stamp is the local time the archive was made at.
QDateTime StampTime(const QString &stamp) { return QDateTime::fromString(stamp, QStringLiteral("yyyyMMddHHmmss")); }

QString Contents(const ArchiveRecord &record)
{
    if (!record.Unreadable.isEmpty())
        return QStringLiteral("unreadable");
    return record.Missing.isEmpty() ? QStringLiteral("whole") : QStringLiteral("partial");
}

void PrintProject(const ProjectBackups &project, const QList<ArchiveRecord> &records)
{
    Out() << project.Project << ": " << records.size() << " archive(s) in " << project.Folders.join(", ") << '\n';
    if (records.isEmpty())
        return;
    QList<QStringList> table{{"DATE", "SIZE", "ENTRIES", "CONTENTS", "PROTECTED", "ARCHIVE"}};
    for (const ArchiveRecord &record : records) {
        const bool readable = record.Unreadable.isEmpty();
        table.append(
            {StampTime(record.Stamp).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), QString::number(record.Size),
             readable ? QString::number(record.Entries) : QStringLiteral("-"), Contents(record),
             readable ? (record.Protected ? QStringLiteral("yes") : QStringLiteral("no")) : QStringLiteral("-"),
             QFileInfo(record.Path).fileName()});
    }
    PrintTable(table);
    for (const ArchiveRecord &record : records) {
        if (!record.Unreadable.isEmpty())
            Out() << "  unreadable: " << QFileInfo(record.Path).fileName() << ": " << record.Unreadable << '\n';
        for (const QString &missing : record.Missing)
            Out() << "  missing from " << QFileInfo(record.Path).fileName() << ": " << missing << '\n';
    }
}

QJsonObject RecordJson(const ArchiveRecord &record)
{
    QJsonObject archive{{"path", record.Path},
                        {"stamp", StampTime(record.Stamp).toString(Qt::ISODate)},
                        {"copy", record.Copy},
                        {"size", record.Size},
                        {"readable", record.Unreadable.isEmpty()}};
    if (!record.Unreadable.isEmpty()) {
        archive.insert("unreadable_reason", record.Unreadable);
        return archive;
    }
    archive.insert("entries", record.Entries);
    archive.insert("whole", record.Missing.isEmpty());
    archive.insert("missing", QJsonArray::fromStringList(record.Missing));
    archive.insert("protected", record.Protected);
    return archive;
}

QJsonObject ProjectJson(const ProjectBackups &project, const QList<ArchiveRecord> &records)
{
    QJsonObject object{{"project", project.Project},
                       {"project_file", ByteNamedFiles::ReadablePath(project.File)},
                       {"folders", QJsonArray::fromStringList(project.Folders)}};
    if (!project.Error.isEmpty())
        object.insert("error", project.Error);
    QJsonArray archives;
    for (const ArchiveRecord &record : records)
        archives.append(RecordJson(record));
    object.insert("archives", archives);
    return object;
}

} // namespace

int HistoryCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists every archive of the project (.vbp), or of each project of the group (.vbpgroup), in its backup "
        "folder (a group's: each of its stamp folders), newest first: the date and time of its stamp, its size in "
        "bytes, its entries, whether it is whole or partial (written without missing files, which are listed), "
        "and whether it is protected with a password. An archive that cannot be read is listed as unreadable, "
        "with the reason. Archives are found by their names, as archive names them; nothing is decrypted.\n"
        "Exit status: 0 every archive could be read, 1 an archive is unreadable, a project of the group cannot "
        "be read, or a project has no archive, 2 bad arguments or PATH is no project or group file.");
    parser.addHelpOption();
    parser.addPositionalArgument("PATH", "The project file or the project group file.");
    const QCommandLineOption dest("dest", "The backup folder, when archive was given --dest.", "DIR");
    const QCommandLineOption json = JsonOption();
    parser.addOptions({dest, json});
    if (!ParseArguments(parser, arguments, 1))
        return ExitUsage;
    const std::optional<QList<ProjectBackups>> projects =
        FindProjectBackups(parser.positionalArguments().constFirst(), parser.value(dest));
    if (!projects)
        return ExitUsage;

    int status = ExitDone;
    QJsonArray jsonProjects;
    for (const ProjectBackups &project : *projects) {
        const QList<ArchiveRecord> records =
            project.Error.isEmpty() ? ProjectHistory(project.Folders, project.ArchiveFileName) : QList<ArchiveRecord>();
        if (!project.Error.isEmpty())
            Err() << project.Error << '\n';
        if (records.isEmpty() || !project.Error.isEmpty())
            status = ExitFailed;
        for (const ArchiveRecord &record : records) {
            if (!record.Unreadable.isEmpty())
                status = ExitFailed;
        }
        if (parser.isSet(json))
            jsonProjects.append(ProjectJson(project, records));
        else if (project.Error.isEmpty())
            PrintProject(project, records);
    }
    if (parser.isSet(json))
        PrintJson({{"projects", jsonProjects}});
    return status;
}

#include "ArchiveSummary.h"

#include "Terminal.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>

namespace {

quint64 ContentSize(const ProjectArchive &project)
{
    quint64 total = 0;
    for (const ZipWriter::PlannedEntry &entry : project.Entries)
        total += entry.size;
    return total;
}

qsizetype ReusedCount(const ProjectArchive &project)
{
    return std::count_if(project.Entries.begin(), project.Entries.end(),
                         [](const ZipWriter::PlannedEntry &entry) { return entry.reused; });
}

void PrintPlannedArchive(const ProjectArchive &project)
{
    Out() << "would write: " << project.Archive << '\n';
    QList<QStringList> rows;
    for (const ZipWriter::PlannedEntry &entry : project.Entries)
        rows.append(entry.reused ? QStringList{"  " + entry.name, QString::number(entry.size),
                                               QStringLiteral("copied from the earlier archive")}
                                 : QStringList{"  " + entry.name, QString::number(entry.size)});
    PrintTable(rows);
    Out() << "  " << project.Entries.size() << " entries, " << ContentSize(project) << " bytes";
    if (!project.Reuse.Archive.isEmpty())
        Out() << "; " << ReusedCount(project) << " copied from " << project.Reuse.Archive;
    Out() << '\n';
    if (!project.Reuse.Unreadable.isEmpty())
        Out() << "  the earlier archive cannot be read (" << project.Reuse.Unreadable << "): every file compressed\n";
    for (const QString &damage : project.Reuse.Damaged)
        Out() << "  the earlier archive is damaged at " << damage << ": compressed afresh\n";
    for (const QString &missing : project.Missing)
        Out() << "  missing: " << missing << '\n';
}

QJsonArray Strings(const QStringList &list) { return QJsonArray::fromStringList(list); }

QJsonValue Text(const QString &text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); }

QJsonValue StampTime(const QString &stamp)
{
    const QDateTime time = QDateTime::fromString(stamp, QStringLiteral("yyyyMMddHHmmss"));
    return time.isValid() ? QJsonValue(time.toString(Qt::ISODate)) : QJsonValue();
}

QJsonObject ProjectJson(const ProjectArchive &project, bool dryRun)
{
    QJsonObject object{
        {"project", project.Project},
        {"archive", project.Archive},
        {"written", project.Written},
        {"unchanged_since", project.Written ? QJsonValue() : StampTime(project.UnchangedSince)},
        {"missing", Strings(project.Missing)},
        {"earlier_archive", Text(project.Reuse.Archive)},
        {"reused_entries", dryRun ? ReusedCount(project) : project.Reuse.Reused},
        {"earlier_damage", Strings(project.Reuse.Damaged)},
    };
    if (!dryRun) {
        object["archive_size"] = project.Written ? QJsonValue(QFileInfo(project.Archive).size()) : QJsonValue();
        return object;
    }
    QJsonArray entries;
    for (const ZipWriter::PlannedEntry &entry : project.Entries)
        entries.append(QJsonObject{{"name", entry.name},
                                   {"size", qint64(entry.size)},
                                   {"crc32", Crc32Text(entry.crc)},
                                   {"reused", entry.reused}});
    object["entries"] = entries;
    object["content_size"] = qint64(ContentSize(project));
    return object;
}

} // namespace

void PrintDryRun(const ArchiveRunResult &run)
{
    if (!QFileInfo(run.BackupFolder).isDir())
        Out() << "would make: " << run.BackupFolder << '\n';
    for (const ProjectArchive &project : run.Projects) {
        if (project.Written)
            PrintPlannedArchive(project);
        else
            Out() << "would write nothing for " << project.Project << ": unchanged since " << project.UnchangedSince
                  << " (" << project.Archive << ")\n";
    }
    for (const QString &removed : run.Removed)
        Out() << "would remove: " << removed << '\n';
    Out().flush();
}

QJsonObject ArchiveRunJson(const ArchiveRunResult &run, bool dryRun)
{
    QJsonArray projects;
    for (const ProjectArchive &project : run.Projects)
        projects.append(ProjectJson(project, dryRun));
    return QJsonObject{
        {"dry_run", dryRun},
        {"backup_folder", run.BackupFolder},
        {"destination_problem", Text(run.DestinationProblem)},
        {"complete", run.Complete},
        {"cancelled", run.Cancelled},
        {"projects", projects},
        {"failed_projects", Strings(run.FailedProjects)},
        {"removed", Strings(run.Removed)},
        {"not_removed", Strings(run.NotRemoved)},
    };
}

#include "ArchiveHistory.h"

#include "ArchivingState.h"
#include "MissingFilesRecord.h"
#include "ZipReader.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

ArchiveRecord ReadRecord(const QString &path, const NamedArchive &named)
{
    ArchiveRecord record;
    record.Path = path;
    record.Stamp = named.stamp;
    record.Copy = named.copy;
    record.Size = QFileInfo(path).size();
    Outcome<ZipReader> zip = ZipReader::Open(path);
    if (!zip) {
        record.Unreadable = zip.error();
        return record;
    }
    const Outcome<std::vector<ZipReader::EntrySummary>> entries = zip.value().Entries();
    if (!entries) {
        record.Unreadable = entries.error();
        return record;
    }
    record.Entries = qsizetype(entries.value().size());
    record.Protected = std::any_of(entries.value().begin(), entries.value().end(),
                                   [](const ZipReader::EntrySummary &entry) { return entry.encrypted; });
    record.Missing = RecordedMissingFiles(zip.value().Comment());
    return record;
}

} // namespace

QList<ArchiveRecord> ProjectHistory(const QStringList &folders, const QString &archiveFileName)
{
    const std::optional<NamedArchive> project = ParseArchiveName(archiveFileName);
    if (!project)
        return {};
    QList<std::pair<NamedArchive, ArchiveRecord>> found;
    for (const QString &folder : folders) {
        for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files | QDir::System, QDir::Name)) {
            const std::optional<NamedArchive> named = ParseArchiveName(file.fileName());
            if (named && named->project == project->project)
                found.append({*named, ReadRecord(file.filePath(), *named)});
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QList<ArchiveRecord> records;
    for (const auto &[named, record] : found)
        records.append(record);
    return records;
}

#include "UnchangedArchive.h"

#include "ArchivingState.h"
#include "ZipArchive.h"

#include <QDir>
#include <QSet>

std::optional<EarlierArchive> NewestEarlierArchive(const QStringList &folders, const QString &archiveFileName)
{
    const std::optional<NamedArchive> project = ParseArchiveName(archiveFileName);
    if (!project)
        return std::nullopt;
    for (const QString &folder : folders) {
        std::optional<EarlierArchive> newest;
        for (const QString &file : QDir(folder).entryList({QStringLiteral("*.zip")}, QDir::Files)) {
            const std::optional<NamedArchive> named = ParseArchiveName(file);
            if (named && named->project == project->project && file != archiveFileName
                && (!newest || named->stamp > newest->Stamp))
                newest = EarlierArchive{QDir(folder).filePath(file), named->stamp};
        }
        if (newest)
            return newest;
    }
    return std::nullopt;
}

namespace {

// Each entry as "name size crc"; the root project file as "* size crc", its name holding the stamp.
std::optional<QSet<QString>> Summary(const QString &path, QString &comment)
{
    ZipArchive zip;
    if (zip.OpenExisting(path) != 1)
        return std::nullopt;
    QSet<QString> entries;
    for (const ZipArchive::EntrySummary &entry : zip.EntrySummaries()) {
        if (entry.encrypted)
            return std::nullopt;
        const bool rootProject = IsRootProjectEntry(entry.name);
        entries.insert(QStringLiteral("%1 %2 %3")
                           .arg(rootProject ? QStringLiteral("*") : entry.name.toCaseFolded())
                           .arg(entry.size)
                           .arg(entry.crc));
    }
    comment = zip.ArchiveComment();
    return entries;
}

} // namespace

bool SameEntries(const QString &archive, const QString &earlier)
{
    QString comment;
    QString earlierComment;
    const std::optional<QSet<QString>> entries = Summary(archive, comment);
    const std::optional<QSet<QString>> earlierEntries = Summary(earlier, earlierComment);
    return entries && earlierEntries && *entries == *earlierEntries && comment == earlierComment;
}

#include "UnchangedArchive.h"

#include "ArchivingState.h"
#include "ZipReader.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <sys/stat.h>

// Only a regular file can be an earlier archive: a named pipe under an archive's name would hold
// the run forever.
std::optional<EarlierArchive> NewestEarlierArchive(const QStringList &folders, const QString &archiveFileName)
{
    const std::optional<NamedArchive> project = ParseArchiveName(archiveFileName);
    if (!project)
        return std::nullopt;
    for (const QString &folder : folders) {
        std::optional<NamedArchive> newest;
        QString newestPath;
        for (const QString &file : QDir(folder).entryList({QStringLiteral("*.zip")}, QDir::Files | QDir::System)) {
            const std::optional<NamedArchive> named = ParseArchiveName(file);
            const QString path = QDir(folder).filePath(file);
            struct stat info;
            if (named && named->project == project->project && file != archiveFileName && (!newest || *named > *newest)
                && ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode)) {
                newest = named;
                newestPath = path;
            }
        }
        if (newest)
            return EarlierArchive{newestPath, newest->stamp};
    }
    return std::nullopt;
}

namespace {

// Each entry (as a reader lists it, or as a plan gives it) as "name size crc"; the root project
// file as "* size crc", its name holding the stamp. Nothing when one is protected.
template <typename Entries>
std::optional<QSet<QString>> Summary(const Entries &listed)
{
    QSet<QString> entries;
    for (const auto &entry : listed) {
        if (entry.encrypted)
            return std::nullopt;
        const bool rootProject = IsRootProjectEntry(entry.name);
        entries.insert(QStringLiteral("%1 %2 %3")
                           .arg(rootProject ? QStringLiteral("*") : entry.name.toCaseFolded())
                           .arg(entry.size)
                           .arg(entry.crc));
    }
    return entries;
}

std::optional<QSet<QString>> Summary(const QString &path, QString &comment)
{
    Outcome<ZipReader> zip = ZipReader::Open(path);
    if (!zip)
        return std::nullopt;
    const Outcome<std::vector<ZipReader::EntrySummary>> listed = zip.value().Entries();
    if (!listed)
        return std::nullopt;
    comment = zip.value().Comment();
    return Summary(listed.value());
}

bool ReadsWhole(const QString &archive)
{
    Outcome<ZipReader> zip = ZipReader::Open(archive);
    if (!zip)
        return false;
    const Outcome<QStringList, ZipFailure> problems = ZipReader(std::move(zip).value()).Check();
    return problems && problems.value().isEmpty();
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

bool Unchanged(const QString &archive, const QString &earlier)
{
    return SameEntries(archive, earlier) && ReadsWhole(earlier);
}

bool Unchanged(const ZipWriter::Planned &archive, const QString &earlier)
{
    QString earlierComment;
    const std::optional<QSet<QString>> entries = Summary(archive.entries);
    const std::optional<QSet<QString>> earlierEntries = Summary(earlier, earlierComment);
    return entries && earlierEntries && *entries == *earlierEntries && archive.comment == earlierComment
           && ReadsWhole(earlier);
}

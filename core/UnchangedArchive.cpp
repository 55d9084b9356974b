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

// Each entry as "name size crc"; the root project file as "* size crc", its name holding the stamp.
std::optional<QSet<QString>> Summary(const QString &path, QString &comment)
{
    Outcome<ZipReader> zip = ZipReader::Open(path);
    if (!zip)
        return std::nullopt;
    const Outcome<std::vector<ZipReader::EntrySummary>> listed = zip.value().Entries();
    if (!listed)
        return std::nullopt;
    QSet<QString> entries;
    for (const ZipReader::EntrySummary &entry : listed.value()) {
        if (entry.encrypted)
            return std::nullopt;
        const bool rootProject = IsRootProjectEntry(entry.name);
        entries.insert(QStringLiteral("%1 %2 %3")
                           .arg(rootProject ? QStringLiteral("*") : entry.name.toCaseFolded())
                           .arg(entry.size)
                           .arg(entry.crc));
    }
    comment = zip.value().Comment();
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

bool Unchanged(const QString &archive, const QString &earlier)
{
    if (!SameEntries(archive, earlier))
        return false;
    Outcome<ZipReader> zip = ZipReader::Open(earlier);
    if (!zip)
        return false;
    const Outcome<QStringList, ZipFailure> problems = ZipReader(std::move(zip).value()).Check();
    return problems && problems.value().isEmpty();
}

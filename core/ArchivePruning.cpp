#include "ArchivePruning.h"

#include "ArchivingState.h"
#include "GroupFolders.h"
#include "ZipReader.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <optional>

namespace {

bool IsProjectArchive(const QString &path)
{
    Outcome<ZipReader> zip = ZipReader::Open(path);
    const auto entries = zip ? zip.value().Entries() : Outcome<std::vector<ZipReader::EntrySummary>>::failure({});
    return entries
           && std::any_of(entries.value().begin(), entries.value().end(),
                          [](const ZipReader::EntrySummary &entry) { return IsRootProjectEntry(entry.name); });
}

QSet<QString> CanonicalPaths(const QStringList &paths)
{
    QSet<QString> canonical;
    for (const QString &path : paths)
        canonical.insert(QFileInfo(path).canonicalFilePath());
    return canonical;
}

void Remove(const QString &path, PruneResult &result, Pruning pruning)
{
    QFile file(path);
    if (pruning == Pruning::NameOnly || file.remove())
        result.Removed.append(path);
    else
        result.Failed.append(path + QStringLiteral(": ") + file.errorString());
}

// The archives in folder that the rule names for one of the projects with a stamp older than the
// run's (and, when given, that stamp), never one of the run's own.
QStringList OwnArchives(const QString &folder, const QSet<QString> &projects, const QString &stamp,
                        const QSet<QString> &written, const QString &runStamp)
{
    QStringList found;
    for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
        const std::optional<NamedArchive> named = ParseArchiveName(file.fileName());
        if (named && projects.contains(named->project) && (stamp.isEmpty() || named->stamp == stamp)
            && named->stamp < runStamp && !written.contains(file.canonicalFilePath())
            && IsProjectArchive(file.filePath()))
            found.append(file.filePath());
    }
    return found;
}

QSet<QString> ProjectNames(const QStringList &written)
{
    QSet<QString> names;
    for (const QString &path : written) {
        if (const std::optional<NamedArchive> named = ParseArchiveName(QFileInfo(path).fileName()))
            names.insert(named->project);
    }
    return names;
}

} // namespace

PruneResult PruneProjectArchives(const QString &folder, const QStringList &written, int keep, const QString &runStamp,
                                 Pruning pruning)
{
    PruneResult result;
    QStringList older = OwnArchives(folder, ProjectNames(written), QString(), CanonicalPaths(written), runStamp);
    // Newest first; the run's own archives count among the kept.
    std::sort(older.begin(), older.end(), [](const QString &a, const QString &b) {
        return *ParseArchiveName(QFileInfo(a).fileName()) > *ParseArchiveName(QFileInfo(b).fileName());
    });
    for (qsizetype index = std::max<qsizetype>(0, keep - written.size()); index < older.size(); ++index)
        Remove(older[index], result, pruning);
    return result;
}

PruneResult PruneGroupStamps(const QString &groupFolder, const QStringList &written, int keep, const QString &runStamp,
                             Pruning pruning)
{
    PruneResult result;
    QStringList stamps = StampFoldersNewestFirst(groupFolder);
    if (!written.isEmpty() && !stamps.contains(runStamp))
        stamps.insert(
            std::count_if(stamps.begin(), stamps.end(), [&](const QString &stamp) { return stamp > runStamp; }),
            runStamp);
    const QSet<QString> projects = ProjectNames(written);
    const QSet<QString> own = CanonicalPaths(written);
    for (qsizetype index = keep; index < stamps.size(); ++index) {
        if (stamps[index] >= runStamp)
            continue;
        const QString folder = QDir(groupFolder).filePath(stamps[index]);
        const QStringList archives = OwnArchives(folder, projects, stamps[index], own, runStamp);
        for (const QString &archive : archives)
            Remove(archive, result, pruning);
        const bool empty =
            pruning == Pruning::NameOnly
                ? QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size()
                      == archives.size()
                : QDir(folder).isEmpty() && QDir().rmdir(folder);
        if (empty)
            result.Removed.append(folder + '/');
    }
    return result;
}

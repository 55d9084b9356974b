#include "WindowsPath.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QFileInfo>
#include <QStringList>
#include <sys/stat.h>

namespace WindowsPath {
namespace {

bool IsSeparator(QChar c) { return c == '\\' || c == '/'; }

qsizetype NameStart(const QString &text) { return std::max(text.lastIndexOf('\\'), text.lastIndexOf('/')) + 1; }

// The Windows path split into a local starting folder and the names below it. The first
// `fixedNames` names form the root of a drive or a share, which ".." never climbs above.
struct Anchored {
    QString base;
    QStringList names;
    qsizetype fixedNames = 0;
};

QString DosDevices()
{
    const QString prefix = qEnvironmentVariable("WINEPREFIX", QDir::homePath() + "/.wine");
    return QDir::cleanPath(prefix) + "/dosdevices";
}

// The names of a path, split at both separators, empty ones dropped; appended to names.
QStringList &AppendNames(QStringList &names, QStringView text)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || IsSeparator(text[i])) {
            if (i > start)
                names.append(text.mid(start, i - start).toString());
            start = i + 1;
        }
    }
    return names;
}

Anchored Anchor(const QString &root, const QString &text)
{
    QStringList names;
    if (IsNetworkPath(text))
        return {DosDevices(), AppendNames(names << QStringLiteral("unc"), QStringView(text).mid(2)), 3};
    if (HasDrive(text))
        return {DosDevices(), AppendNames(names << text.left(2).toLower(), QStringView(text).mid(2)), 1};
    return {root, AppendNames(names, text), 0};
}

// Removes "." and folds ".." the way Windows does, on the text alone. Leading ".." of a relative
// path climb above the project folder and are applied to the base.
void Normalise(Anchored &anchored)
{
    QStringList kept;
    for (const QString &name : std::as_const(anchored.names)) {
        if (name == ".")
            continue;
        if (name != "..")
            kept.append(name);
        else if (kept.size() > anchored.fixedNames && kept.last() != "..")
            kept.removeLast();
        else if (anchored.fixedNames == 0)
            kept.append(name);
    }
    while (!kept.isEmpty() && kept.first() == "..") {
        anchored.base = QDir::cleanPath(anchored.base + "/..");
        kept.removeFirst();
    }
    anchored.names = kept;
}

// A folder's entries, kept while the folder is unchanged: a project whose names differ from the
// disk in case has many members in the same few folders, and listing one is costly.
QStringList FolderEntries(const QString &folder)
{
    struct Listing {
        timespec modified;
        QStringList entries;
    };
    static QMutex lock;
    static QHash<QString, Listing> listings;

    struct stat info;
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return {};
    QMutexLocker guard(&lock);
    const auto known = listings.constFind(folder);
    if (known != listings.constEnd() && known->modified.tv_sec == info.st_mtim.tv_sec
        && known->modified.tv_nsec == info.st_mtim.tv_nsec)
        return known->entries;
    const QStringList entries =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    listings.insert(folder, {info.st_mtim, entries});
    return entries;
}

// The entries of folder that answer to name: the exact one first, then the others that differ
// only in case, in name order.
QStringList Candidates(const QString &folder, const QString &name)
{
    QStringList others;
    for (const QString &entry : FolderEntries(folder)) {
        if (entry != name && entry.compare(name, Qt::CaseInsensitive) == 0)
            others.append(entry);
    }
    others.sort();
    if (QFileInfo::exists(folder + '/' + name))
        others.prepend(name);
    return others;
}

// Walks the names down from folder; when a branch leads nowhere, the next candidate is tried, so
// that "Forms\B.frm" is found in "forms/" even where a "Forms/" without it also exists.
QString FindIgnoringCase(const QString &folder, const QStringList &names, qsizetype index)
{
    if (index == names.size())
        return folder;
    for (const QString &candidate : Candidates(folder, names[index])) {
        const QString found = FindIgnoringCase(folder + '/' + candidate, names, index + 1);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

} // namespace

bool IsNetworkPath(const QString &text) { return text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]); }

bool HasDrive(const QString &text) { return text.indexOf(':') == 1; }

QString FolderOf(const QString &text) { return text.left(NameStart(text)); }

QString FileNameOf(const QString &text) { return text.mid(NameStart(text)); }

LocalPath Resolve(const QString &root, const QString &text)
{
    Anchored anchored = Anchor(root, text);
    Normalise(anchored);
    const QString asWritten = anchored.names.isEmpty() ? anchored.base : anchored.base + '/' + anchored.names.join('/');
    if (QFileInfo::exists(asWritten))
        return {asWritten, true};

    const QString found = FindIgnoringCase(anchored.base, anchored.names, 0);
    return found.isEmpty() ? LocalPath{asWritten, false} : LocalPath{found, true};
}

} // namespace WindowsPath

#include "WindowsPath.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace WindowsPath {
namespace {

bool IsSeparator(QChar c) { return c == '\\' || c == '/'; }

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

Anchored Anchor(const QString &root, const QString &text)
{
    static const QRegularExpression separators(R"([\\/])");
    if (IsNetworkPath(text))
        return {DosDevices(), QStringList{"unc"} + text.mid(2).split(separators, Qt::SkipEmptyParts), 3};
    if (HasDrive(text))
        return {DosDevices(), QStringList{text.left(2).toLower()} + text.mid(2).split(separators, Qt::SkipEmptyParts), 1};
    return {root, text.split(separators, Qt::SkipEmptyParts), 0};
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

// The entries of folder that answer to name: the exact one first, then the others that differ
// only in case, in name order.
QStringList Candidates(const QString &folder, const QString &name)
{
    QStringList candidates;
    if (QFileInfo::exists(folder + '/' + name))
        candidates.append(name);
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &entry : entries) {
        if (entry != name && entry.compare(name, Qt::CaseInsensitive) == 0)
            candidates.append(entry);
    }
    return candidates;
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

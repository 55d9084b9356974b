#include "WindowsPath.h"

#include "ByteNamedFiles.h"
#include "CodePage.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <dirent.h>
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

// A name folded for a lookup blind to case, character by character as QString::compare folds it.
QString Folded(QStringView name)
{
    QString folded;
    folded.reserve(name.size());
    for (const char32_t character : name.toUcs4())
        folded += QChar::fromUcs4(QChar::toCaseFolded(character));
    return folded;
}

// A folder's entries as the disk names them (bytes, which need not be UTF-8), by their folded names:
// read as UTF-8 where this system names them so, and in the project's code page.
struct FoldedListing {
    timespec modified;
    QList<QByteArray> names;
    QMultiHash<QString, QByteArray> asUtf8;
    QMultiHash<QString, QByteArray> inCodePage;
    QByteArray codePage; // that inCodePage was read in; empty until it is first wanted
};

FoldedListing ReadListing(const QByteArray &folder, const timespec &modified)
{
    FoldedListing listing;
    listing.modified = modified;
    if (DIR *entries = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(entries)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            listing.names.append(name);
            if (ByteNamedFiles::QtCanName(name))
                listing.asUtf8.insert(Folded(QFile::decodeName(name)), name);
        }
        ::closedir(entries);
    }
    return listing;
}

void ReadInCodePage(FoldedListing &listing)
{
    const QByteArray codePage = CodePage::AnsiName();
    if (listing.codePage == codePage)
        return;
    listing.inCodePage.clear();
    for (const QByteArray &name : std::as_const(listing.names))
        listing.inCodePage.insert(Folded(CodePage::Decode(name)), name);
    listing.codePage = codePage;
}

enum class Reading { AsUtf8, AsUtf8OrInCodePage };

// The entries of folder whose name, read as asked, differs from name at most in case, in byte order.
// Listings are kept while their folder is unchanged: a project whose names differ from the disk in
// case, or whose optional companions are absent, looks into the same few folders for many members,
// and reading every name of a listing again for each is costly.
QList<QByteArray> EntriesAnsweringTo(const QByteArray &folder, const QString &name, Reading reading)
{
    static QMutex lock;
    static QHash<QByteArray, FoldedListing> listings;

    struct stat info;
    if (::stat(folder.constData(), &info) != 0)
        return {};
    QMutexLocker guard(&lock);
    auto known = listings.find(folder);
    if (known == listings.end() || known->modified.tv_sec != info.st_mtim.tv_sec
        || known->modified.tv_nsec != info.st_mtim.tv_nsec)
        known = listings.insert(folder, ReadListing(folder, info.st_mtim));
    FoldedListing &listing = *known;
    const QString folded = Folded(name);
    QList<QByteArray> entries;
    for (const QByteArray &entry : listing.asUtf8.values(folded)) {
        if (QFile::decodeName(entry).compare(name, Qt::CaseInsensitive) == 0)
            entries.append(entry);
    }
    if (reading == Reading::AsUtf8OrInCodePage) {
        ReadInCodePage(listing);
        for (const QByteArray &entry : listing.inCodePage.values(folded)) {
            if (!entries.contains(entry) && CodePage::Decode(entry).compare(name, Qt::CaseInsensitive) == 0)
                entries.append(entry);
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The entries of folder that answer to name: the exact one first, then the others that differ
// only in case, in name order.
QStringList Candidates(const QString &folder, const QString &name)
{
    QStringList others;
    for (const QByteArray &bytes : EntriesAnsweringTo(QFile::encodeName(folder), name, Reading::AsUtf8)) {
        const QString entry = QFile::decodeName(bytes);
        if (entry != name)
            others.append(entry);
    }
    others.sort();
    if (QFileInfo::exists(folder + '/' + name))
        others.prepend(name);
    return others;
}

bool NativeExists(const QByteArray &path)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0;
}

// The bytes a name may have on disk: UTF-8, as this system writes names, and the project's code
// page, as a copy from a Windows share keeps them.
QList<QByteArray> NativeForms(const QString &name)
{
    QList<QByteArray> forms{QFile::encodeName(name)};
    const std::optional<QByteArray> encoded = CodePage::Encode(name);
    if (encoded && *encoded != forms.constFirst())
        forms.append(*encoded);
    return forms;
}

// Candidates over the bytes of the entries: the name in either form first, then the entries that
// differ from it only in case, read in either, in byte order.
QList<QByteArray> NativeCandidates(const QByteArray &folder, const QString &name)
{
    const QList<QByteArray> forms = NativeForms(name);
    QList<QByteArray> others = EntriesAnsweringTo(folder, name, Reading::AsUtf8OrInCodePage);
    others.removeIf([&forms](const QByteArray &entry) { return forms.contains(entry); });
    for (auto form = forms.crbegin(); form != forms.crend(); ++form) {
        if (NativeExists(folder + '/' + *form))
            others.prepend(*form);
    }
    return others;
}

// Walks the names down from folder; when a branch leads nowhere, the next candidate is tried, so
// that "Forms\B.frm" is found in "forms/" even where a "Forms/" without it also exists.
template <typename Path, typename CandidatesOf>
Path Walk(const Path &folder, const QStringList &names, qsizetype index, CandidatesOf candidatesOf)
{
    if (index == names.size())
        return folder;
    for (const Path &candidate : candidatesOf(folder, names[index])) {
        const Path found = Walk(folder + '/' + candidate, names, index + 1, candidatesOf);
        if (!found.isEmpty())
            return found;
    }
    return Path();
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

    const QString found = Walk(anchored.base, anchored.names, 0, Candidates);
    return found.isEmpty() ? LocalPath{asWritten, false} : LocalPath{found, true};
}

LocalPath ResolveInCodePage(const QString &root, const QString &text)
{
    const LocalPath inUtf8 = Resolve(root, text);
    if (inUtf8.found)
        return inUtf8;
    Anchored anchored = Anchor(root, text);
    Normalise(anchored);
    const QByteArray native = Walk(QFile::encodeName(anchored.base), anchored.names, 0, NativeCandidates);
    if (native.isEmpty())
        return inUtf8;
    const QString reaching = ByteNamedFiles::PathTo(native);
    return reaching.isEmpty() ? inUtf8 : LocalPath{reaching, true};
}

} // namespace WindowsPath

#include "ZipReaderState.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <sys/stat.h>

namespace {

bool HasControlCharacter(const QString &name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

bool IsSymbolicLink(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    zip_file_get_external_attributes(archive, index, 0, &system, &attributes);
    return system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

} // namespace

// Entry names may use either separator; both split folders when extracting.
QStringList EntryNameParts(const QString &name)
{
    static const QRegularExpression separators(R"([\\/])");
    QStringList parts = name.split(separators, Qt::SkipEmptyParts);
    parts.removeAll(".");
    return parts;
}

QString EntryNameRefusal(const QString &name)
{
    const QStringList parts = EntryNameParts(name);
    if (parts.isEmpty())
        return "has no name";
    if (HasControlCharacter(name))
        return "has a control character in its name";
    if (name.startsWith('/') || name.startsWith('\\'))
        return "is an absolute path";
    if (name.size() > 1 && name[0].isLetter() && name[1] == ':')
        return "names a drive";
    if (parts.contains(".."))
        return "climbs out of the folder with \"..\"";
    return {};
}

// Why an entry could write outside the destination folder; empty when it cannot.
QString ZipReader::State::RefusalReason(const Entry &entry) const
{
    if (const QString refusal = EntryNameRefusal(entry.name); !refusal.isEmpty())
        return refusal;
    if (IsSymbolicLink(reader, entry.index))
        return "is a symbolic link";
    return {};
}

// Why two entries could not both be extracted as named; empty when every name is free. Two files
// of one path would leave only the later; a file where another entry needs a folder cannot be both.
QString ZipReader::State::NameClash(const std::vector<Entry> &entries)
{
    QSet<QString> files;
    QSet<QString> folders;
    for (const Entry &entry : entries) {
        const qsizetype folderDepth = entry.isFolder ? entry.names.size() : entry.names.size() - 1;
        for (qsizetype depth = 1; depth <= folderDepth; ++depth)
            folders.insert(entry.names.mid(0, depth).join('/'));
        if (entry.isFolder)
            continue;
        const QString path = entry.names.join('/');
        if (files.contains(path))
            return QString("\"%1\" appears twice").arg(path);
        files.insert(path);
    }
    for (const QString &path : std::as_const(files)) {
        if (folders.contains(path))
            return QString("\"%1\" is both a file and a folder").arg(path);
    }
    return {};
}

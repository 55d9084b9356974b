#include "MemberPaths.h"

#include "WindowsPath.h"

namespace {
const QString kOutsideRoot = QStringLiteral("FileNotInRootPath\\");

QString WithoutClimbs(QString path) { return path.replace(QLatin1String(".."), QLatin1String("--")); }

// Windows allows no control character in a file name; one that a Linux name holds would make an
// entry no careful extractor accepts.
QString WithoutControlCharacters(QString path)
{
    for (QChar &c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = '_';
    }
    return path;
}
} // namespace

QString ArchiveEntryPath(const QString &written)
{
    // Windows takes "/" between names as well, and project files edited elsewhere use it; left as
    // it is, "../Shared/a.bas" would keep its climb into the archive, which no careful extractor
    // (Quenzar's own restore among them) accepts.
    const QString path = WithoutControlCharacters(written).replace('/', '\\');
    // A drive comes first: "D:a.bas" names no folder but is no less on another disk.
    if (WindowsPath::HasDrive(path))
        return kOutsideRoot + "Disk_" + QString(path).replace(':', '_');
    if (!path.contains('\\'))
        return path;
    if (path.startsWith(QLatin1String("\\\\")))
        return kOutsideRoot + '~' + path.mid(2);
    if (path.startsWith(QLatin1String("..")))
        return kOutsideRoot + WithoutClimbs(path);
    return WithoutClimbs(path);
}

QString MemberAbsolutePath(const QString &projectRoot, const QString &path)
{
    return WindowsPath::Resolve(projectRoot, path).path;
}

QString EntryFolder(const QString &entryPath)
{
    const qsizetype backslash = entryPath.lastIndexOf('\\');
    return backslash < 0 ? QString() : entryPath.left(backslash);
}

QString EntryFileName(const QString &entryPath) { return entryPath.mid(entryPath.lastIndexOf('\\') + 1); }

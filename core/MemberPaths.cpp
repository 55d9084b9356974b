#include "MemberPaths.h"

#include "WindowsPath.h"

#include <QStringList>

namespace {
const QString kOutsideRoot = QStringLiteral("FileNotInRootPath\\");

// Only a whole ".." climbs: "frmLog..frm" is a name of its own, which a form's text names as it is.
QString WithoutClimbs(const QString &path)
{
    QStringList names = path.split('\\');
    for (QString &name : names) {
        if (name == QLatin1String(".."))
            name = QStringLiteral("--");
    }
    return names.join('\\');
}

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
    // Climbs are taken out of every branch, so that no entry leads above the archive's folder.
    const QString entry = WithoutClimbs(path);
    // A drive comes first: "D:a.bas" names no folder but is no less on another disk.
    if (WindowsPath::HasDrive(path))
        return kOutsideRoot + "Disk_" + QString(entry).replace(':', '_');
    if (!path.contains('\\'))
        return entry;
    if (path.startsWith(QLatin1String("\\\\")))
        return kOutsideRoot + '~' + entry.mid(2);
    // "\Lib\x.bas" starts at the root of the project's own drive, whose letter the text does not give.
    if (path.startsWith('\\'))
        return kOutsideRoot + "Disk_" + entry;
    if (path.startsWith(QLatin1String("..\\")))
        return kOutsideRoot + entry;
    return entry;
}

QString MemberAbsolutePath(const QString &projectRoot, const QString &path)
{
    return WindowsPath::ResolveInCodePage(projectRoot, path).path;
}

QString EntryFolder(const QString &entryPath)
{
    const QString folder = WindowsPath::FolderOf(entryPath);
    return folder.left(folder.size() - 1);
}

QString EntryFileName(const QString &entryPath) { return WindowsPath::FileNameOf(entryPath); }

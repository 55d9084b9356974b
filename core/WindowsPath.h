#pragma once

#include <QString>

// Member paths in a project file are Windows text written by Visual Basic ("Forms\Main.frm",
// "..\Shared\a.bas", "D:\Lib\x.bas", "\\srv\share\y.bas"). This turns such text into a path on
// this machine.
namespace WindowsPath {

// "\\server\share\..." (or with "/").
bool IsNetworkPath(const QString &text);
// "D:\..." or "D:...": the first ":" is the second character.
bool HasDrive(const QString &text);

// The folder and the file name of Windows text, split after the last separator: Visual Basic
// writes "\", project files edited elsewhere "/", and Windows takes both. The folder keeps its
// separator ("Forms\" of "Forms\Main.frm") and is "" for a name alone.
QString FolderOf(const QString &text);
QString FileNameOf(const QString &text);

struct LocalPath {
    QString path;       // the local path, as found on disk when found
    bool found = false; // false: nothing on disk answers to the text
};

// Relative text lies below root; a drive goes through the Wine prefix's drive map
// (${WINEPREFIX:-~/.wine}/dosdevices/d:), a network path through dosdevices/unc/server/share.
// When the path does not exist as written, each name along it is matched without regard to case,
// as on the Windows file system the project came from; an exact match wins. A name with no match
// (an 8.3 short name, an unmapped drive) leaves the path not found, never a substitute.
LocalPath Resolve(const QString &root, const QString &text);

// Resolve, then, when nothing answers, the same with each name also taken as the bytes of the ANSI
// code page the project file is read in (CodePage.h), exactly and then without regard to case: a
// project copied from a Windows share keeps names such as "Na\xEFve.bas" (Windows-1252), which are
// not UTF-8. The path of a file so found reaches it through ByteNamedFiles, whose ReadablePath
// names it in messages.
LocalPath ResolveInCodePage(const QString &root, const QString &text);

} // namespace WindowsPath

#pragma once

#include <QString>

// Where a member named in a project file goes inside the archive, and where it lies on this machine.

// The member's path inside the archive, "\" between names (a "/" in the text counts as one).
// Members outside the project folder (another drive, a network share, a path climbing out) go below
// "FileNotInRootPath\", so that the extracted archive holds the whole project and nothing lands
// above its folder.
QString ArchiveEntryPath(const QString &path);

// The member file on this machine: relative paths below projectRoot, drive and network paths
// through the Wine prefix, names matched without regard to case, in UTF-8 and then in the project's
// code page (see WindowsPath::ResolveInCodePage).
QString MemberAbsolutePath(const QString &projectRoot, const QString &path);

// The folder and the file name of an archive entry path ("\" between names); the folder is ""
// for an entry at the archive's root.
QString EntryFolder(const QString &entryPath);
QString EntryFileName(const QString &entryPath);

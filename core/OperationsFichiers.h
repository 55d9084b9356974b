#pragma once

#include <QString>

// OperationsFichiers, French for "file operations": the program has always kept its shared file
// helpers under this name. Every window and module uses them, one definition each. Folders are
// handed around ending in the platform separator "/".

// Removes leading and trailing blanks, as Visual Basic's Trim does (tabs stay).
QString TrimBlanks(const QString &text);
// Trims blanks and ends the path with "/" ("" gives "/").
QString AddBackslash(const QString &path);
// Everything before the last "/"; "" for an empty path or one without "/".
QString ParentFolder(const QString &path);
// Everything after the last "/"; the path itself when it has none.
QString FileNamePart(const QString &path);
// True for a file that exists, not a folder: what Windows tells by reading the file's length.
bool FileExists(const QString &path);
// True when both paths lead to one file (by its device and inode: a path may reach a file whose
// name Qt cannot decode, see ByteNamedFiles.h).
bool SameFile(const QString &one, const QString &other);
// Creates every folder along the path, up to its last "/"; a path without "/" is one folder.
// Errors are ignored: a folder that could not be made shows up when it is used.
void MakeDirs(const QString &path);
// Deletes one file; errors are ignored.
void DeleteFileQuiet(const QString &path);
// One value of an INI file, as Windows' profile-string reader gives it: at most 254 characters,
// Default when the file, the section or the key is missing.
QString ReadIni(const QString &section, const QString &key, const QString &defaultValue, const QString &filePath);

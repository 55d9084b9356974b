#pragma once

#include <QString>
#include <functional>

// Hands a document, a folder or a web address to the desktop, which opens it with the program
// associated with it (the file manager, the browser). Returns at once.

// Starts the desktop opener for target in workingFolder (empty: the caller's own); the process id
// of the started opener, 0 when it could not start. Tests put a recording opener in its place.
using DesktopOpener = std::function<qint64(const QString &target, const QString &workingFolder)>;

// The opener in use; by default xdg-open, started detached.
void SetDesktopOpener(DesktopOpener opener);
DesktopOpener DefaultDesktopOpener();

// The process id of the started opener; 0 when it could not start; -1 on an unexpected error.
// The working folder is the file's folder: the text before its last "/" (a folder ending in "/"
// is its own working folder); a web address, or a name without a folder, gets none. The verb,
// the show command and the owner window are kept for callers; the desktop opener knows only "open".
qint64 ShellOpen(const QString &file, const QString &parameters, const QString &verb, int showCommand,
                 qint64 ownerWindow);

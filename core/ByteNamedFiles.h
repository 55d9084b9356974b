#pragma once

#include <QByteArray>
#include <QString>

// Files whose names on disk are not UTF-8: a project copied from a Windows share keeps its names
// in the Windows code page ("Na\xEFve.bas"). Qt decodes file names as UTF-8, so no QString path can
// name such a file; this gives one that reaches it all the same: "/proc/self/fd/N", N a descriptor
// opened with O_PATH (no read access of its own, closed on exec) and kept for the life of the
// process. A path handed out therefore never comes to name another file: a descriptor is never
// closed, and the same native path gives the same one while it names the same file. They number
// one for each file so reached (a new one when a file at a path is replaced).
namespace ByteNamedFiles {

// Whether a QString path can name the file: its bytes are UTF-8.
bool QtCanName(const QByteArray &nativePath);

// A path that opens, reads and stats the file at nativePath: nativePath itself when Qt can name
// it, else one through a descriptor, or empty when no file is there.
QString PathTo(const QByteArray &nativePath);

// A path for messages: one that PathTo handed out names its file, each byte that is not UTF-8
// written "\xEF"; any other path stays as it is.
QString ReadablePath(const QString &path);

} // namespace ByteNamedFiles

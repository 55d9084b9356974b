#pragma once

#include "Outcome.h"

#include <QString>
#include <sys/stat.h>

// A file opened for reading only when it is a regular file: a named pipe is never waited on, and
// a device or a folder is never read as if it were one. Opened without blocking, then checked on
// the descriptor itself, so that a name swapped meanwhile cannot slip another kind of file in.
struct OpenedFile {
    int descriptor = -1;   // owned by the caller
    struct stat status {}; // as the open file was found
};
// The reason, when it fails: "it does not exist", "it is not a regular file", or the system's.
[[nodiscard]] Outcome<OpenedFile> OpenRegularFile(const QString &path);

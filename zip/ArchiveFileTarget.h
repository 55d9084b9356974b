#pragma once

#include <QString>
#include <zip.h>

// The file a new archive is written to, as libzip writes it: into a temporary file beside it,
// renamed over it only when the whole archive is written, removed otherwise. Writes are gathered
// in a large buffer, and libzip's return to each entry's local header (to fill in its sizes) is
// mostly a move within that buffer: libzip's own file writes 8 KiB at a time and seeks on disk
// for every entry. The archive is always made anew: nothing is read from an existing file.
// Null, error set, when the source cannot be made.
[[nodiscard]] zip_source_t *CreateArchiveFileTarget(const QString &archivePath, zip_error_t *error);

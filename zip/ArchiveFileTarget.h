#pragma once

#include "TemporaryFiles.h"

#include <QString>
#include <optional>
#include <zip.h>

// What writing through the target left: the whole archive in a temporary file beside its final
// name, for the caller to publish there or drop; or why the temporary file could not be made.
struct ArchiveFileOutcome {
    std::optional<TemporaryPath> written;
    QString failure;
};

// The file a new archive is written to, as libzip writes it: a temporary file beside the archive
// (TemporaryPath), handed over in outcome once the whole archive is in it, removed otherwise.
// Writes are gathered in a large buffer, and libzip's return to each entry's local header (to
// fill in its sizes) is mostly a move within that buffer: libzip's own file writes 8 KiB at a time
// and seeks on disk for every entry. The archive is always made anew: nothing is read from an
// existing file. Null, error set, when the source cannot be made.
[[nodiscard]] zip_source_t *CreateArchiveFileTarget(const QString &archivePath, ArchiveFileOutcome &outcome,
                                                    zip_error_t *error);

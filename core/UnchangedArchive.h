#pragma once

#include "ZipWriter.h"

#include <QString>
#include <QStringList>
#include <optional>

// For runs that write nothing when nothing changed: the newest earlier archive of a project, and
// whether a new archive holds the same as it.

struct EarlierArchive {
    QString Path;
    QString Stamp;
};

// The newest archive (by the stamp in its name) of the project that archiveFileName names, in the
// first of the folders that holds one; the folders newest first.
[[nodiscard]] std::optional<EarlierArchive> NewestEarlierArchive(const QStringList &folders,
                                                                 const QString &archiveFileName);

// Whether both archives hold the same entries, compared by name, size and CRC-32 as their central
// directories give them (the project file at the root by its content alone, whatever its name),
// and the same comment. Archives with protected entries never compare the same: their CRC may be
// left out.
[[nodiscard]] bool SameEntries(const QString &archive, const QString &earlier);

// Whether the new archive may be dropped in favour of the earlier one: the same entries, and the
// earlier archive reads whole, every entry to its end with its CRC-32 checked. A damaged earlier
// archive is never the only backup left.
[[nodiscard]] bool Unchanged(const QString &archive, const QString &earlier);
// The same for an archive planned and not written (a dry run's).
[[nodiscard]] bool Unchanged(const ZipWriter::Planned &archive, const QString &earlier);

#pragma once

#include <QStringList>

// Removing old backups after a run that asked to keep only the newest ones. Only what Quenzar
// itself wrote is ever removed: a file named by the archive naming rule ("NAME M.m.r.STAMP.zip",
// or with " (2)"...) that is a zip archive with a project file at its root. Archives written by the
// run itself are never removed, nor any whose stamp is not older than the run's: a clock set back,
// or a run given an older --stamp, must not remove the newest backups.

struct PruneResult {
    QStringList Removed; // in the order removed
    QStringList Failed;  // "PATH: reason"
};

// Whether pruning removes, or (a dry run's) only names in Removed what it would remove.
enum class Pruning { Remove, NameOnly };

// A project run: the archives of the same project name in the folder, beyond the keep newest by
// stamp.
[[nodiscard]] PruneResult PruneProjectArchives(const QString &folder, const QStringList &written, int keep,
                                               const QString &runStamp, Pruning pruning = Pruning::Remove);

// A group run (its archives written in groupFolder/STAMP/): the stamp folders beyond the keep
// newest lose the archives of the run's projects; a stamp folder goes only when nothing else is left.
// A dry run's stamp folder, not made, counts among the newest when it would hold an archive.
[[nodiscard]] PruneResult PruneGroupStamps(const QString &groupFolder, const QStringList &written, int keep,
                                           const QString &runStamp, Pruning pruning = Pruning::Remove);

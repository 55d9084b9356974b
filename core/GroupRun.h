#pragma once

#include "ArchiveRun.h"
#include "GroupFile.h"

#include <QList>

struct GroupProject {
    QString listed; // as the group file lists it
    QString file;   // on this machine
};

// The projects a run archives, in list order: blank entries are skipped, and a project listed twice
// (the same file on this machine) is archived once.
QList<GroupProject> ProjectsToRun(const QString &groupFilePath, const QStringList &members);

// Archives every project of a group, one archive each, in list order, all into
// destination/group name/stamp/ (one stamp for the whole run). The folder is made and remembered
// before the first project (PrepareBackupFolder). Stops at the first project that fails, keeping the
// archives already written, unless the choices go on after a failure; a blank entry is skipped, a project listed twice
// archived once, and two projects of one name and version get distinct archive names (see DistinctBaseName), so no
// archive of the run replaces another. The observer is asked before each project, and while each is
// archived, whether to stop: the run then ends cancelled, keeping the archives it finished. A dry
// run (choices.DryRun) makes, locks, remembers, writes and removes nothing: the result says what
// the run would do.
[[nodiscard]] ArchiveRunResult RunGroup(const QString &groupFilePath, const GroupForArchiving &group,
                                        const QString &destination, const QString &stamp, const ArchiveChoices &choices,
                                        ArchiveObserver &observer, const RememberFolder &remember);

#pragma once

#include "ArchiveObserver.h"
#include "GroupFile.h"

#include <QStringList>
#include <functional>

struct GroupRunResult {
    QString BackupFolder;  // destination/group name/stamp/
    QStringList Archives;  // written, in list order
    bool Complete = false; // false: a project failed and the run stopped there
};

// Archives every project of a group, one archive each, in list order, all into
// destination/group name/stamp/ (one stamp for the whole run). The folder is created and handed to
// storeLastDir before the first project. Stops at the first project that fails, keeping the
// archives already written; a blank entry is skipped, a project listed twice archived once, and
// two projects of one name and version get distinct archive names (see DistinctBaseName), so no
// archive of the run replaces another. A folder that cannot be created stops the run before any
// project, with a failure the observer is shown.
GroupRunResult RunGroup(const QString &groupFilePath, const GroupForArchiving &group, const QString &destination,
                        const QString &stamp, const QString &password, ArchiveObserver &observer,
                        const std::function<void(const QString &)> &storeLastDir);

// The group name as a single folder name: no separators, no climbing.
QString GroupFolderName(const QString &groupName);
// destination/group name/stamp/, where one run of a group puts its archives.
QString GroupBackupFolder(const QString &destination, const QString &groupName, const QString &stamp);

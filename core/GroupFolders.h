#pragma once

#include <QString>
#include <QStringList>

// Where a group's archives lie: destination/group name/stamp/, one stamp folder per run.

// The group name as a single folder name: no separators, no climbing.
QString GroupFolderName(const QString &groupName);

// destination/group name/stamp/, where one run of a group puts its archives.
QString GroupBackupFolder(const QString &destination, const QString &groupName, const QString &stamp);

// The stamp folders in a group's folder (destination/group name/), newest first.
QStringList StampFoldersNewestFirst(const QString &groupFolder);

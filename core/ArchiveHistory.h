#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The archives a project has in its backup folders, as their names and central directories tell:
// nothing is inflated or decrypted, so a history of many large archives is quick to list.

struct ArchiveRecord {
    QString Path;
    QString Stamp; // "yyyymmddhhnnss", local time, from the file name
    int Copy = 1;  // 2 for " (2)"...: a later archive of the same stamp
    qint64 Size = 0;
    QString Unreadable; // why the archive cannot be listed; empty when it can
    qsizetype Entries = 0;
    bool Protected = false; // some entry is encrypted
    QStringList Missing;    // what its comment records as missing when it was written: empty when whole
};

// Every file in the folders named by the archive naming rule for the project that archiveFileName
// (any archive name of it) names, newest first: a later stamp, then a later copy. A file that
// cannot be read as a zip archive is listed with its reason, never left out.
[[nodiscard]] QList<ArchiveRecord> ProjectHistory(const QStringList &folders, const QString &archiveFileName);

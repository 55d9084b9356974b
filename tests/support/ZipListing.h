#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// An archive read with bsdtar, a reader independent of ours.
QStringList ArchiveEntries(const QString &archivePath);
QByteArray ArchiveEntryContent(const QString &archivePath, const QString &entry);
// The lines of an entry, split at CR LF; fails the test when a line ends otherwise.
QList<QByteArray> ArchiveEntryLines(const QString &archivePath, const QString &entry);
// An entry's CRC-32 as unzip -v lists it (eight hexadecimal digits); empty when it lists no such entry.
QString UnzipCrc(const QString &archivePath, const QString &entry);
// The archive's comment as unzip -z shows it, a line each.
QStringList ArchiveCommentLines(const QString &archivePath);

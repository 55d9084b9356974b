#pragma once

#include "ZipReader.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A whole write or extraction through the engine, as one call.

struct Member {
    QString prefix;
    QString file;
};

// The write, or the first member refused.
Outcome<void> Archive(const QString &archivePath, const QList<Member> &members, const QString &password = {});

// The extraction; an archive that does not open fails as Failed.
Outcome<ZipReader::Extraction, ZipFailure> Extract(const QString &archivePath, const QString &destination,
                                                   const QString &password = {});

// How many files an extraction wrote, or -1 when it failed: for tests that expect one of both.
int FilesWritten(const Outcome<ZipReader::Extraction, ZipFailure> &extraction);
// The kind of an extraction's failure; nothing when it did not fail.
std::optional<ZipFailure::Kind> FailureOf(const Outcome<ZipReader::Extraction, ZipFailure> &extraction);

// Everything below the folder, hidden files and links included, relative and sorted.
QStringList Contents(const QString &folder);

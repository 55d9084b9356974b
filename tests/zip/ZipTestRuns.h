#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A whole write or extraction through ZipArchive, as one call.

struct Member {
    QString prefix;
    QString file;
};

// WriteAndClose's status, or 0 when a member was refused.
int Archive(const QString &archivePath, const QList<Member> &members, const QString &password = {});

// ExtractAll's result, or ExtractFailed when the archive does not open.
int Extract(const QString &archivePath, const QString &destination, const QString &password = {});

// Everything below the folder, hidden files and links included, relative and sorted.
QStringList Contents(const QString &folder);

#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Where the archives of a project, or of each project of a group, lie: what history and diff look
// through, found as archive finds the backup folder it writes into.

struct ProjectBackups {
    QString Project;         // as given, or as the group lists it
    QString File;            // the project file on this machine
    QString ArchiveFileName; // an archive name of the project, whose NAME part names all of them
    QStringList Folders;     // where its archives lie: the backup folder, or a group's stamp folders newest first
    QString Error;           // why the project file could not be read; nothing else is then known
};

// The project or group at path, its backup folder destination when given (as archive's --dest).
// Nothing, with the reason printed, when path is no project or group file (a folder: naming the
// project and group files in it), or the group file cannot be read.
[[nodiscard]] std::optional<QList<ProjectBackups>> FindProjectBackups(const QString &path, const QString &destination);

// When path is a folder, where a project or group file is wanted: prints so, naming the project
// and group files in it, and gives true.
bool RefusedAsFolder(const QString &path);

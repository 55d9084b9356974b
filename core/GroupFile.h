#pragma once

#include "Outcome.h"

#include <QString>
#include <QStringList>

// The project group file (".vbpgroup"), Quenzar's own format: text in the ANSI code page, every
// line ended by CR LF. Line 1 the group name, line 2 the main project, line 3 "[PATH]" and the
// backup folder, then one further project per line. Paths are stored as they were chosen.

struct GroupForEditing {
    QString GroupName;
    QString MainProject;
    QString BackupFolder;
    QStringList FurtherProjects;
};

struct GroupForArchiving {
    QString GroupName;
    QString BackupFolder;
    QStringList Members; // the main project first, then the further ones, in file order
};

// A project's own backup folder: its folder followed by "Sources.Backup/". The project may be
// written as Windows text ("C:\Dev\Main\Main.vbp"), so both separators end its folder; a project
// without a folder (or none at all) gives a folder relative to where it is used, never the root.
QString DefaultBackupFolder(const QString &project);

// A file chosen in the main window is a group when its upper-cased path ends with ".VBPGROUP";
// a path handed back by the group editor or given on the command line when it contains it.
bool IsGroupFile(const QString &path);
bool NamesGroupFile(const QString &path);

// Replaces the file whole or not at all: a failed save keeps the previous group file. Fails,
// writing nothing, when the code page cannot hold a name or a path.
Outcome<void> WriteGroupFile(const QString &filePath, const GroupForEditing &group);

Outcome<GroupForEditing> ReadGroupFileForEditing(const QString &filePath);
Outcome<GroupForArchiving> ReadGroupFileForArchiving(const QString &filePath);

// The project file a group lists, on this machine: native absolute paths as they are, Windows
// paths (a drive, "\\server") through the Wine prefix, relative ones below the group file's folder;
// names that differ only in case are found.
QString GroupMemberLocalPath(const QString &groupFilePath, const QString &member);

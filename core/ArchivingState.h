#pragma once

#include "Outcome.h"
#include "ProjectFile.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <optional>

// What archiving does when a member file is not there to be archived.
enum class MissingMembers {
    Fail,             // the archive fails at its line
    Record,           // a file that does not exist is left out and recorded in the archive's comment
    RecordUnreadable, // and so is a file that exists but cannot be read
};

// What the user chose for a whole run, alike for every project of it.
struct ArchiveChoices {
    QString Password; // empty: no protection
    MissingMembers Missing = MissingMembers::Fail;
    bool ContinueAfterFailure = false; // a group run goes on with the next project after one fails
    bool IfChanged = false;            // no archive for a project whose newest earlier archive holds the same
    bool WindowsLineEnds = false;      // text members stored with CR LF where a line ends with a lone LF
    bool ReuseEarlierEntries = true;   // unchanged entries copied from the project's newest earlier archive
    int Keep = 0;                      // after a run that wrote every archive, the N newest are kept; 0: all
    bool DryRun = false;               // nothing is written, made or removed: the run finds what it would do
};

// What the caller prepares before each ArchiveProject: the project, its names and its destination.
struct ArchivingState {
    QString ProjectRoot;        // folder of the project file, no trailing separator
    ProjectIdentity Identity;   // ProjectName and the three version numbers
    QString BackupStamp;        // "yyyymmddhhnnss"
    QString BackupFolder;       // destination folder
    QString ArchiveFileName;    // no folder
    QString NewProjectFileName; // the rewritten project file inside the archive
    qint32 ProjectLineCount = 0;
    ArchiveChoices Choices;
    QString EarlierArchive; // the project's newest earlier archive, whose unchanged entries are copied
};

// The local date and time as "yyyymmddhhnnss".
QString BackupStampOf(const QDateTime &moment);

// Name, version and stamp joined, made safe as a file name: "MyApp 1.2.3.20240102030405".
QString ArchiveBaseName(const ProjectIdentity &identity, const QString &stamp);

// What an archive's file name says when it follows the naming rule: "NAME M.m.r.STAMP.zip", or
// with " (2)", " (3)"... before ".zip".
struct NamedArchive {
    QString project; // NAME, as the file name gives it
    QString stamp;
    int copy = 1; // 2 for " (2)"...: a later archive of the same stamp
    // Newer: a later stamp, or the same stamp and a later copy.
    bool operator>(const NamedArchive &other) const
    {
        return stamp != other.stamp ? stamp > other.stamp : copy > other.copy;
    }
};
std::optional<NamedArchive> ParseArchiveName(const QString &fileName);

// Whether an entry name is a project file at the archive's root, where archiving puts the
// rewritten one (any case: other tools write "PROJ.VBP").
bool IsRootProjectEntry(const QString &entryName);

// Sets ArchiveFileName and NewProjectFileName: the base name followed by ".zip" and ".vbp".
void SetArchiveNames(ArchivingState &state, const QString &baseName);

// The base name, or, when an archive of the same run already took it, the same followed by " (2)",
// " (3)" and so on: two projects of one name and version in a group each keep their archive.
// taken holds the base names already taken, case-folded (the backup folder may lie on a disk that
// ignores case).
QString DistinctBaseName(const QString &baseName, const QSet<QString> &taken);
// The base names of the archives already in folder, case-folded: no archive of a run replaces one.
QSet<QString> ArchiveBaseNamesIn(const QString &folder);

// How a project is named before its Name= line is read: a project chosen alone after its file
// name, a project of a group after the path the group lists (both without ".vbp").
enum class ProjectNaming { ByFileName, ByGroupPath };

// Reads the project file and fills the state for archiving it: root, identity, line count, the
// default destination (the project's "Sources.Backup" folder) and both file names.
// projectText is the path as the user or the group file gave it; projectFile the file on disk.
Outcome<ArchivingState> PrepareProject(const QString &projectFile, const QString &projectText, ProjectNaming naming,
                                       const QString &stamp);

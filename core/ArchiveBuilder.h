#pragma once

#include "ArchiveObserver.h"
#include "ArchivingState.h"
#include "ZipWriter.h"

struct BuiltArchive {
    bool Written = false;
    // False when the archive was written but dropped, as the keep decision asked.
    bool Kept = false;
    // What the archive was written without, as its comment records it (see MissingFilesRecord.h).
    QStringList Missing;
    // When the archive failed at a member file that does not exist: that member's line. Recording
    // missing members instead (MissingMembers::Record) would archive the rest.
    QString MissingMember;
    // The observer asked the run to stop: nothing was written, and no failure shown.
    bool Cancelled = false;
    // A dry run's: what the archive would store (nothing was written).
    ZipWriter::Planned Plan = {};
    // What the archive took, or would take, from the earlier archive.
    EarlierArchiveUse Reuse = {};
    explicit operator bool() const { return Written; }
};

// Writes one zip archive of a Visual Basic 6 project: every member file and every companion
// under the path the project file gives it, and at the archive's root a rewritten project file
// whose member lines name those archived copies, so that the extracted archive opens anywhere.
// The archive lands at BackupFolder/ArchiveFileName, which the caller has created. Not written
// after a failure, which the observer has been shown as "Archive creation error". A binary file
// that a member names but that is not beside it never fails the archive: it is recorded in the
// archive's comment, as missing member files are when the choices say so. The archive never
// replaces a file of its name: one there fails it. With keep, the whole archive, once written
// under a temporary name, is given its name only when keep says so. The observer is asked after
// every line, and the engine asks it while it writes, whether to stop. A dry run (Choices.DryRun)
// goes the same way up to the write, then only plans it: Plan says what would be stored, and
// Kept is false.
[[nodiscard]] BuiltArchive ArchiveProject(const QString &projectFilePath, const ArchivingState &state,
                                          ArchiveObserver &observer, const ZipWriter::KeepDecision &keep = {});

// Shows the failure the way the builder does: title "Archive creation error", and the text
// ending with "Line : " and the status (the project file line, or the step that failed), then
// the reason on a line of its own when there is one.
void ShowArchiveFailure(ArchiveObserver &observer, const QString &status, const QString &reason = QString());

// The member's line as the archived project file writes it: naming its entry in the archive.
QString ArchivedMemberLine(const ProjectMember &member);

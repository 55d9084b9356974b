#pragma once

#include "ArchiveObserver.h"
#include "ArchivingState.h"

// Writes one zip archive of a Visual Basic 6 project: every member file and every companion
// under the path the project file gives it, and at the archive's root a rewritten project file
// whose member lines name those archived copies, so that the extracted archive opens anywhere.
// The archive lands at BackupFolder/ArchiveFileName, which the caller has created. False after
// a failure, which the observer has been shown as "Archive creation error".
[[nodiscard]] bool ArchiveProject(const QString &projectFilePath, const ArchivingState &state,
                                  ArchiveObserver &observer);

// Shows the failure the way the builder does: title "Archive creation error", and the text
// ending with "Line : " and the status (the project file line, or the step that failed).
void ShowArchiveFailure(ArchiveObserver &observer, const QString &status);

#pragma once

#include "Outcome.h"

#include <QString>

// The folder of the last archive written (LastDir in the machine's store), as the window and
// quenzar-cli both keep it (see ProgramSettings.h).

Outcome<void> RememberLastBackupFolder(const QString &folder);
// "" when no folder was remembered yet.
Outcome<QString> ReadLastBackupFolder();

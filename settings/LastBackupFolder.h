#pragma once

#include "Outcome.h"

#include <QString>

// The program's one setting, the folder of the last archive written (LastDir in the machine's
// store), as the window and quenzar-cli both keep it. Remembering it is a convenience: a store that
// cannot be read or written is told in words, never stops a backup.

Outcome<void> RememberLastBackupFolder(const QString &folder);
// "" when no folder was remembered yet.
Outcome<QString> ReadLastBackupFolder();

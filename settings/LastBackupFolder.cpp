#include "LastBackupFolder.h"

#include "CorvaRegSettings.h"
#include "ProgramSettings.h"

Outcome<void> RememberLastBackupFolder(const QString &folder) { return RememberProgramSetting(kLastDirKey, folder); }

Outcome<QString> ReadLastBackupFolder() { return ReadProgramSetting(kLastDirKey, QString()); }

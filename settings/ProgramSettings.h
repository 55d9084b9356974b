#pragma once

#include "Outcome.h"

#include <QString>

// The settings the program keeps between runs, side by side in the machine's store (application
// kLastDirApp, section kLastDirSection), as the window and quenzar-cli both keep them. Remembering
// one is a convenience: a store that cannot be read or written is told in words, never stops a
// backup.

Outcome<void> RememberProgramSetting(const QString &key, const QString &value);
// defaultValue when nothing was remembered under the key yet.
Outcome<QString> ReadProgramSetting(const QString &key, const QString &defaultValue);

#pragma once

#include <QString>

// Where the program's own files lie: beside the executable in the build tree, below
// share/quenzar when installed.

// The folder of the executable.
QString ProgramFolder();

// <program folder>/<name>, else the installed <program folder>/../share/quenzar/<name>; the first
// when neither exists yet. Folder names match without regard to case, as on Windows.
QString ProgramDataFolder(const QString &name, const QString &programFolder = ProgramFolder());

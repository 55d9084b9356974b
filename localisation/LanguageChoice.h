#pragma once

#include "ProgramFolders.h"

#include <QString>

// The user-interface language: a three-letter code ("eng", "fra", "deu", "ita", "spa", "por",
// "nld") naming the language file <code>.lng in the language folder, chosen from the user's
// Windows locale identifier through the editable map Local.ini.

// <program folder>/Lng, else the installed <program folder>/../share/quenzar/Lng.
QString LanguageFolder(const QString &programFolder = ProgramFolder());

// The language map in use: Local.ini in the language folder, or, for a program whose folder
// cannot be written, the user's copy in $XDG_CONFIG_HOME/Quenzar/Local.ini.
QString LocalIniPath(const QString &programFolder = ProgramFolder());

// Writes the map with its defaults when it is missing; an existing map is never touched.
void EnsureLocalIni(const QString &programFolder = ProgramFolder());

// The code for a locale identifier: the map's Force value, else the locale's entry, else "eng";
// "eng" as well when the chosen language has no file.
QString GetLanguageCode(quint32 localeId, const QString &programFolder = ProgramFolder());

// The file of a language, <language folder>/<code>.lng (found without regard to case).
QString LanguageFilePath(const QString &code, const QString &programFolder = ProgramFolder());

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Under cron, or a service started with a bare environment, no locale names the code page: project
// files are read in Windows-1252, and a project written in another code page names member files that
// are not found. These tell the user which code page would have found them.

// True when neither QUENZAR_CODEPAGE nor LC_ALL, LC_CTYPE or LANG is set: the code page is the
// default one because nothing chose it. The caller knows whether it was given one (--codepage).
bool NoCodePageChosen();

// The code page, among those Windows uses most (Central European, Cyrillic, Western, Greek, Turkish,
// Hebrew, Arabic, Baltic, Vietnamese, Thai, Japanese, Chinese, Korean), under which the project's
// member lines name the most files that are there, when that is more than under the code page in use;
// nothing otherwise. The code page in use is the same afterwards.
std::optional<QByteArray> CodePageFindingMoreMembers(const QString &projectFile);

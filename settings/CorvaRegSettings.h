#pragma once

#include "QuenzarError.h"

#include <QString>

// The settings module, modCorvaRegSettings of old: "Corva" is the prefix of the maker's own
// libraries (as in CorvaneButtonEx and the CorvaOpenThe button), "RegSettings" the registry
// settings it stood for on Windows; here a file store takes the registry's place (FileRegistry).
//
// Small named text settings kept between runs, addressed as in the registry: a hive (true: the
// machine's, false: the user's), the application, a section and a key, at
// SOFTWARE\<AppName>\Settings\<Section>. Both raise QuenzarError with the numbers and French texts
// the program has always used; neither shows anything to the user.

// The program's settings: the folder of the last archive written, and beside it whether the window
// stores text members with Windows line ends ("1" or "0").
inline constexpr const char *kLastDirApp = "Quenzar";
inline constexpr const char *kLastDirSection = "Files";
inline constexpr const char *kLastDirKey = "LastDir";
inline constexpr const char *kWindowsLineEndsKey = "WindowsLineEnds";

void SaveRegSetting(const QString &appName, const QString &section, const QString &key, const QString &value,
                    bool machineWide);
QString GetRegSetting(const QString &appName, const QString &section, const QString &key, const QString &defaultValue,
                      bool machineWide);

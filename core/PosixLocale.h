#pragma once

#include <QString>

// The language and territory of a POSIX locale name "ll_TT.charset@modifier" ("fr_CA.UTF-8" gives
// "fr" and "CA"); the character set and the modifier do not matter to Windows' numbers.
struct PosixLocale {
    QString language;  // lower case
    QString territory; // upper case, empty when absent

    static PosixLocale Parse(const QString &localeName)
    {
        const QString name = localeName.section('.', 0, 0).section('@', 0, 0);
        return {name.section('_', 0, 0).toLower(), name.section('_', 1, 1).toUpper()};
    }
};

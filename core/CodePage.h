#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The ANSI code page that Windows would use for the user's locale: project files and group files
// are written in it, while strings in memory are UTF-16.
namespace CodePage {

// The converter name for the user's code page, for example "windows-1252" or "windows-950".
// QUENZAR_CODEPAGE overrides the locale; an override that no converter knows is ignored.
QByteArray AnsiName();

// The code page Windows gives a POSIX locale name such as "ar_SA.UTF-8" or "zh_TW" ("windows-1256",
// "windows-950"); "windows-1252" for "C", "POSIX", an empty name and languages it does not list.
QByteArray ForLocale(const QString &localeName);

// Lets a caller (the command-line tool's --codepage) choose the code page for the rest of the run.
// False when no converter knows the name.
bool Override(const QByteArray &name);

QString Decode(const QByteArray &bytes);
// Empty when the code page cannot hold every character of the text: it is never written damaged.
std::optional<QByteArray> Encode(const QString &text);

// Windows-1252 whatever the locale: the language files are written in it, and a Japanese or
// Russian user reads the English and French texts as they were written.
QString DecodeWindows1252(const QByteArray &bytes);

} // namespace CodePage

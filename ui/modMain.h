#pragma once

#include <QString>
#include <QStringList>

// The program's run: its command line and the languages chosen at start-up.
struct ProgramState {
    QString CommandLine;             // every double quote removed
    QString CurrentLanguage = "eng"; // the language file in use
    QString HelpLanguage = "en";     // the language of the on-line help
};

ProgramState &Program();

// The command line without the program's name: the arguments joined by blanks, every double
// quote removed.
QString CommandLineOf(const QStringList &arguments);

// The title of the main window's message boxes.
inline constexpr const char *kProgramTitle = "Quenzar";

// The folder of the last archive written (the setting LastDir), "" when none is known or the
// settings cannot be read (said on standard error).
QString LastBackupFolder();

// "Major.Minor.Revision" of the program, each a plain decimal number.
QString ProgramVersionText();

// The maker's web site, named when the program is built (the CMake cache variable
// QUENZAR_MAKER_SITE, without a trailing "/"); "" when there is none: the help pages then come
// with the program.
QString MakerSite();
// The public page-translation proxy: it serves a site under its host with the dots turned into
// hyphens, followed by this suffix.
inline constexpr const char *kTranslationProxySuffix = ".translate.goog";

// The host part of an address: "https://a.b.c/Help/", "a.b.c/Help/" and "a.b.c" give "a.b.c".
QString HostOf(const QString &address);
// The same page seen through the translation proxy, translated into the given language.
QString TranslateProxyUrl(const QString &address, const QString &language);

// The folder of the help pages that come with the program, one "<help language>.html" each.
QString HelpFolder();
// The help page of the help language in that folder, English when the language has none.
QString LocalHelpPage(const QString &helpLanguage, const QString &helpFolder = HelpFolder());
// What Help opens. With a maker's site, its help pages below "/Help/Quenzar/": directly for "en",
// through the proxy otherwise; without one, the local help page.
QString HelpAddress(const QString &helpLanguage, const QString &makerSite, const QString &helpFolder = HelpFolder());
// What the notice strip opens: the maker's site, or the local help page when there is none.
QString NoticeAddress(const QString &helpLanguage, const QString &makerSite, const QString &helpFolder = HelpFolder());

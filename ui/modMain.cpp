#include "modMain.h"

#include "LastBackupFolder.h"
#include "ProgramFolders.h"
#include "WindowsPath.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <cstdio>

ProgramState &Program()
{
    static ProgramState state;
    return state;
}

QString CommandLineOf(const QStringList &arguments) { return arguments.mid(1).join(' ').remove('"'); }

QString LastBackupFolder()
{
    const Outcome<QString> folder = ReadLastBackupFolder();
    if (!folder)
        std::fprintf(stderr, "quenzar: the last backup folder cannot be read: %s\n", qPrintable(folder.error()));
    return folder ? folder.value() : QString();
}

QString ProgramVersionText()
{
    return QStringLiteral("%1.%2.%3").arg(QUENZAR_VERSION_MAJOR).arg(QUENZAR_VERSION_MINOR).arg(QUENZAR_VERSION_PATCH);
}

namespace {

// An address written without its scheme ("www.example.org/Help/") is a web address too, and "\"
// was typed for "/".
QUrl WebAddress(const QString &address) { return QUrl::fromUserInput(QString(address).replace('\\', '/')); }

} // namespace

QString HostOf(const QString &address) { return WebAddress(address).host(); }

QString TranslateProxyUrl(const QString &address, const QString &language)
{
    const QUrl page = WebAddress(address);
    QUrl proxied;
    proxied.setScheme(QStringLiteral("https"));
    proxied.setHost(page.host().replace('.', '-') + QLatin1String(kTranslationProxySuffix));
    proxied.setPath(page.path());
    QUrlQuery query;
    query.setQueryItems({{QStringLiteral("_x_tr_sl"), QStringLiteral("auto")},
                         {QStringLiteral("_x_tr_tl"), language},
                         {QStringLiteral("_x_tr_hl"), language},
                         {QStringLiteral("_x_tr_pto"), QStringLiteral("wapp")}});
    proxied.setQuery(query);
    return proxied.toString();
}

QString MakerSite() { return QStringLiteral(QUENZAR_MAKER_SITE); }

QString HelpFolder() { return ProgramDataFolder(QStringLiteral("Help")); }

// The language comes from an editable language file: anything but a plain code is no page name.
QString LocalHelpPage(const QString &helpLanguage, const QString &helpFolder)
{
    static const QRegularExpression plainCode(QStringLiteral("^[A-Za-z]{2,3}([-_][A-Za-z0-9]+)?$"));
    if (plainCode.match(helpLanguage).hasMatch()) {
        const WindowsPath::LocalPath page = WindowsPath::Resolve(helpFolder, helpLanguage + QStringLiteral(".html"));
        if (page.found)
            return page.path;
    }
    return WindowsPath::Resolve(helpFolder, QStringLiteral("en.html")).path;
}

QString HelpAddress(const QString &helpLanguage, const QString &makerSite, const QString &helpFolder)
{
    if (makerSite.isEmpty())
        return LocalHelpPage(helpLanguage, helpFolder);
    const QString help = makerSite + QStringLiteral("/Help/Quenzar/");
    return helpLanguage == QLatin1String("en") ? help : TranslateProxyUrl(help, helpLanguage);
}

QString NoticeAddress(const QString &helpLanguage, const QString &makerSite, const QString &helpFolder)
{
    return makerSite.isEmpty() ? LocalHelpPage(helpLanguage, helpFolder) : makerSite;
}

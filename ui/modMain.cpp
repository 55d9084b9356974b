#include "modMain.h"

#include "LastBackupFolder.h"
#include "ProgramFolders.h"
#include "WindowsPath.h"

#include <QRegularExpression>
#include <cstdio>

ProgramState &Program()
{
    static ProgramState state;
    return state;
}

QString CommandLineOf(const QStringList &arguments)
{
    return arguments.mid(1).join(' ').remove('"');
}

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

QString HostOf(const QString &address)
{
    QString host = QString(address).replace('\\', '/');
    if (host.contains('/')) {
        host = host.mid(host.indexOf('/') + 1);
        while (host.startsWith('/'))
            host.remove(0, 1);
    }
    const qsizetype slash = host.indexOf('/');
    return slash < 0 ? host : host.left(slash);
}

QString TranslateProxyUrl(const QString &address, const QString &language)
{
    const QString query = QStringLiteral("?_x_tr_sl=auto&_x_tr_tl=XXX&_x_tr_hl=XXX&_x_tr_pto=wapp").replace(QLatin1String("XXX"), language);
    const QString host = HostOf(address);
    const qsizetype scheme = address.indexOf(QLatin1String("://"));
    QString rest = scheme < 0 ? address : address.mid(scheme + 3);
    rest.remove(host);
    return QStringLiteral("https://") + QString(host).replace('.', '-') + QLatin1String(kTranslationProxySuffix) + rest + query;
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

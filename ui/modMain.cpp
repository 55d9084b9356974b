#include "modMain.h"

#include "CorvaRegSettings.h"
#include "frmMain.h"

#include <QApplication>
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
    try {
        return GetRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, QString(), true);
    } catch (const QuenzarError &error) {
        std::fprintf(stderr, "quenzar: the last backup folder cannot be read: %s\n", error.what());
        return QString();
    }
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

QString HelpAddress(const QString &helpLanguage)
{
    const QString help = QLatin1String(kMakerSite) + QStringLiteral("/Help/Quenzar/");
    return helpLanguage == QLatin1String("en") ? help : TranslateProxyUrl(help, helpLanguage);
}

int Main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenzar"));
    QApplication::setApplicationVersion(ProgramVersionText());
    QApplication::setDesktopFileName(QStringLiteral("quenzar"));
    Program().CommandLine = CommandLineOf(QApplication::arguments());

    frmMain window;
    window.show();
    return application.exec();
}

#include "modMain.h"

#include "frmMain.h"

#include <QApplication>

ProgramState &Program()
{
    static ProgramState state;
    return state;
}

QString CommandLineOf(const QStringList &arguments)
{
    return arguments.mid(1).join(' ').remove('"');
}

QString ProgramVersionText()
{
    return QStringLiteral("%1.%2.%3").arg(QUENZAR_VERSION_MAJOR).arg(QUENZAR_VERSION_MINOR).arg(QUENZAR_VERSION_PATCH);
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

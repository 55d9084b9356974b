// The program's entry: keeps the command line, creates the main window and shows it.
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>

int main(int argc, char *argv[])
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

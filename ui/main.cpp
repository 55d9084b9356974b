// The program's entry: keeps the command line, creates the main window and shows it.
#include "Interruption.h"
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    Interruption::RemoveWorkOnSignals();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenzar"));
    QApplication::setApplicationVersion(ProgramVersionText());
    QApplication::setDesktopFileName(QStringLiteral("quenzar"));
    Program().CommandLine = CommandLineOf(QApplication::arguments());

    frmMain window;
    window.show();
    return application.exec();
}

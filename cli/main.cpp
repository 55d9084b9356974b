#include "Commands.h"
#include "Terminal.h"

#include "Interruption.h"
#include "ProgramFolders.h"
#include "ComponentVersion.h"

#include <QCoreApplication>

namespace {

const char *const kUsage =
    "Usage: quenzar-cli COMMAND [ARGUMENTS]\n"
    "Backs up the sources of Visual Basic 6 projects.\n"
    "\n"
    "Commands:\n"
    "  archive PATH       archives a project (.vbp), or each project of a group (.vbpgroup, .vbg)\n"
    "  restore ARCHIVE    extracts an archive into a folder beside it\n"
    "  list PATH          what archiving a project or a group would take, and whether each file is there\n"
    "  verify ARCHIVE     whether an archive would restore as a working project\n"
    "\n"
    "quenzar-cli COMMAND --help describes a command.\n";

// The help pages the window opens cover this tool too; where they are depends on the install.
QString HelpPagesLine() { return "Help pages, one per language: " + ProgramDataFolder("Help") + "/\n"; }

} // namespace

int main(int argc, char *argv[])
{
    Interruption::RemoveWorkOnSignals();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quenzar-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUENZAR_VERSION));

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    int status = ExitUsage;
    if (command == "archive") {
        status = ArchiveCommand(arguments);
    } else if (command == "restore") {
        status = RestoreCommand(arguments);
    } else if (command == "verify") {
        status = VerifyCommand(arguments);
    } else if (command == "list") {
        status = ListCommand(arguments);
    } else if (command == "--version") {
        Out() << "quenzar-cli " << QUENZAR_VERSION << " (" << ComponentVersionText() << ")\n";
        status = ExitDone;
    } else if (command == "--help" || command == "-h") {
        Out() << kUsage << HelpPagesLine();
        status = ExitDone;
    } else {
        Err() << (command.isEmpty() ? QStringLiteral("No command given.") : "Unknown command: " + command) << "\n\n"
              << kUsage;
    }
    Out().flush();
    Err().flush();
    return status;
}

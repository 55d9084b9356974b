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
    "  history PATH       every archive of a project, or of each project of a group, newest first\n"
    "  diff OLD NEW       what changed between two archives; diff PATH: since the newest archive\n"
    "\n"
    "Also:\n"
    "  help [COMMAND]     this text, or the help of a command (as quenzar-cli COMMAND --help)\n"
    "  --version          the versions of quenzar-cli and of the libraries it uses\n"
    "\n"
    "quenzar-cli COMMAND --help describes a command.\n";

using Command = int (*)(const QStringList &arguments);

// The command of this name, or none.
Command Find(const QString &name)
{
    static const QList<QPair<QString, Command>> commands{
        {"archive", ArchiveCommand}, {"restore", RestoreCommand}, {"list", ListCommand},
        {"verify", VerifyCommand},   {"history", HistoryCommand}, {"diff", DiffCommand},
    };
    for (const auto &[listed, command] : commands) {
        if (listed == name)
            return command;
    }
    return nullptr;
}

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
    const bool help = command == "help" || command == "--help" || command == "-h";
    if (const Command run = Find(command)) {
        status = run(arguments);
    } else if (help && arguments.size() > 1 && Find(arguments[1])) {
        status = Find(arguments[1])({arguments[1], QStringLiteral("--help")});
    } else if (help && arguments.size() > 1) {
        Err() << "Unknown command: " << arguments[1] << "\n\n" << kUsage;
    } else if (help) {
        Out() << kUsage << HelpPagesLine();
        status = ExitDone;
    } else if (command == "--version") {
        Out() << "quenzar-cli " << QUENZAR_VERSION << " (" << ComponentVersionText() << ")\n";
        status = ExitDone;
    } else {
        Err() << (command.isEmpty() ? QStringLiteral("No command given.") : "Unknown command: " + command) << "\n\n"
              << kUsage;
    }
    if (!OutputWritten() && (status == ExitDone || status == ExitIncomplete))
        status = ExitFailed;
    Err().flush();
    return status;
}

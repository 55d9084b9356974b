#include "Commands.h"
#include "PasswordFile.h"
#include "Terminal.h"
#include "TerminalObserver.h"

#include "ArchiveRestore.h"

#include <QCommandLineParser>

int RestoreCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Extracts an archive into a new folder beside it, named like it without \".zip\", and prints that "
        "folder. When that name is taken the folder is \"NAME (2)\", \"NAME (3)\" and so on: a restore never "
        "writes into an existing folder. The folder appears only when it is whole and on the disk; an "
        "interrupted or failed restore leaves nothing. An archive that is not sound (see verify) is restored as "
        "far as it goes, its damaged entries left out, with a warning for each reason, and exits with 1. An "
        "archive written without files that were missing is restored, each of them is named in a warning, and "
        "it exits with 3.\n"
        "Given entry names, only the entries they match are restored, into the new folder all the same, with "
        "the same checks of the whole archive. The names are those list gives as entries and unzip -l prints "
        "(\"Forms/Main.frm\", either separator); \"*\" matches any characters, \"/\" too, \"?\" any one character "
        "(quote them "
        "from the shell). A name that matches no entry is an error (exit 2) and nothing is restored.\n"
        "Exit status: 0 restored, 1 failed or restored without damaged entries, 2 bad arguments (no such "
        "archive, a --to folder that does not exist, a name matching no entry), 3 restored from an archive "
        "written without files that were missing.");
    parser.addHelpOption();
    parser.addPositionalArgument("ARCHIVE.zip", "The archive to restore.");
    parser.addPositionalArgument("ENTRY", "Restore only the entries matching these names.", "[ENTRY...]");
    const QCommandLineOption passwordFile = OpenPasswordFileOption();
    const QCommandLineOption quiet("quiet", "No progress line.");
    const QCommandLineOption into("to",
                                  "Make the new folder in FOLDER instead of beside the archive. FOLDER must "
                                  "exist: a restore never makes the folders above its own.",
                                  "FOLDER");
    parser.addOptions({passwordFile, quiet, into});
    QString archive;
    QString password;
    if (!ParseArchiveArguments(parser, arguments, passwordFile, archive, password, true))
        return ExitUsage;

    TerminalObserver observer(parser.isSet(quiet));
    const RestoreChoice choice{parser.value(into), parser.positionalArguments().mid(1)};
    const RestoreResult result = RestoreArchive(archive, observer, password, choice);
    switch (result.status) {
    case RestoreResult::Status::Restored:
        Out() << result.Folder << '\n';
        for (const QString &missing : result.Missing)
            Err() << "warning: missing when archived, so not restored: " << missing << '\n';
        for (const QString &damaged : result.LeftOut)
            Err() << "warning: damaged, so not restored: " << damaged << '\n';
        if (!result.Problems.isEmpty())
            return ExitFailed;
        return result.Missing.isEmpty() ? ExitDone : ExitIncomplete;
    case RestoreResult::Status::NotAnArchive:
    case RestoreResult::Status::BadChoice:
        Err() << result.Error << '\n';
        return ExitUsage;
    case RestoreResult::Status::Cancelled:
        Err() << result.Error << " Give the password with --password-file.\n";
        return ExitFailed;
    case RestoreResult::Status::Failed:
        break;
    }
    Err() << result.Error << '\n';
    return ExitFailed;
}

#include "Commands.h"
#include "PasswordFile.h"
#include "Terminal.h"

#include "ArchiveVerify.h"

#include <QCommandLineParser>

int VerifyCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Checks that ARCHIVE.zip would restore as a working project: every entry reads back with its "
        "CRC, a project file lies at its root, each of its members is in the archive, and so is each "
        "binary file a member's text references. Prints the reasons when it is not sound. Files that the "
        "archive's comment records as missing when it was written are reported as such, not as damage.\n"
        "Exit status: 0 sound, 1 not sound or not readable, 2 bad arguments (a password file that is not "
        "UTF-8 among them), 3 sound but written without "
        "files that were missing.");
    parser.addHelpOption();
    parser.addPositionalArgument("ARCHIVE.zip", "The archive to check.");
    const QCommandLineOption passwordFile = OpenPasswordFileOption();
    parser.addOption(passwordFile);
    QString archive;
    QString password;
    if (!ParseArchiveArguments(parser, arguments, passwordFile, archive, password))
        return ExitUsage;

    const VerifyResult result = VerifyArchive(archive, password);
    switch (result.status) {
    case VerifyResult::Status::Sound:
    case VerifyResult::Status::Incomplete:
        Out() << QStringLiteral("%1: sound, %2 entries, %3 members in %4\n")
                     .arg(archive)
                     .arg(result.EntryCount)
                     .arg(result.MemberCount)
                     .arg(result.ProjectFiles.join(QStringLiteral(", ")));
        for (const QString &missing : result.MissingWhenArchived)
            Err() << "missing when archived: " << missing << '\n';
        return result.MissingWhenArchived.isEmpty() ? ExitDone : ExitIncomplete;
    case VerifyResult::Status::NeedsPassword:
        Err() << archive << " is protected: give its password with --password-file.\n";
        return ExitFailed;
    case VerifyResult::Status::WrongPassword:
        Err() << archive << ": the password is not right.\n";
        return ExitFailed;
    case VerifyResult::Status::NotSound:
    case VerifyResult::Status::Unreadable:
        break;
    }
    Err() << archive << " is not sound:\n";
    for (const QString &problem : result.Problems)
        Err() << "  " << problem << '\n';
    return ExitFailed;
}

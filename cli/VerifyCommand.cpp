#include "Commands.h"
#include "PasswordFile.h"
#include "Terminal.h"

#include "ArchiveVerify.h"

#include <QCommandLineParser>
#include <QJsonArray>

namespace {

QString StatusName(VerifyResult::Status status)
{
    switch (status) {
    case VerifyResult::Status::Sound:
        return QStringLiteral("sound");
    case VerifyResult::Status::Incomplete:
        return QStringLiteral("incomplete");
    case VerifyResult::Status::NotSound:
        return QStringLiteral("not_sound");
    case VerifyResult::Status::Unreadable:
        return QStringLiteral("unreadable");
    case VerifyResult::Status::NeedsPassword:
        return QStringLiteral("needs_password");
    case VerifyResult::Status::WrongPassword:
        return QStringLiteral("wrong_password");
    }
    return QString();
}

// The result as `verify --json` prints it; the fields are described in the man page.
QJsonObject VerifyJson(const QString &archive, const VerifyResult &result)
{
    return {{"archive", archive},
            {"status", StatusName(result.status)},
            {"entry_count", result.EntryCount},
            {"member_count", result.MemberCount},
            {"project_files", QJsonArray::fromStringList(result.ProjectFiles)},
            {"missing_when_archived", QJsonArray::fromStringList(result.MissingWhenArchived)},
            {"problems", QJsonArray::fromStringList(result.Problems)}};
}

} // namespace

int VerifyCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Checks that ARCHIVE.zip would restore as a working project: every entry reads back with its "
        "CRC, a project file lies at its root, each of its members is in the archive, and so is each "
        "binary file a member's text references. Prints the reasons when it is not sound. Files that the "
        "archive's comment records as missing when it was written are reported as such, not as damage. "
        "Related documents (RelatedDoc=) count as members.\n"
        "Exit status: 0 sound, 1 not sound or not readable, 2 bad arguments (a password file that is not "
        "UTF-8 among them), 3 sound but written without "
        "files that were missing.");
    parser.addHelpOption();
    parser.addPositionalArgument("ARCHIVE.zip", "The archive to check.");
    const QCommandLineOption passwordFile = OpenPasswordFileOption();
    parser.addOption(passwordFile);
    const QCommandLineOption json = JsonOption();
    parser.addOption(json);
    QString archive;
    QString password;
    if (!ParseArchiveArguments(parser, arguments, passwordFile, archive, password))
        return ExitUsage;

    const VerifyResult result = VerifyArchive(archive, password);
    if (parser.isSet(json))
        PrintJson(VerifyJson(archive, result));
    switch (result.status) {
    case VerifyResult::Status::Sound:
    case VerifyResult::Status::Incomplete:
        if (!parser.isSet(json))
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

#include "Commands.h"
#include "PasswordFile.h"
#include "ProjectBackups.h"
#include "Terminal.h"
#include "TerminalObserver.h"

#include "ArchiveRun.h"
#include "ArchiveSummary.h"
#include "ArchivingState.h"
#include "CodePage.h"
#include "CodePageHint.h"
#include "GroupFile.h"
#include "GroupRun.h"
#include "LastBackupFolder.h"
#include "OperationsFichiers.h"
#include "VisualBasicGroup.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

struct ArchiveRequest {
    QString path;
    QString destination; // empty: the project's or the group's own
    QString stamp;
    ArchiveChoices choices;
    bool quiet = false;
    bool noCodePageChosen = false; // no --codepage, and no variable that names one
    bool json = false;
};

// The observer of a run: with --json the archives are named in the document alone, and a dry run's
// warnings say what would be.
void SetUpObserver(TerminalObserver &observer, const ArchiveRequest &request)
{
    observer.SetPathsPrinted(!request.json);
    observer.SetDryRun(request.choices.DryRun);
}

// What --keep removed, or could not; a dry run's summary, or the JSON document.
void ShowPruning(const ArchiveRunResult &run, const ArchiveRequest &request)
{
    if (request.json)
        PrintJson(ArchiveRunJson(run, request.choices.DryRun));
    else if (request.choices.DryRun)
        PrintDryRun(run);
    if (request.choices.DryRun)
        return;
    for (const QString &removed : run.Removed)
        Err() << "removed: " << removed << '\n';
    for (const QString &failed : run.NotRemoved)
        Err() << "warning: not removed: " << failed << '\n';
}

// Under cron's bare environment project files are read in Windows-1252: a project that failed or lacks
// files, whose member lines name files that are there when read in another code page, is said so.
void ShowCodePageHint(const ArchiveRequest &request, const QString &projectFile)
{
    if (!request.noCodePageChosen)
        return;
    if (const std::optional<QByteArray> better = CodePageFindingMoreMembers(projectFile))
        Err() << "hint: " << projectFile << " was read in " << CodePage::AnsiName()
              << " (LANG, LC_ALL and LC_CTYPE are unset); read in " << *better
              << ", it names member files that are there: try --codepage " << *better << '\n';
}

// The worst that happened: a project failed (1), an archive lacks missing files (3), or neither (0).
// Failures were told as they came; after a run that went on past them, they are named once more.
// A dry run's status is the run's it stands for: a destination it would not write into fails it.
int RunExitStatus(const ArchiveRunResult &run, const ArchiveChoices &choices)
{
    if (!run.DestinationProblem.isEmpty())
        Err() << "The archives could not be written into the destination folder: " << run.DestinationProblem << '\n';
    if (choices.ContinueAfterFailure && !run.FailedProjects.isEmpty()) {
        Err() << "Not archived, " << run.FailedProjects.size() << " project(s):\n";
        for (const QString &project : run.FailedProjects)
            Err() << "  " << project << '\n';
    }
    if (!run.DestinationReady || !run.Complete || !run.DestinationProblem.isEmpty())
        return ExitFailed;
    return run.Incomplete.isEmpty() ? ExitDone : ExitIncomplete;
}

int ArchiveSingleProject(const ArchiveRequest &request)
{
    const Outcome<ArchivingState> prepared =
        PrepareProject(request.path, request.path, ProjectNaming::ByFileName, request.stamp);
    if (!prepared) {
        Err() << prepared.error() << '\n';
        return ExitUsage;
    }
    ArchivingState state = prepared.value();
    if (!request.destination.isEmpty())
        state.BackupFolder = AddBackslash(request.destination);
    state.Choices = request.choices;
    TerminalObserver observer(request.quiet);
    SetUpObserver(observer, request);
    const ArchiveRunResult run = RunProject(request.path, state, observer, RememberLastBackupFolder);
    ShowPruning(run, request);
    if (!run.Complete || !run.Incomplete.isEmpty())
        ShowCodePageHint(request, request.path);
    return RunExitStatus(run, request.choices);
}

int ArchiveGroup(const ArchiveRequest &request)
{
    const Outcome<GroupForArchiving> group = ReadAnyGroupForArchiving(request.path);
    if (!group) {
        Err() << group.error() << '\n';
        return ExitUsage;
    }
    const QString destination = request.destination.isEmpty()
                                    ? GroupMemberLocalPath(request.path, group.value().BackupFolder)
                                    : request.destination;
    TerminalObserver observer(request.quiet);
    SetUpObserver(observer, request);
    const ArchiveRunResult run = RunGroup(request.path, group.value(), destination, request.stamp, request.choices,
                                          observer, RememberLastBackupFolder);
    ShowPruning(run, request);
    for (const QString &failed : run.FailedProjects)
        ShowCodePageHint(request, GroupMemberLocalPath(request.path, failed));
    return RunExitStatus(run, request.choices);
}

} // namespace

int ArchiveCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Archives a Visual Basic 6 project (.vbp) into one zip archive, or every project of a group "
        "(Quenzar's .vbpgroup, or Visual Basic's own .vbg) into one archive each, and prints the path of every "
        "archive written.\n"
        "A project file begins with its Type= line (Type=Exe, Type=OleDll...), as Visual Basic writes it; "
        "any other file is refused with exit status 2 and nothing is written. In a group, such a file fails its "
        "project.\n"
        "A .vbg begins with VBGROUP 5.0; its StartupProject= and Project= lines name the projects, relative to "
        "its folder, read in the code page (--codepage). Its archives go to BACKUP/NAME/STAMP/, NAME the .vbg's "
        "name and BACKUP the Sources.Backup folder of its startup project (or first project).\n"
        "Archives are named \"NAME MAJOR.MINOR.REVISION.STAMP.zip\". In a group, a project listed twice "
        "is archived once, and projects that share a name and version get \" (2)\", \" (3)\"... after the "
        "stamp, so that no archive of the run replaces another.\n"
        "A binary file that a member's text names but that is missing is left out with a warning and "
        "recorded in the archive's zip comment (unzip -z shows it); so is a related document (RelatedDoc=) "
        "that is missing or no regular file, and so are missing members with --keep-going. Related documents "
        "that are there are archived as members are, their lines rewritten to the archived copies.\n"
        "After each archive's path, standard error counts the components the project needs where it opens, if any "
        "(\"components: N controls, M libraries to register where the project opens...\"): its Object= and "
        "Reference= lines, which are never archived; quenzar-cli list names them.\n"
        "A member file that changes while it is read is read again; when it changes again the archive "
        "fails, naming it (\"it changed while it was read\").\n"
        "An archive never replaces a file: when its name is taken (the same --stamp again, two runs within "
        "one second) it gets the next free name, \" (2)\", \" (3)\"... Runs into one backup folder take turns "
        "on the lock file .quenzar.lock in it; a second run waits and says so on standard error.\n"
        "Exit status: 0 done, 1 failed (with --keep-going: some project failed), 2 bad arguments or input "
        "(no project file, a password file that is not UTF-8), 3 an archive was written without files that "
        "were missing, 128 + N interrupted by signal N (SIGINT, SIGTERM, SIGHUP), after removing what the run "
        "had begun to write.");
    parser.addHelpOption();
    parser.addPositionalArgument("PATH", "The project file or the group file (.vbpgroup or .vbg).");
    const QCommandLineOption dest("dest",
                                  "The destination folder; by default the project's Sources.Backup "
                                  "folder, or the group's own.",
                                  "DIR");
    const QCommandLineOption stamp("stamp", "The date stamp to name the archives with, instead of now.",
                                   "YYYYMMDDHHNNSS");
    const QCommandLineOption passwordFile("password-file",
                                          "Protect the archives with the password in the "
                                          "first line of FILE (\"-\": standard input), UTF-8 text.",
                                          "FILE");
    const QCommandLineOption codePage("codepage",
                                      "The code page the project files are written in; member files named on "
                                      "disk in its bytes (copied from a Windows share) are found too. Empty: the "
                                      "locale's, as without the option. When it is not given and no LANG, LC_ALL, "
                                      "LC_CTYPE or QUENZAR_CODEPAGE names one (cron), a project that fails or lacks "
                                      "files whose member files are found in another code page gets a hint naming it.",
                                      "NAME");
    const QCommandLineOption crlf("crlf",
                                  "Store the text members (forms, modules, classes, user controls, property "
                                  "pages, user documents, designers) with Windows line ends: a line ending with "
                                  "LF alone gets CR LF, as Visual Basic 6 needs. Files holding a NUL byte, "
                                  "companions (.frx, .ctx...), other binary files and the resource file are "
                                  "stored as they are.");
    const QCommandLineOption quiet("quiet",
                                   "No progress line, no count of the entries reused, and no count of the components.");
    const QCommandLineOption keepGoing(
        "keep-going",
        "Archive what exists: a member file that is missing, cannot be read or "
        "changes each time it is read is left out, named in a warning and recorded "
        "in the archive's comment, instead of failing the archive. In a group, go on with the next project "
        "after one fails, and name every failed project at the end.");
    const QCommandLineOption keep("keep",
                                  "After a run that wrote every archive, remove the project's older archives in "
                                  "its backup folder beyond the N newest (for a group, its older stamp folders). "
                                  "Only archives Quenzar named and wrote are removed, never one whose stamp is "
                                  "not older than this run's, each printed on standard error; a stamp folder "
                                  "only when nothing else is left in it.",
                                  "N");
    const QCommandLineOption ifChanged("if-changed",
                                       "Write no archive for a project whose newest earlier archive (in the backup "
                                       "folder, or a group's earlier stamp folders) holds the same entries and reads "
                                       "whole: print that archive's path instead and \"unchanged since STAMP\" on "
                                       "standard error. "
                                       "Archives with a password are always written.");
    const QCommandLineOption noReuse("no-reuse",
                                     "Compress every file afresh. By default an entry of the project's newest "
                                     "earlier archive (in the backup folder, or a group's earlier stamp folders) "
                                     "that holds exactly what the file holds now, protected with the same password "
                                     "or neither, is checked and copied as it lies there.");
    const QCommandLineOption dryRun(
        "dry-run",
        "Write nothing (no archive, no temporary file, no lock file, no folder, no setting) and print what the "
        "run would do: each archive's path, entries and sizes, which entries would be copied from the earlier "
        "archive, the files that are missing, whether --if-changed would write it, and what --keep would "
        "remove. Every member file is read, as the run would read it, to tell that. The exit status is the "
        "run's: 1 too when the destination folder cannot be written into.");
    const QCommandLineOption json = JsonOption();
    parser.addOptions(
        {dest, stamp, passwordFile, codePage, crlf, quiet, keepGoing, keep, ifChanged, noReuse, dryRun, json});
    if (!ParseArguments(parser, arguments, 1) || !ApplyCodePage(parser, codePage))
        return ExitUsage;

    ArchiveRequest request;
    request.path = parser.positionalArguments().constFirst();
    request.destination = parser.value(dest);
    request.quiet = parser.isSet(quiet);
    request.noCodePageChosen = parser.value(codePage).isEmpty() && NoCodePageChosen();
    request.json = parser.isSet(json);
    request.choices.DryRun = parser.isSet(dryRun);
    request.choices.IfChanged = parser.isSet(ifChanged);
    request.choices.ReuseEarlierEntries = !parser.isSet(noReuse);
    if (parser.isSet(keep)) {
        bool number = false;
        request.choices.Keep = parser.value(keep).toInt(&number);
        if (!number || request.choices.Keep < 1) {
            Err() << "--keep needs a whole number of archives, 1 or more: " << parser.value(keep) << '\n';
            return ExitUsage;
        }
    }
    request.choices.WindowsLineEnds = parser.isSet(crlf);
    if (parser.isSet(keepGoing)) {
        request.choices.Missing = MissingMembers::RecordUnreadable;
        request.choices.ContinueAfterFailure = true;
    }
    request.stamp = parser.isSet(stamp) ? parser.value(stamp) : BackupStampOf(QDateTime::currentDateTime());
    if (!QDateTime::fromString(request.stamp, QStringLiteral("yyyyMMddHHmmss")).isValid()) {
        Err() << "The stamp must be a date and time written YYYYMMDDHHNNSS: " << request.stamp << '\n';
        return ExitUsage;
    }
    if (!ReadPasswordOption(parser, passwordFile, request.choices.Password))
        return ExitUsage;
    if (RefusedAsFolder(request.path))
        return ExitUsage;
    const QFileInfo input(request.path);
    if (!input.exists()) {
        Err() << "No such file: " << request.path << '\n';
        return ExitUsage;
    }
    // A project that is no regular file is refused, with what it is, where every project is read.
    if (!IsArchivableGroupFile(request.path))
        return ArchiveSingleProject(request);
    if (!input.isFile()) {
        Err() << request.path << " is not a regular file\n";
        return ExitUsage;
    }
    return ArchiveGroup(request);
}

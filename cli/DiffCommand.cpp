#include "Commands.h"
#include "PasswordFile.h"
#include "ProjectBackups.h"
#include "Terminal.h"

#include "ArchiveDiff.h"
#include "ArchiveHistory.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>

namespace {

// diff's own exit statuses, as diff(1) has them.
enum DiffStatus { Same = 0, Different = 1, Trouble = 2 };

struct Comparison {
    QString Old, New;
    DiffResult Result;
};

QString Size(const std::optional<DiffSide::Member> &member)
{
    return member ? QString::number(member->size) : QStringLiteral("-");
}

QString Crc(const std::optional<DiffSide::Member> &member)
{
    if (!member)
        return QStringLiteral("-");
    return member->crc ? Crc32Text(*member->crc) : QStringLiteral("?");
}

void PrintComparison(const Comparison &comparison)
{
    const DiffResult &result = comparison.Result;
    if (!result.Differs())
        return;
    Out() << "--- " << comparison.Old << "\n+++ " << comparison.New << '\n';
    QList<QStringList> table{{"CHANGE", "ENTRY", "OLD SIZE", "NEW SIZE", "OLD CRC-32", "NEW CRC-32"}};
    for (const auto &[kind, changes] : {std::pair{"added", &result.Added}, std::pair{"removed", &result.Removed},
                                        std::pair{"changed", &result.Changed}}) {
        for (const MemberChange &change : *changes)
            table.append({kind, change.Entry, Size(change.Old), Size(change.New), Crc(change.Old), Crc(change.New)});
    }
    if (table.size() > 1)
        PrintTable(table);
    if (!result.LinesCompared && result.ProjectFileChanged)
        Out() << "project file: changed (its lines could not be compared)\n";
    if (!result.LineChanges.isEmpty()) {
        Out() << "project file lines:\n";
        for (const QString &line : result.LineChanges)
            Out() << line << '\n';
    }
}

QJsonValue JsonCrc(const std::optional<DiffSide::Member> &member)
{
    return member && member->crc ? QJsonValue(Crc(member)) : QJsonValue();
}

QJsonObject ComparisonJson(const Comparison &comparison)
{
    const DiffResult &result = comparison.Result;
    const auto members = [](const QList<MemberChange> &changes, bool both) {
        QJsonArray array;
        for (const MemberChange &change : changes) {
            const std::optional<DiffSide::Member> &one = change.New ? change.New : change.Old;
            array.append(
                both ? QJsonObject{{"entry", change.Entry},
                                   {"old_size", qint64(change.Old->size)},
                                   {"new_size", qint64(change.New->size)},
                                   {"old_crc32", JsonCrc(change.Old)},
                                   {"new_crc32", JsonCrc(change.New)}}
                     : QJsonObject{{"entry", change.Entry}, {"size", qint64(one->size)}, {"crc32", JsonCrc(one)}});
        }
        return array;
    };
    QJsonArray lines;
    for (const QString &line : result.LineChanges)
        lines.append(QJsonObject{{"change", line.startsWith('-') ? "removed" : "added"}, {"line", line.mid(1)}});
    return {{"old", comparison.Old},
            {"new", comparison.New},
            {"differs", result.Differs()},
            {"added", members(result.Added, false)},
            {"removed", members(result.Removed, false)},
            {"changed", members(result.Changed, true)},
            {"project_file_changed", result.ProjectFileChanged},
            {"project_lines_compared", result.LinesCompared},
            {"project_lines", lines}};
}

// Reports what a side could not read; false when it is trouble, not just a warning.
bool ReportUnread(const DiffSide &side)
{
    if (!side.ProjectLinesUnread.isEmpty())
        Err() << "warning: " << side.ProjectLinesUnread << '\n';
    for (const QString &unreadable : side.Unreadable)
        Err() << "Cannot read " << unreadable << '\n';
    return side.Unreadable.isEmpty();
}

std::optional<Comparison> Compare(const Outcome<DiffSide> &old, const Outcome<DiffSide> &now, bool &trouble)
{
    for (const Outcome<DiffSide> *side : {&old, &now}) {
        if (!*side) {
            Err() << side->error() << '\n';
            trouble = true;
            return std::nullopt;
        }
    }
    if (!ReportUnread(old.value()) | !ReportUnread(now.value()))
        trouble = true;
    return Comparison{old.value().Name, now.value().Name, CompareSides(old.value(), now.value())};
}

// Each project on disk against its newest archive.
std::optional<QList<Comparison>> CompareWithNewestArchives(const QString &path, const QString &destination,
                                                           const QString &password, bool windowsLineEnds, bool &trouble)
{
    const std::optional<QList<ProjectBackups>> projects = FindProjectBackups(path, destination);
    if (!projects)
        return std::nullopt;
    QList<Comparison> comparisons;
    for (const ProjectBackups &project : *projects) {
        const QList<ArchiveRecord> archives =
            project.Error.isEmpty() ? ProjectHistory(project.Folders, project.ArchiveFileName) : QList<ArchiveRecord>();
        if (!project.Error.isEmpty() || archives.isEmpty()) {
            Err() << (project.Error.isEmpty()
                          ? QStringLiteral("%1 has no archive in %2").arg(project.Project, project.Folders.join(", "))
                          : project.Error)
                  << '\n';
            trouble = true;
            continue;
        }
        const std::optional<Comparison> comparison = Compare(ReadArchiveSide(archives.first().Path, password),
                                                             ReadProjectSide(project.File, windowsLineEnds), trouble);
        if (comparison)
            comparisons.append(*comparison);
    }
    return comparisons;
}

} // namespace

int DiffCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Compares two archives of a project, OLD.zip and NEW.zip; or, given a project (.vbp) or a group "
        "(.vbpgroup), each project on disk with its newest archive (as archive would store it now). Prints the "
        "entries added, removed and changed (by size and CRC-32, \"?\" where a protected archive leaves the CRC "
        "out), then the lines of the project file that changed, \"-\" old and \"+\" new. The archived project "
        "file names each member by its entry, so the project on disk is compared in that form: its member lines "
        "as archiving rewrites them. Without --password-file, the lines of a protected project file are not "
        "compared (a warning says so): the project file and the entries are compared by what the archive lists.\n"
        "Exit status: 0 nothing differs, 1 something differs, 2 trouble (bad arguments, an archive or file that "
        "cannot be read, a wrong password, a project without an archive).");
    parser.addHelpOption();
    parser.addPositionalArgument("OLD.zip|PATH", "The older archive, or the project or group file.");
    parser.addPositionalArgument("NEW.zip", "The newer archive; none when a project or group is given.", "[NEW.zip]");
    const QCommandLineOption passwordFile = OpenPasswordFileOption();
    const QCommandLineOption dest("dest", "Where the project's archives are, when archive was given --dest.", "DIR");
    const QCommandLineOption crlf("crlf", "The archives were written with --crlf: compare text members so.");
    const QCommandLineOption json = JsonOption();
    parser.addOptions({passwordFile, dest, crlf, json});
    QString password;
    if (!ParseArguments(parser, arguments, 1, 2) || !ReadPasswordOption(parser, passwordFile, password))
        return Trouble;

    const QStringList paths = parser.positionalArguments();
    bool trouble = false;
    std::optional<QList<Comparison>> comparisons;
    if (paths.size() == 2) {
        const std::optional<Comparison> comparison =
            Compare(ReadArchiveSide(paths[0], password), ReadArchiveSide(paths[1], password), trouble);
        comparisons = comparison ? QList<Comparison>{*comparison} : QList<Comparison>();
    } else {
        comparisons = CompareWithNewestArchives(paths[0], parser.value(dest), password, parser.isSet(crlf), trouble);
    }
    if (!comparisons)
        return Trouble;
    bool differs = false;
    QJsonArray jsonComparisons;
    for (const Comparison &comparison : *comparisons) {
        differs = differs || comparison.Result.Differs();
        if (parser.isSet(json))
            jsonComparisons.append(ComparisonJson(comparison));
        else
            PrintComparison(comparison);
    }
    if (parser.isSet(json))
        PrintJson({{"differs", differs}, {"comparisons", jsonComparisons}});
    return trouble ? Trouble : differs ? Different : Same;
}

#include "Commands.h"
#include "ProjectBackups.h"
#include "Terminal.h"

#include "ByteNamedFiles.h"
#include "GroupRun.h"
#include "MemberReport.h"
#include "ProjectFile.h"
#include "ProjectListing.h"
#include "VisualBasicGroup.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>
#include <algorithm>
#include <utility>

namespace {

void PrintHeader(const QString &projectFile, const ProjectIdentity &identity, qint32 lineCount)
{
    Out() << QStringLiteral("%1: %2 %3.%4.%5, %6 lines\n")
                 .arg(projectFile, identity.ProjectName, identity.ProjectMajorVer, identity.ProjectMinorVer,
                      identity.ProjectRevisionVer)
                 .arg(lineCount);
}

void PrintRows(const QList<MemberReportRow> &rows)
{
    QList<QStringList> table{{"KIND", "PATH", "ENTRY", "LOCAL FILE", "STATUS"}};
    for (const MemberReportRow &row : rows) {
        const bool malformed = row.status == MemberReportRow::Status::Malformed;
        table.append({row.kind, malformed ? row.line : row.path, row.entry,
                      malformed ? row.problem : ByteNamedFiles::ReadablePath(row.localFile), StatusName(row.status)});
    }
    PrintTable(table);
}

// Reads the project file for the listing; the failure, when it cannot be read or is no project file.
Outcome<ProjectListing> ReadListing(const QString &projectFile)
{
    ProjectListing listing;
    listing.projectFile = projectFile;
    listing.identity.ProjectName = QFileInfo(projectFile).fileName().remove(QStringLiteral(".vbp"));
    const Outcome<qint32> lineCount = ReadProjectInfo(projectFile, listing.identity);
    if (!lineCount)
        return Outcome<ProjectListing>::failure(lineCount.error());
    listing.lineCount = lineCount.value();
    const Outcome<QList<MemberReportRow>> members = ReportProjectMembers(projectFile);
    if (!members)
        return Outcome<ProjectListing>::failure(members.error());
    listing.members = members.value();
    const Outcome<QList<ComponentLine>> components = ReadProjectComponents(projectFile);
    if (!components)
        return Outcome<ProjectListing>::failure(components.error());
    listing.components = components.value();
    return Outcome<ProjectListing>::success(std::move(listing));
}

bool EveryFileThere(const ProjectListing &listing)
{
    return std::all_of(listing.members.cbegin(), listing.members.cend(),
                       [](const MemberReportRow &row) { return row.status == MemberReportRow::Status::Ok; });
}

void PrintListing(const ProjectListing &listing)
{
    PrintHeader(listing.projectFile, listing.identity, listing.lineCount);
    PrintRows(listing.members);
    PrintComponents(listing.components);
}

// 0 when every file is there, 1 when one is not; 2, nothing listed, when the project file cannot be read.
int ListProject(const QString &projectFile, bool json)
{
    const Outcome<ProjectListing> listing = ReadListing(projectFile);
    if (!listing) {
        Err() << listing.error() << '\n';
        return ExitUsage;
    }
    if (json)
        PrintJson(ProjectListingJson(listing.value()));
    else
        PrintListing(listing.value());
    return EveryFileThere(listing.value()) ? ExitDone : ExitFailed;
}

// Each project of the group in turn, as archiving would take them, a blank line between two (with
// --json one document whose "projects" holds each listing, or the project file and its "error"); a
// project that cannot be read is named on standard error and makes the exit status 1, as a missing
// file does.
int ListGroup(const QString &groupFile, bool json)
{
    const Outcome<GroupForArchiving> group = ReadAnyGroupForArchiving(groupFile);
    if (!group) {
        Err() << group.error() << '\n';
        return ExitUsage;
    }
    int status = ExitDone;
    bool first = true;
    QJsonArray projects;
    for (const GroupProject &project : ProjectsToRun(groupFile, group.value().Members)) {
        const Outcome<ProjectListing> listing = ReadListing(project.file);
        if (!listing) {
            Err() << listing.error() << '\n';
            projects.append(QJsonObject{{"project_file", project.file}, {"error", listing.error()}});
        } else if (json) {
            projects.append(ProjectListingJson(listing.value()));
        } else {
            if (!std::exchange(first, false))
                Out() << '\n';
            PrintListing(listing.value());
        }
        if (!listing || !EveryFileThere(listing.value()))
            status = ExitFailed;
        // A project that cannot be read is told between the lists of its neighbours.
        Out().flush();
        Err().flush();
    }
    if (json)
        PrintJson(QJsonObject{{"group_file", groupFile}, {"projects", projects}});
    return status;
}

} // namespace

int ListCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists what archiving PROJECT.vbp would take: every member line (related documents, RelatedDoc=, "
        "among them) and every companion file, with its entry in the archive, the file on this machine, and "
        "ok, missing or malformed. A name on disk that is not UTF-8 is shown with such bytes written \\xEF. A "
        "project file begins with its Type= line; any other file is refused with exit status 2.\n"
        "Then, in a section of their own, the components the project needs where it opens, which are "
        "registered there and never archived: the controls of its Object= lines and the libraries of its "
        "Reference= lines, each with its GUID, version, file and description, and where it comes from: "
        "\"windows\" (its path lies in Windows' system folder), \"register\" (to register where the project "
        "opens), \"project\" (built by another project of the group, *\\A) or \"malformed\". Components do "
        "not count in the exit status.\n"
        "A group (.vbpgroup, or Visual Basic's .vbg) lists each of its projects in turn, as archive takes "
        "them; a project file that cannot be read is named on standard error. Exit status: 0 every file is "
        "there, 1 one is missing or malformed (or, in a group, a project cannot be read), 2 bad arguments or input.");
    parser.addHelpOption();
    parser.addPositionalArgument("PROJECT.vbp", "The Visual Basic 6 project file, or a group file (.vbpgroup, .vbg).");
    const QCommandLineOption codePage("codepage",
                                      "The code page the project file is written in; member files named on disk "
                                      "in its bytes are found too.",
                                      "NAME");
    parser.addOption(codePage);
    const QCommandLineOption json = JsonOption();
    parser.addOption(json);
    if (!ParseArguments(parser, arguments, 1) || !ApplyCodePage(parser, codePage))
        return ExitUsage;

    const QString path = parser.positionalArguments().constFirst();
    if (RefusedAsFolder(path))
        return ExitUsage;
    return IsArchivableGroupFile(path) ? ListGroup(path, parser.isSet(json)) : ListProject(path, parser.isSet(json));
}

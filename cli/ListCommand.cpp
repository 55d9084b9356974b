#include "Commands.h"
#include "ProjectBackups.h"
#include "Terminal.h"

#include "ByteNamedFiles.h"
#include "MemberReport.h"
#include "ProjectFile.h"
#include "ProjectListing.h"

#include <QCommandLineParser>
#include <QFileInfo>

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
Outcome<void> ReadListing(ProjectListing &listing)
{
    const Outcome<qint32> lineCount = ReadProjectInfo(listing.projectFile, listing.identity);
    if (!lineCount)
        return Outcome<void>::failure(lineCount.error());
    listing.lineCount = lineCount.value();
    const Outcome<QList<MemberReportRow>> members = ReportProjectMembers(listing.projectFile);
    if (!members)
        return Outcome<void>::failure(members.error());
    listing.members = members.value();
    const Outcome<QList<ComponentLine>> components = ReadProjectComponents(listing.projectFile);
    if (!components)
        return Outcome<void>::failure(components.error());
    listing.components = components.value();
    return Outcome<void>::success();
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
        "opens), \"project\" (built by another project of the group, *\\A) or \"malformed\".\n"
        "Exit status: 0 every file is there, 1 some file is missing or a member line is malformed, 2 bad "
        "arguments or no project file. Components do not count.");
    parser.addHelpOption();
    parser.addPositionalArgument("PROJECT.vbp", "The Visual Basic 6 project file.");
    const QCommandLineOption codePage("codepage",
                                      "The code page the project file is written in; member files named on disk "
                                      "in its bytes are found too.",
                                      "NAME");
    parser.addOption(codePage);
    const QCommandLineOption json = JsonOption();
    parser.addOption(json);
    if (!ParseArguments(parser, arguments, 1) || !ApplyCodePage(parser, codePage))
        return ExitUsage;

    ProjectListing listing;
    listing.projectFile = parser.positionalArguments().constFirst();
    if (RefusedAsFolder(listing.projectFile))
        return ExitUsage;
    listing.identity.ProjectName = QFileInfo(listing.projectFile).fileName().remove(QStringLiteral(".vbp"));
    if (const Outcome<void> read = ReadListing(listing); !read) {
        Err() << read.error() << '
';
        return ExitUsage;
    }
    if (parser.isSet(json)) {
        PrintJson(ProjectListingJson(listing));
    } else {
        PrintHeader(listing.projectFile, listing.identity, listing.lineCount);
        PrintRows(listing.members);
        PrintComponents(listing.components);
    }
    for (const MemberReportRow &row : listing.members) {
        if (row.status != MemberReportRow::Status::Ok)
            return ExitFailed;
    }
    return ExitDone;
}

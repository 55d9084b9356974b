#include "Commands.h"
#include "Terminal.h"

#include "ByteNamedFiles.h"
#include "GroupRun.h"
#include "MemberReport.h"
#include "ProjectFile.h"
#include "VisualBasicGroup.h"

#include <QCommandLineParser>
#include <QFileInfo>
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

// 0 when every file is there, 1 when one is not; 2, nothing listed, when the project file cannot be read.
int ListProject(const QString &projectFile)
{
    ProjectIdentity identity;
    identity.ProjectName = QFileInfo(projectFile).fileName().remove(QStringLiteral(".vbp"));
    const Outcome<qint32> lineCount = ReadProjectInfo(projectFile, identity);
    const Outcome<QList<MemberReportRow>> rows =
        lineCount ? ReportProjectMembers(projectFile) : Outcome<QList<MemberReportRow>>::failure(lineCount.error());
    if (!rows) {
        Err() << rows.error() << '\n';
        return ExitUsage;
    }
    PrintHeader(projectFile, identity, lineCount.value());
    PrintRows(rows.value());
    for (const MemberReportRow &row : rows.value()) {
        if (row.status != MemberReportRow::Status::Ok)
            return ExitFailed;
    }
    return ExitDone;
}

// Each project of the group in turn, as archiving would take them, a blank line between two; a project
// that cannot be read is named on standard error and makes the exit status 1, as a missing file does.
int ListGroup(const QString &groupFile)
{
    const Outcome<GroupForArchiving> group = ReadAnyGroupForArchiving(groupFile);
    if (!group) {
        Err() << group.error() << '\n';
        return ExitUsage;
    }
    int status = ExitDone;
    bool first = true;
    for (const GroupProject &project : ProjectsToRun(groupFile, group.value().Members)) {
        if (!std::exchange(first, false))
            Out() << '\n';
        if (ListProject(project.file) != ExitDone)
            status = ExitFailed;
        // A project that cannot be read is told between the lists of its neighbours.
        Out().flush();
        Err().flush();
    }
    return status;
}

} // namespace

int ListCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists what archiving PROJECT.vbp would take: every member line and every companion file, "
        "with its entry in the archive, the file on this machine, and ok, missing or malformed. A name on "
        "disk that is not UTF-8 is shown with such bytes written \\xEF. A project file begins with its "
        "Type= line; any other file is refused with exit status 2.\n"
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
    if (!ParseArguments(parser, arguments, 1) || !ApplyCodePage(parser, codePage))
        return ExitUsage;

    const QString path = parser.positionalArguments().constFirst();
    return IsArchivableGroupFile(path) ? ListGroup(path) : ListProject(path);
}

#include "Commands.h"
#include "ProjectBackups.h"
#include "Terminal.h"

#include "ByteNamedFiles.h"
#include "MemberReport.h"
#include "ProjectFile.h"

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

} // namespace

int ListCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Lists what archiving PROJECT.vbp would take: every member line and every companion file, "
        "with its entry in the archive, the file on this machine, and ok, missing or malformed. A name on "
        "disk that is not UTF-8 is shown with such bytes written \\xEF. A project file begins with its "
        "Type= line; any other file is refused with exit status 2.");
    parser.addHelpOption();
    parser.addPositionalArgument("PROJECT.vbp", "The Visual Basic 6 project file.");
    const QCommandLineOption codePage("codepage",
                                      "The code page the project file is written in; member files named on disk "
                                      "in its bytes are found too.",
                                      "NAME");
    parser.addOption(codePage);
    if (!ParseArguments(parser, arguments, 1) || !ApplyCodePage(parser, codePage))
        return ExitUsage;

    const QString projectFile = parser.positionalArguments().constFirst();
    if (RefusedAsFolder(projectFile))
        return ExitUsage;
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

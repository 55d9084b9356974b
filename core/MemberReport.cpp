#include "MemberReport.h"

#include "LineReader.h"
#include "MemberPaths.h"
#include "OperationsFichiers.h"
#include "ReferencedFiles.h"

#include <QFile>
#include <QFileInfo>

namespace {

MemberReportRow RowFor(const QString &kind, const QString &projectRoot, const QString &path)
{
    MemberReportRow row;
    row.kind = kind;
    row.path = path;
    row.entry = ArchiveEntryPath(path);
    row.localFile = MemberAbsolutePath(projectRoot, path);
    row.status = FileExists(row.localFile) ? MemberReportRow::Status::Ok : MemberReportRow::Status::Missing;
    return row;
}

void AddRows(const MemberLine &parsed, const QString &projectRoot, QList<MemberReportRow> &rows)
{
    const ProjectMember &member = parsed.member;
    if (parsed.status == MemberLine::Status::Malformed) {
        MemberReportRow row;
        row.kind = MemberKindName(member.Kind);
        row.path = member.Path;
        row.status = MemberReportRow::Status::Malformed;
        row.line = parsed.line;
        row.problem = parsed.problem;
        rows.append(row);
        return;
    }
    const MemberReportRow memberRow = RowFor(MemberKindName(member.Kind), projectRoot, member.Path);
    rows.append(memberRow);
    QStringList listed;
    if (member.CompanionExt) {
        // A missing companion is normal (a form without pictures has none), so only found ones are listed.
        MemberReportRow companion =
            RowFor(QStringLiteral("Companion"), projectRoot, CompanionPath(member.Path, *member.CompanionExt));
        if (companion.status == MemberReportRow::Status::Ok) {
            listed.append(EntryFileName(companion.path));
            rows.append(companion);
        }
    }
    // The binary files the member's text names are archived beside it too; one that is missing is
    // shown, as archiving warns of it.
    if (!MayReferenceBinaryFiles(member.Kind) || memberRow.status != MemberReportRow::Status::Ok)
        return;
    for (const QString &path : ReferencedFilePaths(member, memberRow.localFile)) {
        const QString name = EntryFileName(path);
        if (listed.contains(name, Qt::CaseInsensitive))
            continue;
        listed.append(name);
        rows.append(RowFor(QStringLiteral("Reference"), projectRoot, path));
    }
}

} // namespace

QString MemberKindName(MemberKind kind)
{
    const QString prefix = MemberPrefix(kind);
    return prefix.left(prefix.size() - 1);
}

QString StatusName(MemberReportRow::Status status)
{
    switch (status) {
    case MemberReportRow::Status::Ok:
        return QStringLiteral("ok");
    case MemberReportRow::Status::Missing:
        return QStringLiteral("missing");
    case MemberReportRow::Status::Malformed:
        return QStringLiteral("malformed");
    }
    return QString();
}

Outcome<QList<MemberReportRow>> ReportProjectMembers(const QString &projectFilePath)
{
    using Result = Outcome<QList<MemberReportRow>>;
    QFile file(projectFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("Cannot open %1: %2").arg(projectFilePath, file.errorString()));

    const QString projectRoot = ParentFolder(QFileInfo(projectFilePath).absoluteFilePath());
    QList<MemberReportRow> rows;
    LineReader reader(file);
    TextLine line;
    while (reader.Next(line)) {
        const MemberLine parsed = ParseMemberLine(line.text);
        if (parsed.status != MemberLine::Status::NotMember)
            AddRows(parsed, projectRoot, rows);
    }
    if (reader.Failed())
        return Result::failure(QStringLiteral("Cannot read %1: %2").arg(projectFilePath, file.errorString()));
    return Result::success(rows);
}

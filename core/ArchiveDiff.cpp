#include "ArchiveDiff.h"

#include "ArchiveBuilder.h"
#include "ArchivingState.h"
#include "CodePage.h"
#include "ContentSum.h"
#include "LineReader.h"
#include "MemberReport.h"
#include "ZipReader.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>

namespace {

// No project file or source member comes near this; a resource file might, and is summed whole.
constexpr qint64 kLargestEntry = qint64(1) << 31;

QString SlashedEntry(QString name) { return name.replace('\\', '/'); }

// The lines of a project file, member lines as archiving rewrites them (archived ones already are),
// and the bytes archiving would store for it.
struct ArchivedForm {
    QStringList lines;
    QByteArray bytes;
};

ArchivedForm ArchivedFormOf(QIODevice &device)
{
    ArchivedForm form;
    LineReader reader(device);
    TextLine line;
    while (reader.Next(line)) {
        const MemberLine parsed = ParseMemberLine(line.text);
        if (parsed.status != MemberLine::Status::Member) {
            form.lines.append(line.text);
            form.bytes += line.bytes + "\r\n";
            continue;
        }
        form.lines.append(ArchivedMemberLine(parsed.member));
        form.bytes += CodePage::Encode(form.lines.last()).value_or(line.bytes) + "\r\n";
    }
    return form;
}

// Whether archiving with Windows line ends converts the files of a report row of this kind.
bool StoredAsText(const QString &kind)
{
    for (const MemberKind each :
         {MemberKind::Module, MemberKind::Class, MemberKind::Form, MemberKind::UserControl, MemberKind::PropertyPage,
          MemberKind::ResFile32, MemberKind::UserDocument, MemberKind::Designer}) {
        if (MemberKindName(each) == kind)
            return IsTextMember(each);
    }
    return false;
}

// The lines each side has that the other lacks, in file order, through their longest common
// subsequence: a project file has some hundred lines at most.
QStringList ChangedLines(const QStringList &old, const QStringList &now)
{
    const qsizetype rows = old.size(), columns = now.size();
    std::vector<std::vector<int>> common(size_t(rows + 1), std::vector<int>(size_t(columns + 1), 0));
    for (qsizetype i = rows - 1; i >= 0; --i) {
        for (qsizetype j = columns - 1; j >= 0; --j)
            common[i][j] = old[i] == now[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
    QStringList changes;
    qsizetype i = 0, j = 0;
    while (i < rows || j < columns) {
        if (i < rows && j < columns && old[i] == now[j]) {
            ++i, ++j;
        } else if (j >= columns || (i < rows && common[i + 1][j] >= common[i][j + 1])) {
            changes.append('-' + old[i++]);
        } else {
            changes.append('+' + now[j++]);
        }
    }
    return changes;
}

bool Differ(const DiffSide::Member &one, const DiffSide::Member &other)
{
    return one.size != other.size || (one.crc && other.crc && *one.crc != *other.crc);
}

} // namespace

Outcome<DiffSide> ReadArchiveSide(const QString &archive, const QString &password)
{
    using Read = Outcome<DiffSide>;
    Outcome<ZipReader> opened = ZipReader::Open(archive);
    if (!opened)
        return Read::failure(opened.error());
    ZipReader zip = std::move(opened).value();
    const Outcome<std::vector<ZipReader::EntrySummary>> entries = zip.Entries();
    if (!entries)
        return Read::failure(entries.error());
    DiffSide side;
    side.Name = archive;
    std::optional<ZipReader::EntrySummary> project;
    for (const ZipReader::EntrySummary &entry : entries.value()) {
        if (IsRootProjectEntry(entry.name) && !project) {
            project = entry;
            continue;
        }
        if (entry.name.endsWith('/'))
            continue;
        DiffSide::Member member{entry.size, entry.crc};
        // AE-2 leaves the CRC out: with the password the content tells it.
        if (entry.encrypted && entry.crc == 0) {
            member.crc.reset();
            if (!password.isEmpty()) {
                const Outcome<QByteArray> content = zip.ReadEntry(entry.name, password, kLargestEntry);
                if (!content)
                    return Read::failure(archive + QStringLiteral(": ") + content.error());
                member.crc = SumOf(content.value()).crc;
            }
        }
        side.Members.insert(SlashedEntry(entry.name), member);
    }
    if (!project)
        return Read::failure(archive + QStringLiteral(" holds no project file at its root."));
    side.ProjectSum = {project->size, project->crc};
    if (project->encrypted && project->crc == 0)
        side.ProjectSum->crc.reset();
    if (project->encrypted && password.isEmpty()) {
        side.ProjectLinesUnread = QStringLiteral("%1 is protected: without its password (--password-file) the lines "
                                                 "of its project file cannot be compared.")
                                      .arg(archive);
        return Read::success(side);
    }
    Outcome<QByteArray> content = zip.ReadEntry(project->name, password, kLargestEntry);
    if (!content)
        return Read::failure(archive + QStringLiteral(": ") + content.error());
    QByteArray bytes = std::move(content).value();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    side.ProjectLines = ArchivedFormOf(buffer).lines;
    return Read::success(side);
}

Outcome<DiffSide> ReadProjectSide(const QString &projectFile, bool windowsLineEnds)
{
    using Read = Outcome<DiffSide>;
    const Outcome<QList<MemberReportRow>> rows = ReportProjectMembers(projectFile);
    if (!rows)
        return Read::failure(rows.error());
    DiffSide side;
    side.Name = projectFile;
    for (const MemberReportRow &row : rows.value()) {
        if (row.status != MemberReportRow::Status::Ok)
            continue;
        const Outcome<ContentSum> sum = SumOfFile(row.localFile, windowsLineEnds && StoredAsText(row.kind));
        if (!sum) {
            side.Unreadable.append(sum.error());
            continue;
        }
        side.Members.insert(SlashedEntry(row.entry), {sum.value().size, sum.value().crc});
    }
    QFile file(projectFile);
    if (!file.open(QIODevice::ReadOnly))
        return Read::failure(QStringLiteral("Cannot open %1: %2").arg(projectFile, file.errorString()));
    const ArchivedForm form = ArchivedFormOf(file);
    side.ProjectLines = form.lines;
    const ContentSum sum = SumOf(form.bytes);
    side.ProjectSum = DiffSide::Member{sum.size, sum.crc};
    return Read::success(side);
}

DiffResult CompareSides(const DiffSide &old, const DiffSide &now)
{
    DiffResult result;
    for (auto entry = old.Members.cbegin(); entry != old.Members.cend(); ++entry) {
        const auto other = now.Members.constFind(entry.key());
        if (other == now.Members.cend()) {
            result.Removed.append({entry.key(), entry.value(), std::nullopt});
            continue;
        }
        if (Differ(entry.value(), other.value()))
            result.Changed.append({entry.key(), entry.value(), other.value()});
    }
    for (auto entry = now.Members.cbegin(); entry != now.Members.cend(); ++entry) {
        if (!old.Members.contains(entry.key()))
            result.Added.append({entry.key(), std::nullopt, entry.value()});
    }
    result.LinesCompared = old.ProjectLines && now.ProjectLines;
    if (result.LinesCompared)
        result.LineChanges = ChangedLines(*old.ProjectLines, *now.ProjectLines);
    else if (old.ProjectSum && now.ProjectSum)
        result.ProjectFileChanged = Differ(*old.ProjectSum, *now.ProjectSum);
    result.ProjectFileChanged = result.ProjectFileChanged || !result.LineChanges.isEmpty();
    return result;
}

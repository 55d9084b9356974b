#include "ArchiveVerify.h"

#include "ArchivingState.h"
#include "LineReader.h"
#include "MemberPaths.h"
#include "MissingFilesRecord.h"
#include "ProjectFile.h"
#include "ReferencedFiles.h"
#include "WindowsPath.h"
#include "ZipReader.h"

#include <QBuffer>
#include <QHash>

namespace {

using Status = VerifyResult::Status;

// Project files and the texts of forms are small; anything larger is not read for references.
constexpr qint64 kLargestText = 64 << 20;

// Entry names compared as extracting and Visual Basic would see them, without regard to case.
QString EntryKey(const QString &name) { return EntryNameParts(name).join('/').toCaseFolded(); }

class ArchiveChecker {
public:
    ArchiveChecker(ZipReader &zip, const std::vector<ZipReader::EntrySummary> &entries, const QString &password,
                   VerifyResult &result)
        : zip_(zip), password_(password), result_(result)
    {
        for (const ZipReader::EntrySummary &entry : entries)
            entries_.insert(EntryKey(entry.name), entry.name);
        result_.EntryCount = entries_.size();
        for (const QString &line : RecordedMissingFiles(zip_.Comment()))
            RecordMissing(line);
    }

    void CheckProjects()
    {
        for (const QString &name : std::as_const(entries_)) {
            if (IsRootProjectEntry(name))
                result_.ProjectFiles.append(name);
        }
        result_.ProjectFiles.sort();
        if (result_.ProjectFiles.isEmpty())
            result_.Problems.append(QStringLiteral("There is no project file (.vbp) at the root of the archive."));
        for (const QString &project : std::as_const(result_.ProjectFiles))
            CheckProject(project);
    }

private:
    // The entry a line of the comment stands for, as the archive would have held it.
    void RecordMissing(const QString &line)
    {
        const RecordedMissingFile recorded = SplitRecordedMissingFile(line);
        const MemberLine parsed = ParseMemberLine(recorded.memberLine);
        if (parsed.status != MemberLine::Status::Member)
            return;
        const QString entry = ArchiveEntryPath(parsed.member.Path);
        const QString path = recorded.namedFile.isEmpty() ? entry : WindowsPath::FolderOf(entry) + recorded.namedFile;
        recordedMissing_.insert(EntryKey(path), line);
    }

    // A file the archive lacks: missing when it was written, when its comment says so, or damage.
    void Lacks(const QString &entryPath, const QString &problem)
    {
        const auto recorded = recordedMissing_.constFind(EntryKey(entryPath));
        if (recorded == recordedMissing_.constEnd())
            result_.Problems.append(problem);
        else if (!result_.MissingWhenArchived.contains(*recorded))
            result_.MissingWhenArchived.append(*recorded);
    }

    void CheckProject(const QString &project)
    {
        const Outcome<QByteArray> content = zip_.ReadEntry(project, password_, kLargestText);
        if (!content)
            return; // reading every entry has already told why
        QBuffer buffer;
        buffer.setData(content.value());
        buffer.open(QIODevice::ReadOnly);
        LineReader reader(buffer);
        TextLine line;
        while (reader.Next(line)) {
            const MemberLine parsed = ParseMemberLine(line.text);
            if (parsed.status == MemberLine::Status::Malformed)
                result_.Problems.append(
                    QStringLiteral("%1: the line \"%2\" %3.").arg(project, line.text, parsed.problem));
            if (parsed.status == MemberLine::Status::Member)
                CheckMember(project, parsed.member);
        }
    }

    void CheckMember(const QString &project, const ProjectMember &member)
    {
        ++result_.MemberCount;
        const auto entry = entries_.constFind(EntryKey(member.Path));
        if (entry == entries_.constEnd()) {
            Lacks(member.Path, QStringLiteral("%1 names %2, which is not in the archive.").arg(project, member.Path));
            return;
        }
        if (MayReferenceBinaryFiles(member.Kind))
            CheckReferences(member, *entry);
    }

    void CheckReferences(const ProjectMember &member, const QString &entry)
    {
        const Outcome<QByteArray> text = zip_.ReadEntry(entry, password_, kLargestText);
        if (!text)
            return;
        QBuffer buffer;
        buffer.setData(text.value());
        buffer.open(QIODevice::ReadOnly);
        const QString folder = WindowsPath::FolderOf(member.Path);
        for (const QString &name : ReferencedBinaryFiles(buffer)) {
            if (name.contains('\\') || name.contains('/'))
                continue; // not taken by archiving either
            if (!entries_.contains(EntryKey(folder + name)))
                Lacks(folder + name,
                      QStringLiteral("%1 needs %2 beside it, which is not in the archive.").arg(member.Path, name));
        }
    }

    ZipReader &zip_;
    const QString &password_;
    VerifyResult &result_;
    QHash<QString, QString> entries_;         // by EntryKey
    QHash<QString, QString> recordedMissing_; // the comment's line for each entry it says is missing
};

} // namespace

VerifyResult VerifyArchive(const QString &archivePath, const QString &password,
                           const std::function<void(double)> &progress, const std::function<bool()> &stopRequested)
{
    VerifyResult result;
    Outcome<ZipReader> opened = ZipReader::Open(archivePath);
    if (!opened) {
        result.Problems.append(opened.error());
        return result;
    }
    ZipReader zip = std::move(opened).value();
    zip.SetProgressHandler(progress);
    zip.SetStopCheck(stopRequested);
    const Outcome<QStringList, ZipFailure> checked = zip.Check(password);
    if (!checked) {
        // A check that was stopped leaves the archive unread, as one that cannot be read.
        result.status = checked.error().kind == ZipFailure::Kind::NeedsPassword   ? Status::NeedsPassword
                        : checked.error().kind == ZipFailure::Kind::WrongPassword ? Status::WrongPassword
                                                                                  : Status::Unreadable;
        result.Problems.append(checked.error().reason);
        return result;
    }
    result.Problems = checked.value();
    const Outcome<std::vector<ZipReader::EntrySummary>> entries = zip.Entries();
    if (!entries) {
        result.Problems.append(entries.error());
        return result;
    }
    ArchiveChecker(zip, entries.value(), password, result).CheckProjects();
    if (!result.Problems.isEmpty())
        result.status = Status::NotSound;
    else
        result.status = result.MissingWhenArchived.isEmpty() ? Status::Sound : Status::Incomplete;
    return result;
}

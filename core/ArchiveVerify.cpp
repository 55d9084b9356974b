#include "ArchiveVerify.h"

#include "ArchivingState.h"
#include "LineReader.h"
#include "MemberPaths.h"
#include "MissingFilesRecord.h"
#include "ProjectFile.h"
#include "ReferencedFiles.h"
#include "WindowsPath.h"
#include "ZipArchive.h"

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
    ArchiveChecker(ZipArchive &zip, const QString &password, VerifyResult &result)
        : zip_(zip), password_(password), result_(result)
    {
        for (const QString &name : zip_.EntryNames())
            entries_.insert(EntryKey(name), name);
        result_.EntryCount = entries_.size();
        for (const QString &line : RecordedMissingFiles(zip_.ArchiveComment()))
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
        const std::optional<QByteArray> content = zip_.ReadEntry(project, password_, kLargestText);
        if (!content)
            return; // reading every entry has already told why
        QBuffer buffer;
        buffer.setData(*content);
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
        const std::optional<QByteArray> text = zip_.ReadEntry(entry, password_, kLargestText);
        if (!text)
            return;
        QBuffer buffer;
        buffer.setData(*text);
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

    ZipArchive &zip_;
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
    ZipArchive zip;
    if (zip.OpenExisting(archivePath) != 1) {
        result.Problems.append(zip.LastError());
        return result;
    }
    zip.SetProgressHandler(progress);
    zip.SetStopCheck(stopRequested);
    switch (zip.TestAll(password)) {
    case 1:
        break;
    case ZipArchive::ExtractNeedsPassword:
        result.status = Status::NeedsPassword;
        result.Problems.append(zip.LastError());
        return result;
    case ZipArchive::ExtractWrongPassword:
        result.status = Status::WrongPassword;
        result.Problems.append(zip.LastError());
        return result;
    case ZipArchive::Stopped:
        result.Problems.append(zip.LastError());
        return result;
    default:
        result.Problems = zip.LastError().split('\n');
        break;
    }
    ArchiveChecker(zip, password, result).CheckProjects();
    if (!result.Problems.isEmpty())
        result.status = Status::NotSound;
    else
        result.status = result.MissingWhenArchived.isEmpty() ? Status::Sound : Status::Incomplete;
    return result;
}

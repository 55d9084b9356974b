#include "ArchiveBuilder.h"

#include "ByteNamedFiles.h"
#include "CodePage.h"
#include "LineReader.h"
#include "MemberFilesAhead.h"
#include "MemberPaths.h"
#include "MissingFilesRecord.h"
#include "OperationsFichiers.h"
#include "ZipReader.h"
#include "ZipWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace {

// Raised inside the builder with the status the failure message ends with, and the reason the
// system or the zip engine gave, which follows on a line of its own.
struct ArchiveFailure {
    QString status;
    QString reason;
    bool memberMissing = false; // the member file of the line does not exist
};

// Raised inside the builder when the observer asks the run to stop.
struct RunCancelled {};

// Whether the file can be opened for reading as a file, which archiving it needs.
bool Readable(const QString &path)
{
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

QString RewrittenLine(const ProjectMember &member, const QString &entry)
{
    switch (member.Kind) {
    case MemberKind::Module:
    case MemberKind::Class:
        return MemberPrefix(member.Kind) + member.Name + QStringLiteral("; ") + entry;
    case MemberKind::ResFile32:
        return MemberPrefix(member.Kind) + '"' + entry + '"';
    default:
        return MemberPrefix(member.Kind) + entry;
    }
}

// Visual Basic 6 on Windows misreads source files whose lines end with a lone LF, as git
// checkouts on Linux often leave them.
ZipWriter::Content MemberContent(const ArchiveChoices &choices, MemberKind kind)
{
    return choices.WindowsLineEnds && IsTextMember(kind) ? ZipWriter::Content::WindowsLineEnds
                                                         : ZipWriter::Content::AsIs;
}

QString EntryPath(const QString &folder, const QString &fileName)
{
    return folder.isEmpty() ? fileName : folder + '\\' + fileName;
}

class ProjectArchiver {
public:
    ProjectArchiver(const ArchivingState &state, ArchiveObserver &observer)
        : state_(state), observer_(observer), zip_(AddBackslash(state.BackupFolder) + state.ArchiveFileName)
    {
    }

    // Whether the archive was kept (see KeepDecision).
    bool Run(const QString &projectFilePath, const ZipWriter::KeepDecision &keep);
    const QStringList &Missing() const { return missing_; }
    const ZipWriter::Planned &Planned() const { return planned_; }
    const EarlierArchiveUse &Reuse() const { return zip_.Reuse(); }

private:
    void StartArchive();
    void StopWhenAsked();
    QByteArray RewriteProject(const QString &projectFilePath);
    QByteArray ArchiveLine(const TextLine &line, const MemberFilesAhead::Line &files);
    void AddMember(const QString &localPath, const QString &entryFolder, const QString &entryFileName,
                   const QString &status, ZipWriter::Content content = ZipWriter::Content::AsIs);
    bool LeftOut(const QString &localPath, const QString &line, const QString &namedFile, bool required);
    bool Record(const QString &line, const QString &namedFile);
    void AddCompanion(const ProjectMember &member, const QString &companionFile, const QString &entryFolder,
                      const QString &status);
    void AddReferencedFiles(const MemberFilesAhead::Line &files, const QString &entryFolder, const QString &status);
    bool Finish(const QByteArray &rewrittenProject, const ZipWriter::KeepDecision &keep);
    bool Write(const ZipWriter::KeepDecision &keep);
    void Plan();

    const ArchivingState &state_;
    ArchiveObserver &observer_;
    ZipWriter zip_;
    QHash<QString, QString> entries_; // the file stored under each entry path so far, by folded path
    QStringList missing_;             // what the archive is written without, as its comment lists it
    QList<ComponentLine> components_; // what the project needs registered where it opens
    ZipWriter::Planned planned_;      // a dry run's plan
    struct Origin {
        QString line;
        QString namedFile; // empty: the member's own file
    };
    QHash<QString, Origin> origins_; // the line of each file added, should it have to be left out
};

bool ProjectArchiver::Run(const QString &projectFilePath, const ZipWriter::KeepDecision &keep)
{
    StartArchive();
    return Finish(RewriteProject(projectFilePath), keep);
}

void ProjectArchiver::StartArchive()
{
    zip_.Protect(state_.Choices.Password);
    if (state_.Choices.ReuseEarlierEntries && !state_.EarlierArchive.isEmpty())
        zip_.ReuseEntriesOf(state_.EarlierArchive);
    zip_.SetProgressHandler([this](double share) { observer_.FileProgress(share); });
    zip_.SetStopCheck([this] { return observer_.StopRequested(); });
    observer_.FileProgress(0);
    observer_.FileProgressVisible(true);
    observer_.Busy(true);
}

void ProjectArchiver::StopWhenAsked()
{
    if (observer_.StopRequested())
        throw RunCancelled{};
}

// Reads the project file, archives each member line by line, and gives the rewritten project
// file. It is kept in memory: it never lies on a disk, where a protected archive's project file
// would be readable by anyone, nor in the program's folder. The members' files are found ahead
// of the lines archived; a read that failed part way fails the archive after the lines read.
QByteArray ProjectArchiver::RewriteProject(const QString &projectFilePath)
{
    QFile project(projectFilePath);
    if (!project.open(QIODevice::ReadOnly))
        throw ArchiveFailure{projectFilePath, project.errorString()};

    LineReader reader(project);
    std::vector<TextLine> lines;
    QStringList texts;
    for (TextLine line; reader.Next(line);) {
        texts.append(line.text);
        lines.push_back(std::move(line));
    }
    MemberFilesAhead ahead(state_.ProjectRoot, std::move(texts));
    QByteArray rewritten;
    for (qsizetype index = 0; index < qsizetype(lines.size()); ++index) {
        // Every line ends with CR LF, as Visual Basic on Windows needs.
        rewritten += ArchiveLine(lines[size_t(index)], ahead.At(index)) + "\r\n";
        StopWhenAsked();
    }
    if (reader.Failed())
        throw ArchiveFailure{projectFilePath, project.errorString()};
    observer_.ComponentsNeeded(components_);
    return rewritten;
}

// Archives the member a line names and gives the line for the rewritten project file. Other
// lines are copied byte for byte: titles and command lines may hold bytes of another code page.
QByteArray ProjectArchiver::ArchiveLine(const TextLine &line, const MemberFilesAhead::Line &files)
{
    if (ComponentLine component = ParseComponentLine(line.text);
        component.status != ComponentLine::Status::NotComponent)
        components_.append(std::move(component));
    const MemberLine &parsed = files.parsed;
    if (parsed.status == MemberLine::Status::NotMember)
        return line.bytes;
    if (parsed.status == MemberLine::Status::Malformed)
        throw ArchiveFailure{line.text, parsed.problem};

    const ProjectMember &member = parsed.member;
    const QString entry = ArchiveEntryPath(member.Path);
    const QString &memberFile = files.memberFile;
    const bool memberLeftOut = LeftOut(memberFile, line.text, QString(), IsRequiredMember(member.Kind));
    if (!memberLeftOut)
        AddMember(memberFile, EntryFolder(entry), EntryFileName(entry), line.text,
                  MemberContent(state_.Choices, member.Kind));
    if (member.CompanionExt)
        AddCompanion(member, files.companionFile, EntryFolder(entry), line.text);
    if (!memberLeftOut)
        AddReferencedFiles(files, EntryFolder(entry), line.text);

    const std::optional<QByteArray> rewritten = CodePage::Encode(RewrittenLine(member, entry));
    if (!rewritten)
        throw ArchiveFailure{line.text, QStringLiteral("Its rewritten line holds a character that the code page %1 "
                                                       "cannot hold.")
                                            .arg(QString::fromLatin1(CodePage::AnsiName()))};
    return *rewritten;
}

// The entry carries the name as the project file writes it, whatever case the file has on disk,
// so that the extracted project opens on a case-sensitive file system too. A file named twice
// keeps one entry; two different files that would share one, whatever the case of its name, would
// lose one of them, so they fail.
void ProjectArchiver::AddMember(const QString &localPath, const QString &entryFolder, const QString &entryFileName,
                                const QString &status, ZipWriter::Content content)
{
    const QString entry = EntryPath(entryFolder, entryFileName);
    // The restore must take back whatever is archived: an entry it would refuse fails here instead.
    if (const QString refusal = EntryNameRefusal(entry); !refusal.isEmpty())
        throw ArchiveFailure{status, QStringLiteral("Its entry \"%1\" %2.").arg(entry, refusal)};
    const auto earlier = entries_.constFind(entry.toCaseFolded());
    if (earlier != entries_.constEnd() && SameFile(*earlier, localPath))
        return;
    if (earlier != entries_.constEnd())
        throw ArchiveFailure{
            status, QStringLiteral("%1 and %2 would both be stored as %3.")
                        .arg(ByteNamedFiles::ReadablePath(*earlier), ByteNamedFiles::ReadablePath(localPath), entry)};
    zip_.SetFolderPrefix(entryFolder);
    if (const Outcome<void> added = zip_.AddMemberFile(localPath, entryFileName, content); !added)
        throw ArchiveFailure{status, added.error()};
    entries_.insert(entry.toCaseFolded(), localPath);
}

// Whether a file of the line (the member's own when namedFile is empty, or a file it names) is left
// out of the archive and recorded as missing: one that does not exist (a required member's own file
// fails the archive instead unless the choices record missing members), and one that cannot be read
// when the choices record those too. An optional member (a related document) that is no regular file
// (a folder) counts as missing: only a file can be archived. Its line in the rewritten project file still names where
// it would be, so that putting it back there makes the project whole.
bool ProjectArchiver::LeftOut(const QString &localPath, const QString &line, const QString &namedFile, bool required)
{
    const MissingMembers choice = state_.Choices.Missing;
    const bool optionalMember = namedFile.isEmpty() && !required;
    const bool absent = optionalMember ? !FileExists(localPath) : !QFileInfo::exists(localPath);
    if (!absent && (choice != MissingMembers::RecordUnreadable || Readable(localPath))) {
        origins_.insert(localPath, {line, namedFile});
        return false;
    }
    if (absent && choice == MissingMembers::Fail && required)
        throw ArchiveFailure{line, QStringLiteral("Cannot add %1: it does not exist.").arg(localPath), true};
    if (Record(line, namedFile))
        observer_.FileLeftOut(line, namedFile);
    return true;
}

// Adds a file of the line to those the archive's comment lists; false when it is there already.
bool ProjectArchiver::Record(const QString &line, const QString &namedFile)
{
    const QString recorded = namedFile.isEmpty() ? line : MissingNamedFileLine(line, namedFile);
    if (missing_.contains(recorded))
        return false;
    missing_.append(recorded);
    return true;
}

// A companion is optional: one that is not there is not missed.
void ProjectArchiver::AddCompanion(const ProjectMember &member, const QString &companionFile,
                                   const QString &entryFolder, const QString &status)
{
    const QString name = EntryFileName(ArchiveEntryPath(CompanionPath(member.Path, *member.CompanionExt)));
    if (FileExists(companionFile) && !LeftOut(companionFile, status, name, false))
        AddMember(companionFile, entryFolder, name, status);
}

// Binary files the member's text names, found in the member's folder as members are found (the
// folder as the project file writes it, so that its case need not match either); one that is not
// there does not fail the archive but is recorded as missing: the restored project would miss it.
void ProjectArchiver::AddReferencedFiles(const MemberFilesAhead::Line &files, const QString &entryFolder,
                                         const QString &status)
{
    for (qsizetype index = 0; index < files.referencedPaths.size(); ++index) {
        const QString name = EntryFileName(files.referencedPaths[index]);
        if (entries_.contains(EntryPath(entryFolder, name).toCaseFolded()))
            continue;
        const QString &referenced = files.referencedFiles[index];
        if (!LeftOut(referenced, status, name, false))
            AddMember(referenced, entryFolder, name, status);
    }
}

bool ProjectArchiver::Finish(const QByteArray &rewrittenProject, const ZipWriter::KeepDecision &keep)
{
    const QString status = QStringLiteral("New VBP : ") + state_.NewProjectFileName;
    zip_.SetFolderPrefix(QString());
    if (const Outcome<void> added = zip_.AddMemberData(rewrittenProject, state_.NewProjectFileName); !added)
        throw ArchiveFailure{status, added.error()};
    if (state_.Choices.DryRun) {
        Plan();
        return false;
    }
    const bool kept = Write(keep);
    if (!zip_.Reuse().Archive.isEmpty())
        observer_.EarlierArchiveUsed(zip_.Reuse());
    return kept;
}

// A file that changed each time it was read (saved again and again while it was archived) cannot be
// read as one version of itself: when the choices leave out unreadable files, it is left out and
// recorded, and the archive written again without it. Otherwise the failure names it, as nothing
// else would tell which file it was.
bool ProjectArchiver::Write(const ZipWriter::KeepDecision &keep)
{
    zip_.KeepOnlyIf(keep);
    for (;;) {
        zip_.SetComment(MissingFilesComment(missing_));
        const Outcome<ZipWriter::Written> written = zip_.Write();
        if (written && written.value() == ZipWriter::Written::Stopped)
            throw RunCancelled{};
        if (written)
            return written.value() == ZipWriter::Written::Published;
        const QStringList changing = zip_.ChangingFiles();
        for (const QString &file : changing) {
            const auto origin = origins_.constFind(file);
            if (state_.Choices.Missing != MissingMembers::RecordUnreadable || origin == origins_.constEnd())
                throw ArchiveFailure{QStringLiteral("Writing Zip File"), written.error()};
            if (Record(origin->line, origin->namedFile))
                observer_.FileChangedWhileRead(origin->line, file);
            zip_.LeaveOut(file);
        }
        if (changing.isEmpty())
            throw ArchiveFailure{QStringLiteral("Writing Zip File"), written.error()};
    }
}

// What Write would store, with the comment it would write.
void ProjectArchiver::Plan()
{
    zip_.SetComment(MissingFilesComment(missing_));
    const Outcome<ZipWriter::Planned> planned = zip_.Plan();
    StopWhenAsked();
    if (!planned)
        throw ArchiveFailure{QStringLiteral("Reading the member files"), planned.error()};
    planned_ = planned.value();
}

} // namespace

BuiltArchive ArchiveProject(const QString &projectFilePath, const ArchivingState &state, ArchiveObserver &observer,
                            const ZipWriter::KeepDecision &keep)
{
    ProjectArchiver archiver(state, observer);
    try {
        const bool kept = archiver.Run(projectFilePath, keep);
        observer.Busy(false);
        return {true, kept, archiver.Missing(), QString(), false, archiver.Planned(), archiver.Reuse()};
    } catch (const ArchiveFailure &failure) {
        observer.Busy(false);
        ShowArchiveFailure(observer, failure.status, failure.reason);
        return {false, false, {}, failure.memberMissing ? failure.status : QString()};
    } catch (const RunCancelled &) {
        observer.Busy(false);
        return {false, false, {}, QString(), true};
    }
}

void ShowArchiveFailure(ArchiveObserver &observer, const QString &status, const QString &reason)
{
    observer.ShowFailure(QStringLiteral("Archive creation error"),
                         QStringLiteral("An error appears to have occurred...\r\nLine : ") + status
                             + (reason.isEmpty() ? QString() : QStringLiteral("\r\n") + reason));
}

QString ArchivedMemberLine(const ProjectMember &member) { return RewrittenLine(member, ArchiveEntryPath(member.Path)); }

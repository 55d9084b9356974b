#include "ZipArchiveState.h"
#include "ArchiveFileTarget.h"
#include "MemberFile.h"
#include "PrecompressedSource.h"
#include "StreamedFileSource.h"

#include <QFileInfo>

namespace {

// Level 6 trades little size for much time against libzip's default of 9.
constexpr zip_uint32_t DeflateLevel = 6;

// Why the file cannot be archived (empty when it can), and its size.
struct FileCheck {
    QString problem;
    qint64 size = 0;
};
FileCheck CheckReadable(const QString &filePath)
{
    MemberFile file;
    const ReadProblem problem = file.Open(filePath);
    return {problem.reason, problem ? 0 : file.Size()};
}

} // namespace

int ZipArchive::CreateNew(const QString &archivePath)
{
    d->archivePath = archivePath;
    d->prefix.clear();
    d->comment.clear();
    d->ForgetMembers();
    d->earlier.reset();
    d->reuse = {};
    d->keepOnlyIf = nullptr;
    d->changedOnce.clear();
    return 1;
}

void ZipArchive::ReuseEntriesOf(const QString &earlierArchive)
{
    d->earlier = std::make_shared<EarlierEntries>(earlierArchive);
    d->reuse = {earlierArchive, d->earlier->Problem(), 0, {}};
    if (!d->reuse.unreadable.isEmpty())
        d->earlier.reset();
}

ZipArchive::ReuseReport ZipArchive::LastReuse() const { return d->reuse; }

void ZipArchive::UsePassword(const QString &password) { d->password = password.toUtf8(); }

void ZipArchive::EnableProtection(bool on) { d->protect = on; }

void ZipArchive::SetArchiveComment(const QString &comment) { d->comment = comment.toUtf8().left(kLongestComment); }

void ZipArchive::SetFolderPrefix(const QString &folder)
{
    d->prefix = folder.split('\\', Qt::SkipEmptyParts).join('/');
}

int ZipArchive::AddMemberFile(const QString &filePath, const QString &entryFileName, Content content)
{
    const FileCheck check = CheckReadable(filePath);
    if (!check.problem.isEmpty())
        return d->Fail(0, QString("Cannot add %1: %2.").arg(filePath, check.problem));
    if (d->protect && d->password.isEmpty())
        return d->Fail(0, QString("Cannot protect %1: no password was given.").arg(filePath));
    const QString name = entryFileName.isEmpty() ? QFileInfo(filePath).fileName() : entryFileName;
    d->Remember(d->prefix.isEmpty() ? name : d->prefix + '/' + name, filePath, check.size, content);
    return 1;
}

int ZipArchive::AddMemberData(const QByteArray &content, const QString &entryFileName)
{
    if (d->protect && d->password.isEmpty())
        return d->Fail(0, QString("Cannot protect %1: no password was given.").arg(entryFileName));
    const QString entryName = d->prefix.isEmpty() ? entryFileName : d->prefix + '/' + entryFileName;
    if (d->memberByFoldedName.contains(entryName.toCaseFolded()))
        return d->Fail(0, QString("Cannot add %1: the archive has an entry of that name.").arg(entryName));
    d->memberByFoldedName.insert(entryName.toCaseFolded(), d->members.size());
    d->members.push_back(
        {entryName, QString(), d->protect ? d->password : QByteArray(), Content::AsIs, std::nullopt, content, 0});
    return 1;
}

void ZipArchive::KeepOnlyIf(KeepDecision decide) { d->keepOnlyIf = std::move(decide); }

// Windows treats names differing only in case as one file, so the later file takes the
// earlier one's place instead of adding a second entry.
void ZipArchive::State::Remember(const QString &entryName, const QString &filePath, qint64 size, Content content)
{
    const QString key = entryName.toCaseFolded();
    const QByteArray secret = protect ? password : QByteArray();
    const auto known = memberByFoldedName.constFind(key);
    const bool replacing = known != memberByFoldedName.constEnd();
    const std::optional<size_t> deflated =
        StartDeflating(filePath, size, replacing ? members[*known].entryName : entryName, secret, content);
    if (replacing) {
        Member &member = members[*known];
        if (member.deflated)
            pipeline->Discard(*member.deflated);
        member.filePath = filePath;
        member.password = secret;
        member.content = content;
        member.deflated = deflated;
        member.size = size;
        return;
    }
    memberByFoldedName.insert(key, members.size());
    members.push_back({entryName, filePath, secret, content, deflated, {}, size});
}

// Files of ordinary size are deflated on every core from the moment they are added, while the
// caller goes on reading its project; at the write, libzip copies them as they are. Larger files are
// read while libzip compresses them, a chunk at a time, their line ends converted on the way.
std::optional<size_t> ZipArchive::State::StartDeflating(const QString &filePath, qint64 size, const QString &entryName,
                                                        const QByteArray &secret, Content content)
{
    if (size > DeflatePipeline::kLargestFile)
        return std::nullopt;
    if (!pipeline)
        pipeline = std::make_unique<DeflatePipeline>(earlier);
    return pipeline->Add(filePath, size, secret, content, entryName);
}

// A member file that changes while it is read has begun its entry, which libzip cannot take back:
// the whole archive is written anew, every file read again; one that changes again fails it.
int ZipArchive::WriteAndClose()
{
    if (d->members.empty())
        return d->Fail(0, QString("Nothing was added to %1, so it was not written.").arg(d->archivePath));
    d->changingFiles.clear();
    int written = d->Write();
    while (written == 0 && d->writeAgain)
        written = d->Write();
    if (written != 1)
        return written;
    // The last report may fall short of the end by less than the precision.
    d->Report(1.0);
    if (d->pipeline) {
        d->reuse.reused = d->pipeline->ReusedCount();
        d->reuse.damaged = d->pipeline->EarlierDamage();
    }
    d->ForgetMembers();
    return d->Publish();
}

// The written archive either goes, when the caller does not want it, or takes its name.
int ZipArchive::State::Publish()
{
    TemporaryPath archive = std::move(*written);
    written.reset();
    if (keepOnlyIf && !keepOnlyIf(archive.Path()))
        return NotKept;
    if (const Outcome<void> published = archive.Publish(archivePath); !published)
        return Fail(0, QString("Cannot write the archive %1: %2.").arg(archivePath, published.error()));
    return 1;
}

QStringList ZipArchive::ChangingFiles() const { return d->changingFiles; }

void ZipArchive::LeaveOut(const QString &filePath)
{
    const auto leftOut = [&filePath](const State::Member &member) { return member.filePath == filePath; };
    for (const State::Member &member : d->members) {
        if (leftOut(member) && member.deflated)
            d->pipeline->Discard(*member.deflated);
    }
    std::erase_if(d->members, leftOut);
    d->memberByFoldedName.clear();
    for (size_t index = 0; index < d->members.size(); ++index)
        d->memberByFoldedName.insert(d->members[index].entryName.toCaseFolded(), index);
}

// The archive is written to a temporary file beside it (ArchiveFileTarget), kept in written for
// WriteAndClose to publish; nothing is opened before there is something to write. A write after
// one that failed finds the pipeline's results taken: every file goes to a new pipeline.
int ZipArchive::State::Write()
{
    if (writeAttempted)
        RestartDeflating();
    writeAttempted = true;
    writeAgain = false;
    writeFailure.clear();
    stopped = false;
    lastShare = 0;
    bytesCompressedHere = bytesWritten = bytesToWrite = 0;
    for (const Member &member : members)
        bytesToWrite += 2 * quint64(member.size);
    zip_error_t error;
    zip_error_init(&error);
    ArchiveFileOutcome file;
    zip_source_t *target = CreateArchiveFileTarget(archivePath, file, &error);
    zip_t *archive = target ? zip_open_from_source(target, ZIP_CREATE | ZIP_TRUNCATE, &error) : nullptr;
    if (!archive) {
        if (target)
            zip_source_free(target);
        const QString problem = LibzipText(&error);
        zip_error_fini(&error);
        return Fail(0, QString("Cannot create the archive %1: %2.").arg(archivePath, problem));
    }
    zip_error_fini(&error);
    for (const Member &member : members) {
        if (const QString problem = AddEntry(archive, member); !problem.isEmpty()) {
            zip_discard(archive);
            return Fail(0, QString("Cannot add %1 to %2: %3.").arg(member.filePath, archivePath, problem));
        }
    }
    if (!comment.isEmpty()
        && zip_set_archive_comment(archive, comment.constData(), zip_uint16_t(comment.size())) != 0) {
        const QString problem = zip_strerror(archive);
        zip_discard(archive);
        return Fail(0, QString("Cannot comment the archive %1: %2.").arg(archivePath, problem));
    }
    zip_register_cancel_callback_with_state(archive, CancelWhenStopped, nullptr, this);
    if (zip_close(archive) != 0) {
        const QString problem =
            !writeFailure.isEmpty() ? writeFailure
            : !file.failure.isEmpty()
                ? QString("Cannot write the archive %1: %2.").arg(archivePath, file.failure)
                : QString("Cannot write the archive %1: %2.").arg(archivePath, zip_strerror(archive));
        zip_discard(archive);
        if (stopped)
            return Fail(ZipArchive::Stopped, QString("The write of %1 was stopped.").arg(archivePath));
        return Fail(0, problem);
    }
    if (!file.written)
        return Fail(0, QString("Cannot write the archive %1: it was never completed.").arg(archivePath));
    written = std::move(file.written);
    return 1;
}

void ZipArchive::State::RestartDeflating()
{
    pipeline.reset();
    for (Member &member : members) {
        if (member.filePath.isEmpty())
            continue;
        member.size = CheckReadable(member.filePath).size;
        member.deflated =
            StartDeflating(member.filePath, member.size, member.entryName, member.password, member.content);
    }
}

// libzip names no file when one fails while the archive is written: each source tells its failure
// here, where its file can still be named.
QString ZipArchive::State::AddEntry(zip_t *archive, const Member &member)
{
    const std::optional<size_t> precompressed = member.deflated;
    const auto progressed = [this](quint64 compressed, quint64 written) { return Progressed(compressed, written); };
    const auto failed = [this, file = member.filePath](const ReadProblem &problem) { ReadFailed(file, problem); };
    zip_source_t *source =
        precompressed
            ? CreatePrecompressedSource(archive, *pipeline, *precompressed, quint64(member.size), progressed, failed)
        : member.filePath.isEmpty()
            ? zip_source_buffer(archive, member.data.constData(), zip_uint64_t(member.data.size()), 0)
            : CreateStreamedFileSource(archive, member.filePath, member.content, progressed, failed);
    if (!source)
        return zip_strerror(archive);
    const zip_int64_t index = zip_file_add(archive, member.entryName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return zip_strerror(archive);
    }
    // A source deflated and encrypted ahead keeps the default method and gets no password, so that
    // libzip takes its data as it is and only marks the entry as encrypted.
    const char *password = precompressed ? nullptr : member.password.constData();
    const bool configured =
        (precompressed || zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, DeflateLevel) == 0)
        && (member.password.isEmpty() || zip_file_set_encryption(archive, index, ZIP_EM_AES_256, password) == 0);
    return configured ? QString() : zip_strerror(archive);
}

// A file seen changing for the first time is read once more: the archive is written again.
void ZipArchive::State::ReadFailed(const QString &file, const ReadProblem &problem)
{
    writeFailure = QString("Cannot add %1 to %2: %3.").arg(file, archivePath, problem.reason);
    if (!problem.changed)
        return;
    if (changedOnce.contains(file)) {
        changingFiles.append(file);
    } else {
        changedOnce.insert(file);
        writeAgain = true;
    }
}

void ZipArchive::State::ForgetMembers()
{
    members.clear();
    memberByFoldedName.clear();
    pipeline.reset();
    writeAttempted = false;
}

// The sources tell what they read and wrote of their files, and libzip asks between its own
// chunks: each time the bar may move, and the write may stop.
bool ZipArchive::State::Progressed(quint64 compressed, quint64 written)
{
    bytesCompressedHere += compressed;
    bytesWritten += written;
    ReportWrite();
    stopped = stopped || StopAsked();
    return !stopped;
}

void ZipArchive::State::ReportWrite()
{
    if (bytesToWrite == 0)
        return;
    const quint64 done = (pipeline ? pipeline->CompressedBytes() : 0) + bytesCompressedHere + bytesWritten;
    const double share = std::min(1.0, double(done) / double(bytesToWrite));
    if (share - lastShare < kProgressPrecision)
        return;
    lastShare = share;
    Report(share);
}

int ZipArchive::State::CancelWhenStopped(zip_t *, void *state)
{
    return static_cast<State *>(state)->Progressed(0, 0) ? 0 : 1;
}

#include "ZipWriterState.h"

#include "ArchiveFileTarget.h"
#include "ContentRecord.h"
#include "PrecompressedSource.h"
#include "StreamedFileSource.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Level 6 trades little size for much time against libzip's default of 9.
constexpr zip_uint32_t DeflateLevel = 6;

// The file's size, or why it cannot be archived.
Outcome<qint64> CheckReadable(const QString &filePath)
{
    MemberFile file;
    const ReadOutcome opened = file.Open(filePath);
    return opened ? Outcome<qint64>::success(file.Size()) : Outcome<qint64>::failure(opened.error().reason);
}

} // namespace

ZipWriter::ZipWriter(const QString &archivePath) : d(std::make_unique<State>(archivePath)) {}

ZipWriter::~ZipWriter() = default;

void ZipWriter::SetProgressHandler(ProgressHandler handler) { d->progress.SetHandler(std::move(handler)); }

void ZipWriter::SetStopCheck(StopCheck check) { d->stopCheck = std::move(check); }

void ZipWriter::ReuseEntriesOf(const QString &earlierArchive)
{
    d->earlier = std::make_shared<EarlierEntries>(earlierArchive);
    const Outcome<void> &readable = d->earlier->Readable();
    d->reuse = {earlierArchive, readable ? QString() : readable.error(), 0, {}};
    if (!readable)
        d->earlier.reset();
}

const EarlierArchiveUse &ZipWriter::Reuse() const { return d->reuse; }

void ZipWriter::Protect(const QString &password) { d->password = password.toUtf8(); }

void ZipWriter::SetComment(const QString &comment) { d->comment = comment.toUtf8().left(kLongestComment); }

void ZipWriter::SetFolderPrefix(const QString &folder)
{
    // Built once: a project sets the prefix for each of its thousands of members.
    static const QRegularExpression separators(QStringLiteral(R"([\\/])"));
    d->prefix = folder.split(separators, Qt::SkipEmptyParts).join('/');
}

void ZipWriter::KeepOnlyIf(KeepDecision decide) { d->keepOnlyIf = std::move(decide); }

Outcome<void> ZipWriter::AddMemberFile(const QString &filePath, const QString &entryFileName, Content content)
{
    const Outcome<qint64> size = CheckReadable(filePath);
    if (!size)
        return Outcome<void>::failure(QString("Cannot add %1: %2.").arg(filePath, size.error()));
    const QString name = entryFileName.isEmpty() ? QFileInfo(filePath).fileName() : entryFileName;
    const QString entryName = d->prefix.isEmpty() ? name : d->prefix + '/' + name;
    if (const Outcome<void> taken = d->TakeName(entryName); !taken)
        return taken;
    const std::optional<size_t> deflated = d->StartDeflating(filePath, size.value(), entryName, d->password, content);
    d->members.push_back({entryName, filePath, d->password, content, deflated, {}, size.value()});
    return Outcome<void>::success();
}

Outcome<void> ZipWriter::AddMemberData(const QByteArray &content, const QString &entryFileName)
{
    const QString entryName = d->prefix.isEmpty() ? entryFileName : d->prefix + '/' + entryFileName;
    if (const Outcome<void> taken = d->TakeName(entryName); !taken)
        return taken;
    d->members.push_back({entryName, QString(), d->password, Content::AsIs, std::nullopt, content, 0});
    return Outcome<void>::success();
}

Outcome<void> ZipWriter::State::TakeName(const QString &entryName)
{
    const QString folded = entryName.toCaseFolded();
    if (foldedNames.contains(folded))
        return Outcome<void>::failure(
            QString("Cannot add %1 to %2: it has an entry of that name already.").arg(entryName, archivePath));
    foldedNames.insert(folded);
    return Outcome<void>::success();
}

// Files of ordinary size are deflated on every core from the moment they are added, while the
// caller goes on reading its project; at the write, libzip copies them as they are. Larger files are
// read while libzip compresses them, a chunk at a time, their line ends converted on the way.
std::optional<size_t> ZipWriter::State::StartDeflating(const QString &filePath, qint64 size, const QString &entryName,
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
Outcome<ZipWriter::Written> ZipWriter::Write()
{
    if (d->members.empty())
        return Outcome<Written>::failure(
            QString("Nothing was added to %1, so it was not written.").arg(d->archivePath));
    d->changingFiles.clear();
    Outcome<bool> written = d->WriteOnce();
    while (!written && d->writeAgain)
        written = d->WriteOnce();
    if (!written)
        return Outcome<Written>::failure(written.error());
    if (!written.value())
        return Outcome<Written>::success(Written::Stopped);
    // The last report may fall short of the end by less than the precision.
    d->progress.Report(1.0);
    if (d->pipeline) {
        d->reuse.Reused = d->pipeline->ReusedCount();
        d->reuse.Damaged = d->pipeline->EarlierDamage();
    }
    d->members.clear();
    d->foldedNames.clear();
    d->pipeline.reset();
    d->writeAttempted = false;
    return d->Publish();
}

// The written archive either goes, when the caller does not want it, or takes its name.
Outcome<ZipWriter::Written> ZipWriter::State::Publish()
{
    TemporaryPath archive = std::move(*written);
    written.reset();
    if (keepOnlyIf && !keepOnlyIf(archive.Path()))
        return Outcome<Written>::success(Written::Dropped);
    if (const Outcome<void> published = archive.Publish(archivePath); !published)
        return Outcome<Written>::failure(
            QString("Cannot write the archive %1: %2.").arg(archivePath, published.error()));
    return Outcome<Written>::success(Written::Published);
}

QStringList ZipWriter::ChangingFiles() const { return d->changingFiles; }

void ZipWriter::LeaveOut(const QString &filePath)
{
    const auto leftOut = [&filePath](const State::Member &member) { return member.filePath == filePath; };
    for (const State::Member &member : d->members) {
        if (leftOut(member)) {
            if (member.deflated)
                d->pipeline->Discard(*member.deflated);
            d->foldedNames.remove(member.entryName.toCaseFolded());
        }
    }
    std::erase_if(d->members, leftOut);
}

// The archive is written to a temporary file beside it (ArchiveFileTarget), kept in written for
// Write to publish; nothing is opened before there is something to write. A write after one that
// failed finds the pipeline's results taken: every file goes to a new pipeline.
Outcome<bool> ZipWriter::State::WriteOnce()
{
    const auto failed = [](const QString &reason) { return Outcome<bool>::failure(reason); };
    if (writeAttempted)
        RestartDeflating();
    writeAttempted = true;
    writeAgain = false;
    writeFailure.clear();
    stopped = false;
    progress.Start();
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
        return failed(QString("Cannot create the archive %1: %2.").arg(archivePath, problem));
    }
    zip_error_fini(&error);
    for (const Member &member : members) {
        if (const Outcome<void> added = AddEntry(archive, member); !added) {
            zip_discard(archive);
            return failed(
                QString("Cannot add %1 to %2: %3.")
                    .arg(member.filePath.isEmpty() ? member.entryName : member.filePath, archivePath, added.error()));
        }
    }
    if (!comment.isEmpty()
        && zip_set_archive_comment(archive, comment.constData(), zip_uint16_t(comment.size())) != 0) {
        const QString problem = zip_strerror(archive);
        zip_discard(archive);
        return failed(QString("Cannot comment the archive %1: %2.").arg(archivePath, problem));
    }
    zip_register_cancel_callback_with_state(archive, CancelWhenStopped, nullptr, this);
    if (zip_close(archive) != 0) {
        const QString problem =
            !writeFailure.isEmpty() ? writeFailure
            : !file.failure.isEmpty()
                ? QString("Cannot write the archive %1: %2.").arg(archivePath, file.failure)
                : QString("Cannot write the archive %1: %2.").arg(archivePath, zip_strerror(archive));
        zip_discard(archive);
        return stopped ? Outcome<bool>::success(false) : failed(problem);
    }
    if (!file.written)
        return failed(QString("Cannot write the archive %1: it was never completed.").arg(archivePath));
    if (const Outcome<void> recorded = ContentRecord::AddToArchive(file.written->Path(), RecordFields()); !recorded)
        return failed(QString("Cannot write the archive %1: %2.").arg(archivePath, recorded.error()));
    written = std::move(file.written);
    return Outcome<bool>::success(true);
}

// The content records of the entries just written, by their names as stored.
QHash<QByteArray, QByteArray> ZipWriter::State::RecordFields() const
{
    QHash<QByteArray, QByteArray> fields;
    for (const Member &member : members) {
        if (member.deflated && !member.password.isEmpty())
            fields.insert(member.entryName.toUtf8(), pipeline->RecordField(*member.deflated));
    }
    return fields;
}

void ZipWriter::State::RestartDeflating()
{
    pipeline.reset();
    for (Member &member : members) {
        if (member.filePath.isEmpty())
            continue;
        // One that cannot be read now fails where it is read, naming itself.
        member.size = CheckReadable(member.filePath).value_or(0);
        member.deflated =
            StartDeflating(member.filePath, member.size, member.entryName, member.password, member.content);
    }
}

// libzip names no file when one fails while the archive is written: each source tells its failure
// here, where its file can still be named.
Outcome<void> ZipWriter::State::AddEntry(zip_t *archive, const Member &member)
{
    const auto libzipRefused = [archive] { return Outcome<void>::failure(zip_strerror(archive)); };
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
        return libzipRefused();
    const zip_int64_t index = zip_file_add(archive, member.entryName.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return libzipRefused();
    }
    // A source deflated and encrypted ahead keeps the default method and gets no password, so that
    // libzip takes its data as it is and only marks the entry as encrypted.
    const char *secret = precompressed ? nullptr : member.password.constData();
    const bool configured =
        (precompressed || zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, DeflateLevel) == 0)
        && (member.password.isEmpty() || zip_file_set_encryption(archive, index, ZIP_EM_AES_256, secret) == 0);
    return configured ? Outcome<void>::success() : libzipRefused();
}

// A file seen changing for the first time is read once more: the archive is written again.
void ZipWriter::State::ReadFailed(const QString &file, const ReadProblem &problem)
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

// The sources tell what they read and wrote of their files, and libzip asks between its own
// chunks: each time the bar may move, and the write may stop.
bool ZipWriter::State::Progressed(quint64 compressed, quint64 written)
{
    bytesCompressedHere += compressed;
    bytesWritten += written;
    if (bytesToWrite > 0) {
        const quint64 done = (pipeline ? pipeline->CompressedBytes() : 0) + bytesCompressedHere + bytesWritten;
        progress.ReportMoved(std::min(1.0, double(done) / double(bytesToWrite)));
    }
    stopped = stopped || (stopCheck && stopCheck());
    return !stopped;
}

int ZipWriter::State::CancelWhenStopped(zip_t *, void *state)
{
    return static_cast<State *>(state)->Progressed(0, 0) ? 0 : 1;
}

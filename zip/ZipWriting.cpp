#include "ZipArchiveState.h"
#include "ArchiveFileTarget.h"
#include "PrecompressedSource.h"
#include "RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Level 6 trades little size for much time against libzip's default of 9.
constexpr zip_uint32_t DeflateLevel = 6;

// Why the file cannot be archived (empty when it can), and its size.
OpenedFile CheckReadable(const QString &filePath)
{
    OpenedFile file = OpenRegularFile(filePath);
    if (file.descriptor >= 0)
        ::close(file.descriptor);
    return file;
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
    return 1;
}

void ZipArchive::KeepOnlyIf(KeepDecision decide) { d->keepOnlyIf = std::move(decide); }

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
    const OpenedFile check = CheckReadable(filePath);
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
    d->members.push_back({entryName, QString(), d->protect ? d->password : QByteArray(), std::nullopt, content});
    return 1;
}

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
        member.deflated = deflated;
        return;
    }
    memberByFoldedName.insert(key, members.size());
    members.push_back({entryName, filePath, secret, deflated, {}});
}

// Files of ordinary size are deflated on every core from the moment they are added, while the
// caller goes on reading its project; at the write, libzip copies them as they are. The workers are
// the only place where line ends are converted, so a file to convert goes to them whatever its
// size: libzip's own compression would store it as it is (such large text files are rare, and one
// held whole in memory costs less than a second way of converting).
std::optional<size_t> ZipArchive::State::StartDeflating(const QString &filePath, qint64 size, const QString &entryName,
                                                        const QByteArray &secret, Content content)
{
    if (size > DeflatePipeline::kLargestFile && content == Content::AsIs)
        return std::nullopt;
    if (!pipeline)
        pipeline = std::make_unique<DeflatePipeline>(earlier);
    return pipeline->Add(filePath, size, secret, content, entryName);
}

// The archive is written through a temporary file renamed only on success (ArchiveFileTarget);
// nothing is opened before there is something to write.
int ZipArchive::WriteAndClose()
{
    if (d->members.empty())
        return d->Fail(0, QString("Nothing was added to %1, so it was not written.").arg(d->archivePath));
    zip_error_t error;
    zip_error_init(&error);
    ArchiveFileOutcome file;
    zip_source_t *target = CreateArchiveFileTarget(d->archivePath, file, &error);
    zip_t *archive = target ? zip_open_from_source(target, ZIP_CREATE | ZIP_TRUNCATE, &error) : nullptr;
    if (!archive) {
        if (target)
            zip_source_free(target);
        const QString problem = State::LibzipText(&error);
        zip_error_fini(&error);
        return d->Fail(0, QString("Cannot create the archive %1: %2.").arg(d->archivePath, problem));
    }
    zip_error_fini(&error);
    for (const State::Member &member : d->members) {
        if (const QString problem = d->AddEntry(archive, member); !problem.isEmpty()) {
            zip_discard(archive);
            return d->Fail(0, QString("Cannot add %1 to %2: %3.").arg(member.filePath, d->archivePath, problem));
        }
    }
    if (!d->comment.isEmpty()
        && zip_set_archive_comment(archive, d->comment.constData(), zip_uint16_t(d->comment.size())) != 0) {
        const QString problem = zip_strerror(archive);
        zip_discard(archive);
        return d->Fail(0, QString("Cannot comment the archive %1: %2.").arg(d->archivePath, problem));
    }
    zip_register_progress_callback_with_state(archive, State::kProgressPrecision, State::ReportProgress, nullptr,
                                              d.get());
    d->writeFailure.clear();
    if (zip_close(archive) != 0) {
        d->error = !d->writeFailure.isEmpty() ? d->writeFailure
                   : !file.failure.isEmpty()
                       ? QString("Cannot write the archive %1: %2.").arg(d->archivePath, file.failure)
                       : QString("Cannot write the archive %1: %2.").arg(d->archivePath, zip_strerror(archive));
        zip_discard(archive);
        return 0;
    }
    // libzip leaves out its last report when it is closer than the precision to the one before.
    d->Report(1.0);
    if (d->pipeline) {
        d->reuse.reused = d->pipeline->ReusedCount();
        d->reuse.damaged = d->pipeline->EarlierDamage();
    }
    d->ForgetMembers();
    if (!file.written)
        return d->Fail(0, QString("Cannot write the archive %1: it was never completed.").arg(d->archivePath));
    return d->Publish(*file.written);
}

// The written archive either goes, when the caller does not want it, or takes its name.
int ZipArchive::State::Publish(TemporaryPath &written)
{
    if (keepOnlyIf && !keepOnlyIf(written.Path()))
        return NotKept;
    if (const Outcome<void> published = written.Publish(archivePath); !published)
        return Fail(0, QString("Cannot write the archive %1: %2.").arg(archivePath, published.error()));
    return 1;
}

// libzip names no file when one fails while the archive is written: a file it reads itself is
// checked again here, where its name can still be given; one the pipeline read names itself.
QString ZipArchive::State::AddEntry(zip_t *archive, const Member &member)
{
    const std::optional<size_t> precompressed = member.deflated;
    const bool inMemory = member.filePath.isEmpty();
    if (!precompressed && !inMemory) {
        if (const QString problem = CheckReadable(member.filePath).problem; !problem.isEmpty())
            return problem;
    }
    const auto failed = [this, file = member.filePath](const QString &reason) {
        writeFailure = QString("Cannot add %1 to %2: %3.").arg(file, archivePath, reason);
    };
    zip_source_t *source =
        precompressed ? CreatePrecompressedSource(
            archive, *pipeline, *precompressed, [this] { Report(lastShare); }, failed)
        : inMemory ? zip_source_buffer(archive, member.data.constData(), zip_uint64_t(member.data.size()), 0)
                   : zip_source_file(archive, QFile::encodeName(member.filePath).constData(), 0, 0);
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

void ZipArchive::State::ForgetMembers()
{
    members.clear();
    memberByFoldedName.clear();
    pipeline.reset();
}

void ZipArchive::State::ReportProgress(zip_t *, double share, void *state)
{
    auto *self = static_cast<State *>(state);
    self->lastShare = share;
    self->Report(share);
}

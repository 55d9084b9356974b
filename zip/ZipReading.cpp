#include "ZipReaderState.h"

#include "RegularFile.h"

#include <QFile>
#include <algorithm>
#include <limits>
#include <unistd.h>

namespace {

using EntryReader = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;

bool IsFolderName(const QString &name) { return name.endsWith('/') || name.endsWith('\\'); }

ZipFailure::Kind FailureKind(zip_error_t *error)
{
    return zip_error_code_zip(error) == ZIP_ER_WRONGPASSWD ? ZipFailure::Kind::WrongPassword : ZipFailure::Kind::Failed;
}

} // namespace

Outcome<ZipReader> ZipReader::Open(const QString &archivePath)
{
    const Outcome<OpenedFile> file = OpenRegularFile(archivePath);
    if (!file)
        return Outcome<ZipReader>::failure(QString("Cannot open the archive %1: %2.").arg(archivePath, file.error()));
    int code = 0;
    zip_t *archive = zip_fdopen(file.value().descriptor, 0, &code);
    if (!archive) {
        ::close(file.value().descriptor);
        return Outcome<ZipReader>::failure(
            QString("Cannot open the archive %1: %2.").arg(archivePath, LibzipText(code)));
    }
    return Outcome<ZipReader>::success(ZipReader(std::make_unique<State>(archivePath, archive)));
}

ZipReader::ZipReader(std::unique_ptr<State> state) : d(std::move(state)) {}
ZipReader::ZipReader(ZipReader &&other) noexcept = default;
ZipReader &ZipReader::operator=(ZipReader &&other) noexcept = default;
ZipReader::~ZipReader() = default;

ZipReader::State::~State() { zip_discard(reader); }

void ZipReader::SetProgressHandler(ProgressHandler handler) { d->progress.SetHandler(std::move(handler)); }

void ZipReader::SetStopCheck(StopCheck check) { d->stopCheck = std::move(check); }

Outcome<std::vector<ZipReader::EntrySummary>> ZipReader::Entries() const
{
    const Outcome<std::vector<State::Entry>> entries = d->List();
    if (!entries)
        return Outcome<std::vector<EntrySummary>>::failure(entries.error());
    std::vector<EntrySummary> summaries;
    for (const State::Entry &entry : entries.value())
        summaries.push_back({entry.name, entry.size, entry.crc, entry.encrypted()});
    return Outcome<std::vector<EntrySummary>>::success(summaries);
}

QString ZipReader::Comment() const
{
    int length = 0;
    const char *comment = zip_get_archive_comment(d->reader, &length, ZIP_FL_ENC_RAW);
    return comment ? QString::fromUtf8(comment, length) : QString();
}

Outcome<QByteArray> ZipReader::ReadEntry(const QString &name, const QString &password, qint64 largest)
{
    using Read = Outcome<QByteArray>;
    const zip_int64_t index = zip_name_locate(d->reader, name.toUtf8().constData(), 0);
    if (index < 0)
        return Read::failure(QString("%1 holds no entry %2.").arg(d->archivePath, name));
    const Outcome<State::Entry> entry = d->Describe(zip_uint64_t(index));
    if (!entry)
        return Read::failure(entry.error());
    if (!entry.value().readable())
        return Read::failure(QString("%1 is encrypted in a way that cannot be read here.").arg(name));
    if (entry.value().size > quint64(largest))
        return Read::failure(QString("%1 is too large to be read here.").arg(name));
    QByteArray content;
    const auto keep = [&content](const char *data, zip_int64_t size) {
        content.append(data, size);
        return QString();
    };
    if (const State::Failure read = d->ReadThrough(entry.value(), password.toUtf8(), name, keep); !read)
        return Read::failure(read.error().reason);
    return Read::success(content);
}

// Every entry is read to its end, as extracting would, but nothing is written. A wrong password
// is told only while no protected entry has opened: after one has, a refusal is damage.
Outcome<QStringList, ZipFailure> ZipReader::Check(const QString &password)
{
    using Checked = Outcome<QStringList, ZipFailure>;
    const Outcome<std::vector<State::Entry>> listed = d->List();
    if (!listed)
        return Checked::failure({ZipFailure::Kind::Failed, listed.error()});
    const std::vector<State::Entry> &entries = listed.value();
    const QByteArray secret = password.toUtf8();
    const auto discard = [](const char *, zip_int64_t) { return QString(); };
    bool passwordWorked = false;
    QStringList problems;
    d->StartReading(entries);
    for (const State::Entry &entry : entries) {
        if (const QString reason = d->RefusalReason(entry); !reason.isEmpty())
            problems.append(QString("Its entry \"%1\" %2, so it cannot be extracted.").arg(entry.name, reason));
        if (entry.encrypted() && secret.isEmpty())
            return Checked::failure({ZipFailure::Kind::NeedsPassword,
                                     QString("%1 is protected: a password is needed.").arg(d->archivePath)});
        if (!entry.readable()) {
            problems.append(
                QString("Its entry \"%1\" is encrypted in a way that cannot be read here.").arg(entry.name));
        } else if (!entry.isFolder) {
            const State::Failure read = d->ReadThrough(entry, secret, entry.name, discard);
            const bool wrongPassword = !read && read.error().kind == ZipFailure::Kind::WrongPassword && !passwordWorked;
            if (wrongPassword || (!read && read.error().kind == ZipFailure::Kind::Stopped))
                return Checked::failure(read.error());
            if (!read)
                problems.append(read.error().reason);
            passwordWorked = passwordWorked || (entry.encrypted() && read);
        }
    }
    d->progress.Report(1.0);
    if (const QString clash = State::NameClash(entries); !clash.isEmpty())
        problems.append(QString("%1 in it.").arg(clash));
    return Checked::success(problems);
}

Outcome<std::vector<ZipReader::State::Entry>> ZipReader::State::List() const
{
    std::vector<Entry> entries;
    const zip_int64_t count = zip_get_num_entries(reader, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        Outcome<Entry> entry = Describe(zip_uint64_t(index));
        if (!entry)
            return Outcome<std::vector<Entry>>::failure(entry.error());
        entries.push_back(std::move(entry).value());
    }
    return Outcome<std::vector<Entry>>::success(std::move(entries));
}

std::optional<quint64> ZipReader::State::DeclaredTotal(const std::vector<Entry> &entries)
{
    quint64 total = 0;
    for (const Entry &entry : entries) {
        if (__builtin_add_overflow(total, entry.size, &total))
            return std::nullopt;
    }
    return total;
}

Outcome<ZipReader::State::Entry> ZipReader::State::Describe(zip_uint64_t index) const
{
    zip_stat_t info;
    if (zip_stat_index(reader, index, 0, &info) != 0)
        return Outcome<Entry>::failure(QString("Cannot read %1: %2.").arg(archivePath, zip_strerror(reader)));
    const QString name = QString::fromUtf8(info.name);
    return Outcome<Entry>::success({index, name, EntryNameParts(name), IsFolderName(name), info.mtime, info.size,
                                    info.encryption_method, info.crc});
}

// Reading reports by bytes, so that one large entry moves the bar too.
void ZipReader::State::StartReading(const std::vector<Entry> &entries)
{
    bytesToRead = DeclaredTotal(entries).value_or(std::numeric_limits<quint64>::max());
    bytesRead = 0;
    progress.Start();
}

void ZipReader::State::CountRead(quint64 bytes)
{
    bytesRead += bytes;
    progress.ReportMoved(bytesToRead == 0 ? 1.0 : std::min(1.0, double(bytesRead) / double(bytesToRead)));
}

// Decompresses the entry to its end, handing each piece to the sink, unless it is asked to stop;
// libzip checks the CRC at the end. An entry that grows beyond its declared size is stopped there:
// it would be a bomb or a forgery.
ZipReader::State::Failure ZipReader::State::ReadThrough(const Entry &entry, const QByteArray &password,
                                                        const QString &what, const ChunkSink &sink)
{
    const auto stopAsked = [this] { return stopCheck && stopCheck(); };
    const auto stopped = [this] {
        return Fail(ZipFailure::Kind::Stopped, QString("The reading of %1 was stopped.").arg(archivePath));
    };
    if (stopAsked())
        return stopped();
    const char *secret = password.isEmpty() ? nullptr : password.constData();
    const EntryReader source(zip_fopen_index_encrypted(reader, entry.index, 0, secret), zip_fclose);
    if (!source)
        return Fail(FailureKind(zip_get_error(reader)),
                    QString("Cannot extract %1: %2.").arg(what, LibzipText(zip_get_error(reader))));
    char buffer[64 * 1024];
    zip_int64_t count = 0;
    zip_uint64_t total = 0;
    while ((count = zip_fread(source.get(), buffer, sizeof buffer)) > 0) {
        total += zip_uint64_t(count);
        CountRead(quint64(count));
        if (total > entry.size)
            return Fail(ZipFailure::Kind::Failed, QString("Cannot extract %1: the archive says it holds %2 bytes, but "
                                                          "it holds more; the archive is damaged or forged.")
                                                      .arg(what)
                                                      .arg(entry.size));
        if (const QString problem = sink(buffer, count); !problem.isEmpty())
            return Fail(ZipFailure::Kind::Failed, problem);
        if (stopAsked())
            return stopped();
    }
    if (count < 0)
        return Fail(FailureKind(zip_file_get_error(source.get())),
                    QString("Cannot extract %1: %2.").arg(what, LibzipText(zip_file_get_error(source.get()))));
    if (total < entry.size)
        return Fail(ZipFailure::Kind::Failed,
                    QString("Cannot extract %1: the archive says it holds %2 bytes, but it holds %3.")
                        .arg(what)
                        .arg(entry.size)
                        .arg(total));
    return Failure::success();
}

#include "ZipArchiveState.h"
#include "RegularFile.h"

#include <QFile>
#include <algorithm>
#include <limits>
#include <unistd.h>

namespace {

using EntryReader = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;

bool IsFolderName(const QString &name) { return name.endsWith('/') || name.endsWith('\\'); }

int ExtractCode(zip_error_t *error)
{
    return zip_error_code_zip(error) == ZIP_ER_WRONGPASSWD ? ZipArchive::ExtractWrongPassword
                                                           : ZipArchive::ExtractFailed;
}

} // namespace

int ZipArchive::OpenExisting(const QString &archivePath)
{
    CloseArchive();
    d->archivePath = archivePath;
    const OpenedFile file = OpenRegularFile(archivePath);
    if (file.descriptor < 0)
        return d->Fail(0, QString("Cannot open the archive %1: %2.").arg(archivePath, file.problem));
    int code = 0;
    d->reader = zip_fdopen(file.descriptor, 0, &code);
    if (!d->reader) {
        ::close(file.descriptor);
        return d->Fail(0, QString("Cannot open the archive %1: %2.").arg(archivePath, State::LibzipText(code)));
    }
    return 1;
}

// Every entry is read to its end, as extracting would, but nothing is written. A wrong password
// is told only while no protected entry has opened: after one has, a refusal is damage.
int ZipArchive::TestAll(const QString &password)
{
    if (!d->reader)
        return d->Fail(0, "No archive is open to check.");
    std::vector<State::Entry> entries;
    if (d->List(entries) != 1)
        return 0;
    const QByteArray secret = password.toUtf8();
    const auto discard = [](const char *, zip_int64_t) { return QString(); };
    bool passwordWorked = false;
    QStringList problems;
    d->StartReading(entries);
    for (const State::Entry &entry : entries) {
        if (const QString reason = d->RefusalReason(entry); !reason.isEmpty())
            problems.append(QString("Its entry \"%1\" %2, so it cannot be extracted.").arg(entry.name, reason));
        if (entry.encrypted() && secret.isEmpty())
            return d->Fail(ExtractNeedsPassword, QString("%1 is protected: a password is needed.").arg(d->archivePath));
        if (!entry.readable()) {
            problems.append(
                QString("Its entry \"%1\" is encrypted in a way that cannot be read here.").arg(entry.name));
        } else if (!entry.isFolder) {
            const int read = d->ReadThrough(entry, secret, entry.name, discard);
            if (read == Stopped || (read == ExtractWrongPassword && !passwordWorked))
                return read;
            if (read != 1)
                problems.append(d->error);
            passwordWorked = passwordWorked || (entry.encrypted() && read == 1);
        }
    }
    d->Report(1.0);
    if (const QString clash = State::NameClash(entries); !clash.isEmpty())
        problems.append(QString("%1 in it.").arg(clash));
    d->error = problems.join('\n');
    return problems.isEmpty() ? 1 : 0;
}

QStringList ZipArchive::EntryNames()
{
    std::vector<State::Entry> entries;
    QStringList names;
    if (d->reader && d->List(entries) == 1) {
        for (const State::Entry &entry : entries)
            names.append(entry.name);
    }
    return names;
}

std::vector<ZipArchive::EntrySummary> ZipArchive::EntrySummaries()
{
    std::vector<State::Entry> entries;
    std::vector<EntrySummary> summaries;
    if (d->reader && d->List(entries) == 1) {
        for (const State::Entry &entry : entries)
            summaries.push_back({entry.name, entry.size, entry.crc, entry.encrypted()});
    }
    return summaries;
}

QString ZipArchive::ArchiveComment()
{
    int length = 0;
    const char *comment = d->reader ? zip_get_archive_comment(d->reader, &length, ZIP_FL_ENC_RAW) : nullptr;
    return comment ? QString::fromUtf8(comment, length) : QString();
}

std::optional<QByteArray> ZipArchive::ReadEntry(const QString &name, const QString &password, qint64 largest)
{
    const zip_int64_t index = d->reader ? zip_name_locate(d->reader, name.toUtf8().constData(), 0) : -1;
    if (index < 0) {
        d->error = QString("%1 holds no entry %2.").arg(d->archivePath, name);
        return std::nullopt;
    }
    State::Entry entry;
    if (d->Describe(zip_uint64_t(index), entry) != 1)
        return std::nullopt;
    if (!entry.readable()) {
        d->error = QString("%1 is encrypted in a way that cannot be read here.").arg(name);
        return std::nullopt;
    }
    if (entry.size > quint64(largest)) {
        d->error = QString("%1 is too large to be read here.").arg(name);
        return std::nullopt;
    }
    QByteArray content;
    const auto keep = [&content](const char *data, zip_int64_t size) {
        content.append(data, size);
        return QString();
    };
    if (d->ReadThrough(entry, password.toUtf8(), name, keep) != 1)
        return std::nullopt;
    return content;
}

void ZipArchive::CloseArchive()
{
    if (d->reader)
        zip_discard(d->reader);
    d->reader = nullptr;
}

int ZipArchive::State::List(std::vector<Entry> &entries)
{
    const zip_int64_t count = zip_get_num_entries(reader, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        entries.emplace_back();
        if (Describe(zip_uint64_t(index), entries.back()) != 1)
            return 0;
    }
    return 1;
}

std::optional<quint64> ZipArchive::State::DeclaredTotal(const std::vector<Entry> &entries)
{
    quint64 total = 0;
    for (const Entry &entry : entries) {
        if (__builtin_add_overflow(total, entry.size, &total))
            return std::nullopt;
    }
    return total;
}

int ZipArchive::State::Describe(zip_uint64_t index, Entry &entry)
{
    zip_stat_t info;
    if (zip_stat_index(reader, index, 0, &info) != 0)
        return Fail(0, QString("Cannot read %1: %2.").arg(archivePath, zip_strerror(reader)));
    const QString name = QString::fromUtf8(info.name);
    entry = {index,      name,      EntryNameParts(name),   IsFolderName(name),
             info.mtime, info.size, info.encryption_method, info.crc};
    return 1;
}

// Reading reports by bytes, so that one large entry moves the bar too.
void ZipArchive::State::StartReading(const std::vector<Entry> &entries)
{
    bytesToRead = DeclaredTotal(entries).value_or(std::numeric_limits<quint64>::max());
    bytesRead = 0;
    lastShare = 0;
}

void ZipArchive::State::CountRead(quint64 bytes)
{
    bytesRead += bytes;
    const double share = bytesToRead == 0 ? 1.0 : std::min(1.0, double(bytesRead) / double(bytesToRead));
    if (share - lastShare >= kProgressPrecision || share == 1.0) {
        lastShare = share;
        Report(share);
    }
}

// Decompresses the entry to its end, handing each piece to the sink, unless it is asked to stop;
// libzip checks the CRC at the end. An entry that grows beyond its declared size is stopped there:
// it would be a bomb or a forgery.
int ZipArchive::State::ReadThrough(const Entry &entry, const QByteArray &password, const QString &what,
                                   const ChunkSink &sink)
{
    const auto stopped = [this] { return Fail(Stopped, QString("The reading of %1 was stopped.").arg(archivePath)); };
    if (StopAsked())
        return stopped();
    const char *secret = password.isEmpty() ? nullptr : password.constData();
    const EntryReader source(zip_fopen_index_encrypted(reader, entry.index, 0, secret), zip_fclose);
    if (!source)
        return Fail(ExtractCode(zip_get_error(reader)),
                    QString("Cannot extract %1: %2.").arg(what, LibzipText(zip_get_error(reader))));
    char buffer[64 * 1024];
    zip_int64_t count = 0;
    zip_uint64_t total = 0;
    while ((count = zip_fread(source.get(), buffer, sizeof buffer)) > 0) {
        total += zip_uint64_t(count);
        CountRead(quint64(count));
        if (total > entry.size)
            return Fail(ExtractFailed, QString("Cannot extract %1: the archive says it holds %2 bytes, but it holds "
                                               "more; the archive is damaged or forged.")
                                           .arg(what)
                                           .arg(entry.size));
        if (const QString problem = sink(buffer, count); !problem.isEmpty())
            return Fail(ExtractFailed, problem);
        if (StopAsked())
            return stopped();
    }
    if (count < 0)
        return Fail(ExtractCode(zip_file_get_error(source.get())),
                    QString("Cannot extract %1: %2.").arg(what, LibzipText(zip_file_get_error(source.get()))));
    if (total < entry.size)
        return Fail(ExtractFailed, QString("Cannot extract %1: the archive says it holds %2 bytes, but it holds %3.")
                                       .arg(what)
                                       .arg(entry.size)
                                       .arg(total));
    return 1;
}

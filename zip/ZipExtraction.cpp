#include "ZipReaderState.h"

#include "Interruption.h"
#include "TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace {

// The bytes an unprivileged user may still write in the folder, or the nearest one above it that exists.
std::optional<quint64> FreeBytesAt(QString folder)
{
    while (!QFileInfo(folder).isDir() && folder != QFileInfo(folder).path())
        folder = QFileInfo(folder).path();
    struct statvfs disk;
    if (statvfs(QFile::encodeName(folder).constData(), &disk) != 0)
        return std::nullopt;
    return quint64(disk.f_bavail) * disk.f_frsize;
}

QString Megabytes(quint64 bytes) { return QString::number(double(bytes) / 1e6, 'f', 1) + " MB"; }

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The folder's own name when it is free, then "NAME (2)", "NAME (3)"...
QString FolderCandidate(const QString &folder, int number)
{
    return number == 1 ? folder : QStringLiteral("%1 (%2)").arg(folder).arg(number);
}

// Leaves errno set when it fails.
bool WriteAll(int descriptor, const char *data, zip_int64_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// A name made inside the temporary folder while an interruption cannot be removing it: one made
// after the removal had listed the folder would keep the folder from going. Gives errno's value
// when it fails, 0 otherwise.
int MakeWithoutInterruption(const std::function<int()> &make)
{
    int error = 0;
    Interruption::WithoutInterruption([&] { error = make() < 0 ? errno : 0; });
    return error;
}

// The descriptor of a folder or file opened for one entry, closed with it.
class Opened {
public:
    explicit Opened(int descriptor) : descriptor_(descriptor) {}
    ~Opened()
    {
        if (descriptor_ >= 0)
            ::close(descriptor_);
    }
    Opened(const Opened &) = delete;
    Opened &operator=(const Opened &) = delete;

    int get() const { return descriptor_; }
    // Closes it now, for the error a file system may report only then; gives errno's value or 0.
    int Close()
    {
        const int closed = ::close(std::exchange(descriptor_, -1));
        return closed == 0 ? 0 : errno;
    }

private:
    int descriptor_;
};

} // namespace

Outcome<ZipReader::Extraction, ZipFailure> ZipReader::ExtractAll(const QString &destinationFolder,
                                                                 const QString &password, DamagedEntries damaged,
                                                                 const EntryChoice &chosen)
{
    using Extracted = Outcome<Extraction, ZipFailure>;
    const auto failed = [this](const QString &reason) {
        return Extracted::failure(
            {ZipFailure::Kind::Failed, QString("%1; nothing was extracted from %2.").arg(reason, d->archivePath)});
    };
    d->leftOut.clear();
    const QByteArray secret = password.toUtf8();
    const Outcome<std::vector<State::Entry>> listed = d->List();
    if (!listed)
        return Extracted::failure({ZipFailure::Kind::Failed, listed.error()});
    if (const State::Failure verdict = d->Examine(!secret.isEmpty(), listed.value()); !verdict)
        return Extracted::failure(verdict.error());
    const std::vector<State::Entry> entries = State::Chosen(listed.value(), chosen);
    const QString destination = QFileInfo(QDir::cleanPath(destinationFolder)).absoluteFilePath();
    if (const Outcome<void> room = d->CheckRoom(entries, destination); !room)
        return Extracted::failure({ZipFailure::Kind::Failed, room.error()});
    d->extractionPlace = QFileInfo(destination).path();
    Outcome<TemporaryPath> made = TemporaryPath::NewFolder(d->extractionPlace);
    if (!made)
        return failed(made.error());
    TemporaryPath folder = std::move(made).value();
    d->StartReading(entries);
    int files = 0;
    for (const State::Entry &entry : entries) {
        const Outcome<bool, ZipFailure> written = d->ExtractEntry(entry, folder.Descriptor(), secret, damaged);
        if (!written)
            return Extracted::failure(written.error());
        files += written.value() ? 1 : 0;
    }
    const Outcome<QString> published =
        folder.PublishUnderFreeName([&destination](int number) { return FolderCandidate(destination, number); });
    if (!published)
        return failed(published.error());
    d->progress.Report(1.0);
    return Extracted::success({published.value(), files, d->leftOut});
}

std::vector<ZipReader::State::Entry> ZipReader::State::Chosen(const std::vector<Entry> &entries,
                                                              const EntryChoice &chosen)
{
    std::vector<Entry> taken;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(taken),
                 [&chosen](const Entry &entry) { return !chosen || chosen(entry.name); });
    return taken;
}

Outcome<void> ZipReader::CheckRoom(const QString &destinationFolder, const EntryChoice &chosen)
{
    const Outcome<std::vector<State::Entry>> entries = d->List();
    if (!entries)
        return Outcome<void>::failure(entries.error());
    return d->CheckRoom(State::Chosen(entries.value(), chosen), destinationFolder);
}

// Every entry is judged before anything is written, so a hostile archive leaves no trace.
ZipReader::State::Failure ZipReader::State::Examine(bool havePassword, const std::vector<Entry> &entries) const
{
    for (const Entry &entry : entries) {
        if (const QString reason = RefusalReason(entry); !reason.isEmpty())
            return Fail(
                ZipFailure::Kind::Refused,
                QString("Nothing was extracted from %1: its entry \"%2\" %3.").arg(archivePath, entry.name, reason));
        if (!entry.readable())
            return Fail(ZipFailure::Kind::Failed, QString("Nothing was extracted from %1: its entry \"%2\" is "
                                                          "encrypted in a way that cannot be read here.")
                                                      .arg(archivePath, entry.name));
        if (entry.encrypted() && !havePassword)
            return Fail(ZipFailure::Kind::NeedsPassword,
                        QString("%1 is protected: a password is needed.").arg(archivePath));
    }
    if (const QString clash = NameClash(entries); !clash.isEmpty())
        return Fail(ZipFailure::Kind::Refused,
                    QString("Nothing was extracted from %1: %2 in it.").arg(archivePath, clash));
    return Failure::success();
}

// An archive that would fill the disk is refused before anything is written; one whose entries
// grow beyond the sizes it declares is stopped while they are read (ReadThrough). The room is
// measured where the folder is made, beside its name: whatever has that name already is passed over.
Outcome<void> ZipReader::State::CheckRoom(const std::vector<Entry> &entries, const QString &destinationFolder) const
{
    const std::optional<quint64> needed = DeclaredTotal(entries);
    if (!needed)
        return Outcome<void>::failure(QString("Nothing was extracted from %1: the sizes its entries declare add up to "
                                              "more than any disk holds; the archive is damaged or forged.")
                                          .arg(archivePath));
    const QString place = QFileInfo(QDir::cleanPath(destinationFolder)).absolutePath();
    const std::optional<quint64> free = FreeBytesAt(place);
    if (!free || *needed <= *free)
        return Outcome<void>::success();
    return Outcome<void>::failure(
        QString("Nothing was extracted from %1: its files need %2, and only %3 are free in %4.")
            .arg(archivePath, Megabytes(*needed), Megabytes(*free), place));
}

Outcome<bool, ZipFailure> ZipReader::State::ExtractEntry(const Entry &entry, int root, const QByteArray &password,
                                                         DamagedEntries damaged)
{
    const QStringList folders = entry.isFolder ? entry.names : entry.names.mid(0, entry.names.size() - 1);
    const Outcome<int, ZipFailure> entered = EnterFolders(root, folders);
    if (!entered)
        return Outcome<bool, ZipFailure>::failure(entered.error());
    const Opened folder(entered.value());
    if (entry.isFolder)
        return Outcome<bool, ZipFailure>::success(false);
    return WriteEntry(entry, folder.get(), password, damaged);
}

// Each folder is made below the descriptor of the one above and opened without following a link,
// so nothing put in the temporary folder meanwhile can lead a file outside it. Gives the innermost
// folder's descriptor.
Outcome<int, ZipFailure> ZipReader::State::EnterFolders(int root, const QStringList &names) const
{
    const auto cannot = [this](const QString &what, int error) {
        return Outcome<int, ZipFailure>::failure({ZipFailure::Kind::Failed, CannotWriteText(what, error)});
    };
    int folder = ::fcntl(root, F_DUPFD_CLOEXEC, 0);
    if (folder < 0)
        return cannot(names.join('/'), errno);
    for (qsizetype depth = 0; depth < names.size(); ++depth) {
        const QByteArray name = QFile::encodeName(names[depth]);
        const int made = MakeWithoutInterruption(
            [&] { return ::mkdirat(folder, name.constData(), 0777) == 0 || errno == EEXIST ? 0 : -1; });
        const int next =
            made == 0 ? ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1;
        const int error = made != 0 ? made : errno;
        ::close(folder);
        folder = next;
        if (next < 0)
            return cannot(names.mid(0, depth + 1).join('/'), error);
    }
    return Outcome<int, ZipFailure>::success(folder);
}

// The file is created under its own name, never over anything, and filled as libzip reads the
// entry to its end and checks it. The folder is no one else's until it is published, so a partial
// file is never seen; a damaged entry's file is removed.
Outcome<bool, ZipFailure> ZipReader::State::WriteEntry(const Entry &entry, int folder, const QByteArray &password,
                                                       DamagedEntries damaged)
{
    using Written = Outcome<bool, ZipFailure>;
    const auto cannot = [&](int error) {
        return Written::failure({ZipFailure::Kind::Failed, CannotWriteText(entry.name, error)});
    };
    const QByteArray name = QFile::encodeName(entry.names.last());
    int descriptor = -1;
    if (const int error = MakeWithoutInterruption([&] {
            descriptor = ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            return descriptor;
        });
        error != 0)
        return cannot(error);
    Opened file(descriptor);
    int writeError = 0;
    const auto write = [&](const char *data, zip_int64_t size) {
        if (WriteAll(file.get(), data, size))
            return QString();
        writeError = errno;
        return CannotWriteText(entry.name, writeError);
    };
    const Failure read = ReadThrough(entry, password, entry.name, write);
    if (read) {
        const timespec times[2] = {{0, UTIME_OMIT}, {entry.modified, 0}};
        if (::futimens(file.get(), times) != 0)
            return cannot(errno);
        if (const int error = file.Close(); error != 0)
            return cannot(error);
        return Written::success(true);
    }
    if (writeError != 0 || damaged == DamagedEntries::StopTheExtraction
        || read.error().kind == ZipFailure::Kind::Stopped)
        return Written::failure(read.error());
    file.Close();
    ::unlinkat(folder, name.constData(), 0);
    leftOut.append(read.error().reason);
    return Written::success(false);
}

QString ZipReader::State::CannotWriteText(const QString &what, int error) const
{
    return QString("Nothing was extracted from %1: \"%2\" cannot be written in %3: %4.")
        .arg(archivePath, what, extractionPlace, SystemReason(error));
}

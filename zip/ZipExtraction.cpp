#include "ZipArchiveState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

int ZipArchive::ExtractAll(const QString &destinationFolder, const QString &password, DamagedEntries damaged)
{
    d->extractedFolder.clear();
    d->leftOut.clear();
    if (!d->reader)
        return d->Fail(ExtractFailed, "No archive is open to extract.");
    const QByteArray secret = password.toUtf8();
    std::vector<State::Entry> entries;
    if (const int verdict = d->Examine(!secret.isEmpty(), entries); verdict != 1)
        return verdict;
    const QString destination = QFileInfo(QDir::cleanPath(destinationFolder)).absoluteFilePath();
    if (const int room = d->CheckRoom(entries, destination); room != 1)
        return room;
    d->extractionPlace = QFileInfo(destination).path();
    Outcome<TemporaryPath> made = TemporaryPath::NewFolder(d->extractionPlace);
    if (!made)
        return d->Fail(ExtractFailed, QString("%1; nothing was extracted from %2.").arg(made.error(), d->archivePath));
    TemporaryPath folder = std::move(made).value();
    d->StartReading(entries);
    int files = 0;
    for (const State::Entry &entry : entries) {
        const int result = d->ExtractEntry(entry, folder.Descriptor(), secret, damaged);
        if (result < 0)
            return result;
        files += result;
    }
    const Outcome<QString> published =
        folder.PublishUnderFreeName([&destination](int number) { return FolderCandidate(destination, number); });
    if (!published)
        return d->Fail(ExtractFailed,
                       QString("%1; nothing was extracted from %2.").arg(published.error(), d->archivePath));
    d->extractedFolder = published.value();
    d->Report(1.0);
    return files;
}

QString ZipArchive::ExtractedFolder() const { return d->extractedFolder; }

QStringList ZipArchive::LeftOutEntries() const { return d->leftOut; }

int ZipArchive::CheckRoom(const QString &destinationFolder)
{
    std::vector<State::Entry> entries;
    if (!d->reader)
        return d->Fail(0, "No archive is open to check.");
    return d->List(entries) == 1 && d->CheckRoom(entries, destinationFolder) == 1 ? 1 : 0;
}

// Every entry is judged before anything is written, so a hostile archive leaves no trace.
int ZipArchive::State::Examine(bool havePassword, std::vector<Entry> &entries)
{
    if (List(entries) != 1)
        return ExtractFailed;
    for (const Entry &entry : entries) {
        if (const QString reason = RefusalReason(entry); !reason.isEmpty())
            return Fail(
                ExtractRefused,
                QString("Nothing was extracted from %1: its entry \"%2\" %3.").arg(archivePath, entry.name, reason));
        if (!entry.readable())
            return Fail(ExtractFailed, QString("Nothing was extracted from %1: its entry \"%2\" is encrypted in a way "
                                               "that cannot be read here.")
                                           .arg(archivePath, entry.name));
        if (entry.encrypted() && !havePassword)
            return Fail(ExtractNeedsPassword, QString("%1 is protected: a password is needed.").arg(archivePath));
    }
    if (const QString clash = NameClash(entries); !clash.isEmpty())
        return Fail(ExtractRefused, QString("Nothing was extracted from %1: %2 in it.").arg(archivePath, clash));
    return 1;
}

// An archive that would fill the disk is refused before anything is written; one whose entries
// grow beyond the sizes it declares is stopped while they are read (ReadThrough). The room is
// measured where the folder is made, beside its name: whatever has that name already is passed over.
int ZipArchive::State::CheckRoom(const std::vector<Entry> &entries, const QString &destinationFolder)
{
    const std::optional<quint64> needed = DeclaredTotal(entries);
    if (!needed)
        return Fail(ExtractFailed, QString("Nothing was extracted from %1: the sizes its entries declare add up to "
                                           "more than any disk holds; the archive is damaged or forged.")
                                       .arg(archivePath));
    const QString place = QFileInfo(QDir::cleanPath(destinationFolder)).absolutePath();
    const std::optional<quint64> free = FreeBytesAt(place);
    if (!free || *needed <= *free)
        return 1;
    return Fail(ExtractFailed, QString("Nothing was extracted from %1: its files need %2, and only %3 are free in %4.")
                                   .arg(archivePath, Megabytes(*needed), Megabytes(*free), place));
}

// Gives 1 for a file written, 0 for a folder or a damaged entry left out.
int ZipArchive::State::ExtractEntry(const Entry &entry, int root, const QByteArray &password, DamagedEntries damaged)
{
    const QStringList folders = entry.isFolder ? entry.names : entry.names.mid(0, entry.names.size() - 1);
    int descriptor = -1;
    if (const int entered = EnterFolders(root, folders, descriptor); entered != 1)
        return entered;
    const Opened folder(descriptor);
    if (entry.isFolder)
        return 0;
    return WriteEntry(entry, folder.get(), password, damaged);
}

// Each folder is made below the descriptor of the one above and opened without following a link,
// so nothing put in the temporary folder meanwhile can lead a file outside it.
int ZipArchive::State::EnterFolders(int root, const QStringList &names, int &folder)
{
    folder = ::fcntl(root, F_DUPFD_CLOEXEC, 0);
    if (folder < 0)
        return CannotWrite(names.join('/'), errno);
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
            return CannotWrite(names.mid(0, depth + 1).join('/'), error);
    }
    return 1;
}

// The file is created under its own name, never over anything, and filled as libzip reads the
// entry to its end and checks it. The folder is no one else's until it is published, so a partial
// file is never seen; a damaged entry's file is removed.
int ZipArchive::State::WriteEntry(const Entry &entry, int folder, const QByteArray &password, DamagedEntries damaged)
{
    const QByteArray name = QFile::encodeName(entry.names.last());
    int descriptor = -1;
    if (const int error = MakeWithoutInterruption([&] {
            descriptor = ::openat(folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            return descriptor;
        });
        error != 0)
        return CannotWrite(entry.name, error);
    Opened file(descriptor);
    int writeError = 0;
    const auto write = [&](const char *data, zip_int64_t size) {
        if (WriteAll(file.get(), data, size))
            return QString();
        writeError = errno;
        return CannotWriteText(entry.name, writeError);
    };
    const int read = ReadThrough(entry, password, entry.name, write);
    if (read == ZipArchive::Stopped)
        return read;
    if (read == 1) {
        const timespec times[2] = {{0, UTIME_OMIT}, {entry.modified, 0}};
        if (::futimens(file.get(), times) != 0)
            return CannotWrite(entry.name, errno);
        if (const int error = file.Close(); error != 0)
            return CannotWrite(entry.name, error);
        return 1;
    }
    if (writeError != 0 || damaged == DamagedEntries::StopTheExtraction)
        return read;
    file.Close();
    ::unlinkat(folder, name.constData(), 0);
    leftOut.append(error); // what ReadThrough found wrong
    return 0;
}

QString ZipArchive::State::CannotWriteText(const QString &what, int error) const
{
    return QString("Nothing was extracted from %1: \"%2\" cannot be written in %3: %4.")
        .arg(archivePath, what, extractionPlace, SystemReason(error));
}

int ZipArchive::State::CannotWrite(const QString &what, int error)
{
    return Fail(ExtractFailed, CannotWriteText(what, error));
}

#include "ZipArchiveState.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/statvfs.h>

namespace {

// The bytes an unprivileged user may still write where the folder is or would be created.
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

bool IsInside(const QString &root, const QString &path) { return path == root || path.startsWith(root + '/'); }

// The temporary file is private to its owner; an extracted file gets the usual permissions.
bool Finish(QFile &file, time_t modified)
{
    const bool finished =
        file.flush() && file.setFileTime(QDateTime::fromSecsSinceEpoch(modified), QFileDevice::FileModificationTime)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                               | QFileDevice::ReadOther);
    file.close();
    return finished;
}

} // namespace

int ZipArchive::ExtractAll(const QString &destinationFolder, const QString &password)
{
    if (!d->reader)
        return d->Fail(ExtractFailed, "No archive is open to extract.");
    const QByteArray secret = password.toUtf8();
    std::vector<State::Entry> entries;
    if (const int verdict = d->Examine(!secret.isEmpty(), entries); verdict != 1)
        return verdict;
    if (const int room = d->CheckRoom(entries, destinationFolder); room != 1)
        return room;
    if (!QDir().mkpath(destinationFolder))
        return d->Fail(ExtractFailed, QString("Cannot create the folder %1.").arg(destinationFolder));
    const QString root = QFileInfo(destinationFolder).canonicalFilePath();
    d->StartReading(entries);
    int files = 0;
    for (const State::Entry &entry : entries) {
        const int result = d->ExtractEntry(entry, root, secret);
        if (result < 0)
            return result;
        files += result;
    }
    d->Report(1.0);
    return files;
}

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
// grow beyond the sizes it declares is stopped while they are read (ReadThrough).
int ZipArchive::State::CheckRoom(const std::vector<Entry> &entries, const QString &destinationFolder)
{
    const std::optional<quint64> needed = DeclaredTotal(entries);
    if (!needed)
        return Fail(ExtractFailed, QString("Nothing was extracted from %1: the sizes its entries declare add up to "
                                           "more than any disk holds; the archive is damaged or forged.")
                                       .arg(archivePath));
    const std::optional<quint64> free = FreeBytesAt(destinationFolder);
    if (!free || *needed <= *free)
        return 1;
    return Fail(ExtractFailed, QString("Nothing was extracted from %1: its files need %2, and only %3 are free in %4.")
                                   .arg(archivePath, Megabytes(*needed), Megabytes(*free), destinationFolder));
}

// Gives 1 for a file written, 0 for a folder.
int ZipArchive::State::ExtractEntry(const Entry &entry, const QString &root, const QByteArray &password)
{
    const QStringList folders = entry.isFolder ? entry.names : entry.names.mid(0, entry.names.size() - 1);
    QString folder;
    if (const int entered = EnterFolders(root, folders, folder); entered != 1)
        return entered;
    if (entry.isFolder)
        return 0;
    return WriteEntry(entry, folder + '/' + entry.names.last(), password);
}

// Folders are made one at a time and resolved as they go, so that a symbolic link already
// inside the destination can only lead to another place inside it.
int ZipArchive::State::EnterFolders(const QString &root, const QStringList &names, QString &folder)
{
    folder = root;
    for (const QString &name : names) {
        const QString next = folder + '/' + name;
        if (!QFileInfo(next).isDir() && !QDir().mkdir(next))
            return Fail(ExtractFailed, QString("Cannot create the folder %1.").arg(next));
        folder = QFileInfo(next).canonicalFilePath();
        if (!IsInside(root, folder))
            return Fail(ExtractRefused, QString("%1 leads outside %2, nothing was written there.").arg(next, root));
    }
    return 1;
}

// The content goes to a temporary file renamed over the final name only after libzip has
// read the entry to its end and checked it, so a wrong password or a damaged entry never
// leaves wrong content under that name.
int ZipArchive::State::WriteEntry(const Entry &entry, const QString &target, const QByteArray &password)
{
    QTemporaryFile temporary(target + ".XXXXXX");
    if (!temporary.open())
        return Fail(ExtractFailed, QString("Cannot write %1: %2.").arg(target, temporary.errorString()));
    const auto write = [&](const char *data, zip_int64_t size) {
        return temporary.write(data, size) == size
                   ? QString()
                   : QString("Cannot write %1: %2.").arg(target, temporary.errorString());
    };
    if (const int read = ReadThrough(entry, password, target, write); read != 1)
        return read;
    if (!Finish(temporary, entry.modified))
        return Fail(ExtractFailed, QString("Cannot write %1: %2.").arg(target, temporary.errorString()));
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
        return Fail(ExtractFailed, QString("Cannot write %1: %2.").arg(target, std::strerror(errno)));
    temporary.setAutoRemove(false);
    return 1;
}

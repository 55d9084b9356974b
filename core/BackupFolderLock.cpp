#include "BackupFolderLock.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Short enough that a request to stop is seen at once.
constexpr unsigned long kPollMilliseconds = 50;

} // namespace

Outcome<BackupFolderLock> BackupFolderLock::Hold(const QString &folder, ArchiveObserver &observer)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".quenzar.lock")));
    int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    // A folder that cannot be written still holds its lock file, when an earlier run made it: the
    // run goes on, and fails with the system's reason where it writes.
    if (descriptor < 0 && (errno == EROFS || errno == EACCES))
        descriptor = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0)
        return Outcome<BackupFolderLock>::failure(QStringLiteral("Cannot lock the backup folder %1: %2")
                                                      .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    bool told = false;
    while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            ::close(descriptor);
            return Outcome<BackupFolderLock>::failure(
                QStringLiteral("Cannot lock the backup folder %1: %2").arg(folder, reason));
        }
        if (!told)
            observer.WaitingForFolder(folder);
        told = true;
        if (observer.StopRequested()) {
            ::close(descriptor);
            return Outcome<BackupFolderLock>::failure(
                QStringLiteral("The wait for the backup folder %1 was stopped.").arg(folder));
        }
        QThread::msleep(kPollMilliseconds);
    }
    return Outcome<BackupFolderLock>::success(BackupFolderLock(descriptor));
}

BackupFolderLock::BackupFolderLock(BackupFolderLock &&other) noexcept : descriptor_(other.descriptor_)
{
    other.descriptor_ = -1;
}

BackupFolderLock &BackupFolderLock::operator=(BackupFolderLock &&other) noexcept
{
    std::swap(descriptor_, other.descriptor_);
    return *this;
}

BackupFolderLock::~BackupFolderLock()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

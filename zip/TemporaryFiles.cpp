#include "TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPrefix = QStringLiteral(".quenzar-");
const QString kSuffix = QStringLiteral(".tmp");

// A maker locks its file or folder right after making it; one found unlocked that was made this
// recently may be a maker's between the two steps, not a dead one.
constexpr int kYoungestLeftoverSeconds = 2;

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString RandomName()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString name = kPrefix;
    for (int i = 0; i < 6; ++i)
        name += QChar(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))]);
    return name + kSuffix;
}

bool Locked(int descriptor) { return ::flock(descriptor, LOCK_EX | LOCK_NB) != 0; }

// Gives the path its new name unless something has that name already (EEXIST). File systems
// without an atomic "no replace" get the nearest: a hard link for a file, an empty folder claimed
// first for a folder.
int RenameWithoutReplacing(const QByteArray &from, const QByteArray &to, bool folder)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (!folder) {
        if (::link(from.constData(), to.constData()) != 0)
            return errno;
        ::unlink(from.constData());
        return 0;
    }
    if (::mkdir(to.constData(), 0700) != 0)
        return errno;
    if (::rename(from.constData(), to.constData()) == 0)
        return 0;
    const int error = errno;
    ::rmdir(to.constData()); // the empty folder claimed for it
    return error;
}

} // namespace

Outcome<void> SyncFolder(const QString &folder)
{
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return Outcome<void>::failure(QStringLiteral("Cannot sync the folder %1: %2").arg(folder, SystemReason(errno)));
    const int synced = ::fsync(descriptor) == 0 ? 0 : errno;
    ::close(descriptor);
    if (synced != 0)
        return Outcome<void>::failure(
            QStringLiteral("Cannot sync the folder %1: %2").arg(folder, SystemReason(synced)));
    return Outcome<void>::success();
}

TemporaryPath::TemporaryPath(Kind kind, QString path, int descriptor)
    : kind_(kind), path_(std::move(path)), descriptor_(descriptor),
      registration_(path_, kind == Kind::File ? Interruption::Removal::File : Interruption::Removal::Tree)
{
}

Outcome<TemporaryPath> TemporaryPath::NewFile(const QString &folder) { return Create(Kind::File, folder); }

Outcome<TemporaryPath> TemporaryPath::NewFolder(const QString &folder) { return Create(Kind::Folder, folder); }

// The name is registered for removal before it exists and locked at once, so that neither an
// interruption nor a later run's clean-up can find it unaccounted for.
Outcome<TemporaryPath> TemporaryPath::Create(Kind kind, const QString &folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = QDir(folder).filePath(RandomName());
        const QByteArray name = QFile::encodeName(path);
        Interruption::Registration registration(path, kind == Kind::File ? Interruption::Removal::File
                                                                         : Interruption::Removal::Tree);
        int descriptor = -1;
        if (kind == Kind::File) {
            descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        } else if (::mkdir(name.constData(), 0777) == 0) {
            descriptor = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        const int error = errno;
        if (descriptor < 0 && kind == Kind::Folder && error != EEXIST)
            ::rmdir(name.constData());
        if (descriptor < 0 && error == EEXIST)
            continue;
        if (descriptor < 0)
            return Outcome<TemporaryPath>::failure(
                QStringLiteral("Cannot create a temporary %1 in %2: %3")
                    .arg(kind == Kind::File ? QStringLiteral("file") : QStringLiteral("folder"), folder,
                         SystemReason(error)));
        ::flock(descriptor, LOCK_EX);
        registration.Forget();
        return Outcome<TemporaryPath>::success(TemporaryPath(kind, path, descriptor));
    }
    return Outcome<TemporaryPath>::failure(
        QStringLiteral("Cannot create a temporary file in %1: every name tried was taken").arg(folder));
}

TemporaryPath::TemporaryPath(TemporaryPath &&other) noexcept
    : kind_(other.kind_), path_(std::move(other.path_)), descriptor_(other.descriptor_),
      registration_(std::move(other.registration_))
{
    other.descriptor_ = -1;
    other.path_.clear();
}

TemporaryPath &TemporaryPath::operator=(TemporaryPath &&other) noexcept
{
    if (this != &other) {
        Remove();
        kind_ = other.kind_;
        path_ = std::move(other.path_);
        descriptor_ = other.descriptor_;
        registration_ = std::move(other.registration_);
        other.descriptor_ = -1;
        other.path_.clear();
    }
    return *this;
}

TemporaryPath::~TemporaryPath() { Remove(); }

void TemporaryPath::Remove()
{
    if (!path_.isEmpty()) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(QFile::encodeName(path_).toStdString()), ignored);
        path_.clear();
    }
    registration_.Forget();
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

Outcome<void> TemporaryPath::Publish(const QString &finalPath)
{
    const Outcome<QString> published =
        PublishUnderFreeName([&finalPath](int n) { return n == 1 ? finalPath : QString(); });
    return published ? Outcome<void>::success() : Outcome<void>::failure(published.error());
}

// A folder's content is made durable with its whole file system (syncfs): one call instead of one
// per file restored.
Outcome<QString> TemporaryPath::PublishUnderFreeName(const std::function<QString(int)> &candidate)
{
    const int synced = (kind_ == Kind::File ? ::fsync(descriptor_) : ::syncfs(descriptor_)) == 0 ? 0 : errno;
    if (synced != 0)
        return Outcome<QString>::failure(QStringLiteral("Cannot write %1: %2").arg(path_, SystemReason(synced)));
    for (int n = 1;; ++n) {
        const QString finalPath = candidate(n);
        if (finalPath.isEmpty())
            return Outcome<QString>::failure(
                QStringLiteral("%1 already exists; it was not replaced").arg(candidate(1)));
        int renamed = 0;
        Interruption::WithoutInterruption([&] {
            renamed =
                RenameWithoutReplacing(QFile::encodeName(path_), QFile::encodeName(finalPath), kind_ == Kind::Folder);
            if (renamed == 0) {
                path_.clear();
                registration_.Forget();
            }
        });
        if (renamed == EEXIST || renamed == ENOTEMPTY)
            continue;
        if (renamed != 0)
            return Outcome<QString>::failure(
                QStringLiteral("Cannot name %1 %2: %3").arg(path_, finalPath, SystemReason(renamed)));
        ::close(descriptor_);
        descriptor_ = -1;
        if (const Outcome<void> synced = SyncFolder(QFileInfo(finalPath).absolutePath()); !synced)
            return Outcome<QString>::failure(synced.error());
        return Outcome<QString>::success(finalPath);
    }
}

void RemoveDeadLeftovers(const QString &folder)
{
    static const QRegularExpression leftover(QStringLiteral(R"(^\.quenzar-[A-Za-z0-9]{6}\.tmp$)"));
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!leftover.match(name).hasMatch())
            continue;
        const QByteArray path = QFile::encodeName(QDir(folder).filePath(name));
        const int descriptor = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        struct stat info;
        bool dead = ::fstat(descriptor, &info) == 0 && !Locked(descriptor);
        const time_t age = ::time(nullptr) - info.st_ctim.tv_sec;
        if (dead && age < kYoungestLeftoverSeconds) {
            ::flock(descriptor, LOCK_UN);
            QThread::sleep(static_cast<unsigned long>(kYoungestLeftoverSeconds - age));
            dead = !Locked(descriptor);
        }
        if (dead) {
            std::error_code ignored;
            std::filesystem::remove_all(std::filesystem::path(path.toStdString()), ignored);
        }
        ::close(descriptor);
    }
}

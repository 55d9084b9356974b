#include "ByteNamedFiles.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ByteNamedFiles {
namespace {

const QString kDescriptorFolder = QStringLiteral("/proc/self/fd/");

QMutex lock;
QHash<QByteArray, int> reaching; // native path -> the descriptor of the file it named when last reached
QHash<int, QByteArray> reached;  // every descriptor handed out -> its native path

bool SameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// A project of many such files could exceed the usual soft limit of 1024 descriptors.
bool RaiseDescriptorLimit()
{
    struct rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max)
        return false;
    limit.rlim_cur = limit.rlim_max;
    return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

int OpenPath(const QByteArray &nativePath)
{
    const int descriptor = ::open(nativePath.constData(), O_PATH | O_CLOEXEC);
    if (descriptor < 0 && errno == EMFILE && RaiseDescriptorLimit())
        return ::open(nativePath.constData(), O_PATH | O_CLOEXEC);
    return descriptor;
}

bool IsUtf8(const QByteArray &bytes) { return QFile::encodeName(QFile::decodeName(bytes)) == bytes; }

// The bytes as text, those that are not UTF-8 written "\xEF".
QString Escaped(const QByteArray &bytes)
{
    QString text;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype length = 1;
        while (length <= 4 && at + length <= bytes.size() && !IsUtf8(bytes.mid(at, length)))
            ++length;
        if (length <= 4 && at + length <= bytes.size()) {
            text += QFile::decodeName(bytes.mid(at, length));
            at += length;
        } else {
            text +=
                QStringLiteral("\\x") + QStringLiteral("%1").arg(uchar(bytes[at]), 2, 16, QLatin1Char('0')).toUpper();
            ++at;
        }
    }
    return text;
}

} // namespace

QString PathTo(const QByteArray &nativePath)
{
    struct stat now;
    if (::stat(nativePath.constData(), &now) != 0)
        return QString();
    QMutexLocker guard(&lock);
    const auto known = reaching.constFind(nativePath);
    struct stat held;
    if (known != reaching.constEnd() && ::fstat(*known, &held) == 0 && SameFile(held, now))
        return kDescriptorFolder + QString::number(*known);
    const int descriptor = OpenPath(nativePath);
    if (descriptor < 0)
        return QString();
    const QString path = kDescriptorFolder + QString::number(descriptor);
    // Without /proc the descriptor reaches nothing.
    struct stat through;
    if (::stat(QFile::encodeName(path).constData(), &through) != 0 || ::fstat(descriptor, &held) != 0
        || !SameFile(through, held)) {
        ::close(descriptor);
        return QString();
    }
    reaching.insert(nativePath, descriptor);
    reached.insert(descriptor, nativePath);
    return path;
}

QString ReadablePath(const QString &path)
{
    if (!path.startsWith(kDescriptorFolder))
        return path;
    bool number = false;
    const int descriptor = path.mid(kDescriptorFolder.size()).toInt(&number);
    QMutexLocker guard(&lock);
    const auto known = reached.constFind(descriptor);
    return number && known != reached.constEnd() ? Escaped(*known) : path;
}

} // namespace ByteNamedFiles

#include "ByteNamedFiles.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <algorithm>
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

// The length of the UTF-8 character the bytes begin with; 0 when they begin with none.
qsizetype CharacterLength(const QByteArray &bytes, qsizetype at)
{
    for (qsizetype length = 1; length <= 4 && at + length <= bytes.size(); ++length) {
        if (QtCanName(bytes.mid(at, length)))
            return length;
    }
    return 0;
}

// The bytes as text, those that are not UTF-8 written "\xEF".
QString Escaped(const QByteArray &bytes)
{
    QString text;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = CharacterLength(bytes, at);
        if (length > 0)
            text += QFile::decodeName(bytes.mid(at, length));
        else
            text += QStringLiteral("\\x") + QString::number(uchar(bytes[at]), 16).toUpper().rightJustified(2, '0');
        at += std::max<qsizetype>(length, 1);
    }
    return text;
}

} // namespace

bool QtCanName(const QByteArray &nativePath) { return QFile::encodeName(QFile::decodeName(nativePath)) == nativePath; }

QString PathTo(const QByteArray &nativePath)
{
    if (QtCanName(nativePath))
        return QFile::decodeName(nativePath);
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

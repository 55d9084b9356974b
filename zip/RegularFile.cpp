#include "RegularFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

Outcome<OpenedFile> OpenRegularFile(const QString &path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return Outcome<OpenedFile>::failure(errno == ENOENT
                                                ? QStringLiteral("it does not exist")
                                                : "it cannot be read, " + QString::fromLocal8Bit(std::strerror(errno)));
    }
    struct stat info;
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        return Outcome<OpenedFile>::failure(QStringLiteral("it is not a regular file"));
    }
    // Reads of a regular file never block anyway; the flag only kept the open from waiting.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return Outcome<OpenedFile>::success({descriptor, info});
}

#include "MemberFile.h"
#include "RegularFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

ReadOutcome SystemProblem(const char *what)
{
    const int error = errno;
    return ReadOutcome::failure({QString::fromUtf8(what) + QString::fromLocal8Bit(std::strerror(error))});
}

ReadOutcome Changed() { return ReadOutcome::failure({QStringLiteral("it changed while it was read"), true}); }

bool SameVersion(const struct stat &before, const struct stat &after)
{
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec
           && before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

} // namespace

MemberFile::~MemberFile() { Close(); }

ReadOutcome MemberFile::Open(const QString &path)
{
    Close();
    const Outcome<OpenedFile> opened = OpenRegularFile(path);
    if (!opened)
        return ReadOutcome::failure({opened.error()});
    file_ = opened.value().descriptor;
    opened_ = opened.value().status;
    read_ = 0;
    return ReadOutcome::success();
}

Outcome<qint64, ReadProblem> MemberFile::Read(char *into, qint64 length)
{
    for (;;) {
        const ssize_t count = ::read(file_, into, size_t(length));
        if (count >= 0) {
            read_ += count;
            return Outcome<qint64, ReadProblem>::success(count);
        }
        if (errno != EINTR)
            return Outcome<qint64, ReadProblem>::failure(SystemProblem("it cannot be read, ").error());
    }
}

ReadOutcome MemberFile::CheckSame() const
{
    struct stat now;
    if (::fstat(file_, &now) != 0)
        return SystemProblem("it cannot be read, ");
    return SameVersion(opened_, now) ? ReadOutcome::success() : Changed();
}

ReadOutcome MemberFile::CheckUnchanged() const
{
    if (ReadOutcome same = CheckSame(); !same)
        return same;
    return read_ == Size() ? ReadOutcome::success() : Changed();
}

ReadOutcome MemberFile::Rewind()
{
    if (::lseek(file_, 0, SEEK_SET) != 0)
        return SystemProblem("it cannot be read, ");
    read_ = 0;
    return ReadOutcome::success();
}

void MemberFile::Close()
{
    if (file_ >= 0)
        ::close(file_);
    file_ = -1;
}

#include "MemberFile.h"
#include "RegularFile.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

ReadProblem SystemProblem(const char *what)
{
    const int error = errno;
    return {QString::fromUtf8(what) + QString::fromLocal8Bit(std::strerror(error))};
}

ReadProblem Changed() { return {QStringLiteral("it changed while it was read"), true}; }

bool SameVersion(const struct stat &before, const struct stat &after)
{
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec
           && before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

} // namespace

MemberFile::~MemberFile() { Close(); }

ReadProblem MemberFile::Open(const QString &path)
{
    Close();
    const Outcome<OpenedFile> opened = OpenRegularFile(path);
    if (!opened)
        return {opened.error()};
    file_ = opened.value().descriptor;
    opened_ = opened.value().status;
    read_ = 0;
    return {};
}

ReadProblem MemberFile::Read(char *into, qint64 length, qint64 &got)
{
    for (;;) {
        const ssize_t count = ::read(file_, into, size_t(length));
        if (count >= 0) {
            got = count;
            read_ += count;
            return {};
        }
        if (errno != EINTR)
            return SystemProblem("it cannot be read, ");
    }
}

ReadProblem MemberFile::CheckSame() const
{
    struct stat now;
    if (::fstat(file_, &now) != 0)
        return SystemProblem("it cannot be read, ");
    return SameVersion(opened_, now) ? ReadProblem() : Changed();
}

ReadProblem MemberFile::CheckUnchanged() const
{
    if (ReadProblem problem = CheckSame())
        return problem;
    return read_ == Size() ? ReadProblem() : Changed();
}

ReadProblem MemberFile::Rewind()
{
    if (::lseek(file_, 0, SEEK_SET) != 0)
        return SystemProblem("it cannot be read, ");
    read_ = 0;
    return {};
}

void MemberFile::Close()
{
    if (file_ >= 0)
        ::close(file_);
    file_ = -1;
}

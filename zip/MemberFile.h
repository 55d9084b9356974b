#pragma once

#include "Outcome.h"

#include <QString>
#include <ctime>
#include <sys/stat.h>

// Why a member file could not be stored.
struct ReadProblem {
    QString reason;
    bool changed = false; // it changed while it was read: read again, it may hold still
};
using ReadOutcome = Outcome<void, ReadProblem>;

// A member file read with plain system calls from its start to its end, once or more. A file that
// changes while it is read (an editor saving it, a checkout, a build writing its output) must never
// be stored half old and half new: its size and modification time, to the nanosecond, are taken on
// the open file as it is opened and again when a read reaches the end, and the bytes read are
// counted against its size. A FIFO is not waited on.
class MemberFile {
public:
    MemberFile() = default;
    ~MemberFile();
    MemberFile(const MemberFile &) = delete;
    MemberFile &operator=(const MemberFile &) = delete;

    [[nodiscard]] ReadOutcome Open(const QString &path);
    // As the file was when opened.
    qint64 Size() const { return qint64(opened_.st_size); }
    time_t Modified() const { return opened_.st_mtim.tv_sec; }
    quint32 Mode() const { return S_IFREG | (opened_.st_mode & 07777); }

    // Up to length bytes at the current position into into: how many, 0 at the end.
    [[nodiscard]] Outcome<qint64, ReadProblem> Read(char *into, qint64 length);
    // Whether the file's size and time are still those it had when opened: a read that goes on for
    // long finds a change early.
    [[nodiscard]] ReadOutcome CheckSame() const;
    // Once a read has come to the end: whether the file is still as it was opened and exactly its
    // size was read since the start.
    [[nodiscard]] ReadOutcome CheckUnchanged() const;
    // Back to the start, for another read that must find the same file.
    [[nodiscard]] ReadOutcome Rewind();
    // Done with reading; what was found at opening stays.
    void Close();

private:
    int file_ = -1;
    struct stat opened_ = {};
    qint64 read_ = 0;
};

#pragma once

#include <QString>

// Identifier lists, as the shell hands them around: opaque numbers for small records that hold a
// path ("" for a folder that has none). The shell allocates them and whoever owns one frees it;
// the counters let tests prove that every list is freed once and only once.

quintptr AllocatePidl(const QString &path);
// Nothing for 0. Freeing a number that is not a live list is recorded, never followed.
void FreePidl(quintptr pidl);
// "" for 0 and for a number that is not a live list.
QString PidlPath(quintptr pidl);
// A new list for the same path; 0 for 0 and for a number that is not a live list.
quintptr ClonePidl(quintptr pidl);

qsizetype LivePidlCount();
// How many times a number that was not a live list was freed.
qsizetype InvalidPidlFreeCount();

// A list that lives for one scope, as the dialog's own lists live for one callback.
class ScopedPidl {
public:
    explicit ScopedPidl(const QString &path) : pidl_(AllocatePidl(path)) {}
    ~ScopedPidl() { FreePidl(pidl_); }
    ScopedPidl(const ScopedPidl &) = delete;
    ScopedPidl &operator=(const ScopedPidl &) = delete;

    quintptr get() const { return pidl_; }

private:
    quintptr pidl_;
};

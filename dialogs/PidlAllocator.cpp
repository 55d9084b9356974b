#include "PidlAllocator.h"

#include <QHash>

namespace {

struct PidlRecord {
    QString path;
};

// Keyed by the record's address, so that a stale number is recognised before it is followed.
QHash<quintptr, PidlRecord *> &LiveLists()
{
    static QHash<quintptr, PidlRecord *> lists;
    return lists;
}

qsizetype &InvalidFrees()
{
    static qsizetype count = 0;
    return count;
}

const PidlRecord *Find(quintptr pidl) { return LiveLists().value(pidl, nullptr); }

} // namespace

quintptr AllocatePidl(const QString &path)
{
    auto *record = new PidlRecord{path};
    const auto pidl = reinterpret_cast<quintptr>(record);
    LiveLists().insert(pidl, record);
    return pidl;
}

void FreePidl(quintptr pidl)
{
    if (pidl == 0)
        return;
    PidlRecord *record = LiveLists().take(pidl);
    if (!record) {
        ++InvalidFrees();
        return;
    }
    delete record;
}

QString PidlPath(quintptr pidl)
{
    const PidlRecord *record = Find(pidl);
    return record ? record->path : QString();
}

quintptr ClonePidl(quintptr pidl)
{
    const PidlRecord *record = Find(pidl);
    return record ? AllocatePidl(record->path) : 0;
}

qsizetype LivePidlCount() { return LiveLists().size(); }

qsizetype InvalidPidlFreeCount() { return InvalidFrees(); }

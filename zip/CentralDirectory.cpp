#include "CentralDirectory.h"

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace CentralDirectory {

Outcome<void> ReadAt(int file, quint64 offset, char *data, quint64 size)
{
    while (size > 0) {
        const ssize_t read = ::pread(file, data, size, off_t(offset));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return Outcome<void>::failure(QString::fromLocal8Bit(std::strerror(errno)));
        if (read == 0)
            return Outcome<void>::failure(QStringLiteral("it ends before its data"));
        data += read;
        offset += quint64(read);
        size -= quint64(read);
    }
    return Outcome<void>::success();
}

Outcome<End> FindEnd(int file, quint64 fileSize)
{
    QByteArray tail(qsizetype(std::min<quint64>(fileSize, kEndSize + 0xFFFF)), '\0');
    const quint64 tailStart = fileSize - quint64(tail.size());
    if (const Outcome<void> read = ReadAt(file, tailStart, tail.data(), quint64(tail.size())); !read)
        return Outcome<End>::failure(read.error());
    bool zip64 = false;
    for (qsizetype end = tail.size() - kEndSize; end >= 0; --end) {
        if (Long(tail, end) != kEndSignature)
            continue;
        const quint64 at = tailStart + quint64(end);
        const quint16 disk = Word(tail, end + 4);
        const quint16 directoryDisk = Word(tail, end + 6);
        const quint16 countHere = Word(tail, end + 8);
        const End record{at, Long(tail, end + 16), Long(tail, end + 12), Word(tail, end + 10)};
        const bool commentEndsFile = at + kEndSize + Word(tail, end + 20) == fileSize;
        if (!commentEndsFile || disk != 0 || directoryDisk != 0 || countHere != record.count)
            continue;
        if (record.count == 0xFFFF || record.directorySize == 0xFFFFFFFF || record.directory == 0xFFFFFFFF) {
            zip64 = true;
            continue;
        }
        if (record.directory + record.directorySize <= at)
            return Outcome<End>::success(record);
    }
    return Outcome<End>::failure(zip64 ? QStringLiteral("it is a ZIP64 archive, whose entries are not reused")
                                       : QStringLiteral("it has no end of central directory, it is not a whole "
                                                        "zip archive"));
}

Outcome<QList<Entry>> Entries(QByteArrayView directory, quint16 count)
{
    const auto damaged = [] {
        return Outcome<QList<Entry>>::failure(QStringLiteral("its central directory is damaged"));
    };
    QList<Entry> entries;
    entries.reserve(count);
    qsizetype at = 0;
    for (quint16 index = 0; index < count; ++index) {
        if (at + kEntrySize > directory.size() || Long(directory, at) != kEntrySignature)
            return damaged();
        const quint16 nameLength = Word(directory, at + 28);
        const quint16 extraLength = Word(directory, at + 30);
        const qsizetype next = at + kEntrySize + nameLength + extraLength + Word(directory, at + 32);
        if (next > directory.size())
            return damaged();
        const QByteArrayView record = directory.sliced(at, next - at);
        entries.append(
            {record, record.sliced(kEntrySize, nameLength), record.sliced(kEntrySize + nameLength, extraLength)});
        at = next;
    }
    return at == directory.size() ? Outcome<QList<Entry>>::success(entries) : damaged();
}

} // namespace CentralDirectory

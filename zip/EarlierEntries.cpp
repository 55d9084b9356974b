#include "EarlierEntries.h"
#include "RegularFile.h"

#include "ReusedBuffers.h"
#include "WinZipAes.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <libdeflate.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Decompressor = std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)>;

constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kLocalSignature = 0x04034b50;
constexpr qsizetype kEndSize = 22;
constexpr qsizetype kCentralSize = 46;
constexpr qsizetype kLocalSize = 30;
constexpr quint16 kDeflate = 8;
constexpr quint16 kWinZipAes = 99;
constexpr quint16 kAesField = 0x9901;
constexpr quint8 kAes256 = 3;
constexpr quint16 kEncrypted = 1;
constexpr quint16 kUtf8Name = 1 << 11;

quint16 Word(QByteArrayView bytes, qsizetype at) { return qFromLittleEndian<quint16>(bytes.data() + at); }
quint32 Long(QByteArrayView bytes, qsizetype at) { return qFromLittleEndian<quint32>(bytes.data() + at); }

// The method of an entry whose header says WinZip AES, from its extra field; 0 when it is not
// AES-256 or the field is missing.
quint16 AesMethod(QByteArrayView extra)
{
    for (qsizetype at = 0; at + 4 <= extra.size();) {
        const quint16 id = Word(extra, at);
        const quint16 length = Word(extra, at + 2);
        if (at + 4 + length > extra.size())
            return 0;
        if (id == kAesField && length >= 7)
            return quint8(extra[at + 8]) == kAes256 ? Word(extra, at + 9) : 0;
        at += 4 + length;
    }
    return 0;
}

// Inflates into exactly size bytes: a stream that ends early, runs longer or leaves input over
// fails, so that nothing but the deflate stream itself is ever carried forward.
bool Inflates(QByteArrayView deflated, QByteArray &inflated, qsizetype size)
{
    thread_local Decompressor decompressor(libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!decompressor)
        return false;
    ResizeForOverwrite(inflated, size);
    size_t read = 0;
    size_t written = 0;
    return libdeflate_deflate_decompress_ex(decompressor.get(), deflated.data(), size_t(deflated.size()),
                                            inflated.data(), size_t(size), &read, &written)
               == LIBDEFLATE_SUCCESS
           && read == size_t(deflated.size()) && written == size_t(size);
}

} // namespace

EarlierEntries::EarlierEntries(const QString &archivePath)
{
    const Outcome<OpenedFile> opened = OpenRegularFile(archivePath);
    file_ = opened ? opened.value().descriptor : -1;
    if (!opened)
        readable_ = Outcome<void>::failure(opened.error());
    else
        readable_ = ReadCentralDirectory();
}

EarlierEntries::~EarlierEntries()
{
    if (file_ >= 0)
        ::close(file_);
}

Outcome<void> EarlierEntries::ReadAt(quint64 offset, char *data, quint64 size) const
{
    while (size > 0) {
        const ssize_t read = ::pread(file_, data, size, off_t(offset));
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

// From the end backwards, as libzip looks: a comment may hold the signature's bytes, so a candidate
// is taken only when the comment it declares ends the file and its directory lies before it, and
// the next one back is tried otherwise.
Outcome<EarlierEntries::EndRecord> EarlierEntries::FindEndRecord(quint64 fileSize) const
{
    QByteArray tail(qsizetype(std::min<quint64>(fileSize, kEndSize + 0xFFFF)), '\0');
    const quint64 tailStart = fileSize - quint64(tail.size());
    if (const Outcome<void> read = ReadAt(tailStart, tail.data(), quint64(tail.size())); !read)
        return Outcome<EndRecord>::failure(read.error());
    bool zip64 = false;
    for (qsizetype end = tail.size() - kEndSize; end >= 0; --end) {
        if (Long(tail, end) != kEndSignature)
            continue;
        const quint64 at = tailStart + quint64(end);
        const quint16 disk = Word(tail, end + 4);
        const quint16 directoryDisk = Word(tail, end + 6);
        const quint16 countHere = Word(tail, end + 8);
        const EndRecord record{Long(tail, end + 16), Long(tail, end + 12), Word(tail, end + 10)};
        const bool commentEndsFile = at + kEndSize + Word(tail, end + 20) == fileSize;
        if (!commentEndsFile || disk != 0 || directoryDisk != 0 || countHere != record.count)
            continue;
        if (record.count == 0xFFFF || record.directorySize == 0xFFFFFFFF || record.directory == 0xFFFFFFFF) {
            zip64 = true;
            continue;
        }
        if (record.directory + record.directorySize <= at)
            return Outcome<EndRecord>::success(record);
    }
    return Outcome<EndRecord>::failure(zip64 ? QStringLiteral("it is a ZIP64 archive, whose entries are not reused")
                                             : QStringLiteral("it has no end of central directory, it is not a whole "
                                                              "zip archive"));
}

// Only entries this program could have written are kept; an archive of more than 65,535 entries or
// 4 GiB (ZIP64) is not read, nor is an entry that lies outside the archive. The directory must hold
// exactly the entries its end record counts, and nothing after them.
Outcome<void> EarlierEntries::ReadCentralDirectory()
{
    const auto damaged = [] { return Outcome<void>::failure(QStringLiteral("its central directory is damaged")); };
    struct stat info;
    if (::fstat(file_, &info) != 0)
        return Outcome<void>::failure(QString::fromLocal8Bit(std::strerror(errno)));
    const Outcome<EndRecord> end = FindEndRecord(quint64(info.st_size));
    if (!end)
        return Outcome<void>::failure(end.error());
    centralDirectory_ = end.value().directory;
    QByteArray directory(qsizetype(end.value().directorySize), '\0');
    if (const Outcome<void> read = ReadAt(centralDirectory_, directory.data(), quint64(directory.size())); !read)
        return Outcome<void>::failure("its central directory cannot be read: " + read.error());

    qsizetype at = 0;
    for (quint16 index = 0; index < end.value().count; ++index) {
        if (at + kCentralSize > directory.size() || Long(directory, at) != kCentralSignature)
            return damaged();
        const quint16 flags = Word(directory, at + 8);
        const quint16 nameLength = Word(directory, at + 28);
        const quint16 extraLength = Word(directory, at + 30);
        const qsizetype next = at + kCentralSize + nameLength + extraLength + Word(directory, at + 32);
        if (next > directory.size())
            return damaged();
        const QByteArrayView name(directory.constData() + at + kCentralSize, nameLength);
        const QByteArrayView extra(name.data() + nameLength, extraLength);
        const bool encrypted = flags & kEncrypted;
        quint16 method = Word(directory, at + 10);
        if (encrypted)
            method = method == kWinZipAes ? AesMethod(extra) : 0;
        const Entry entry{Long(directory, at + 42), Long(directory, at + 20), Long(directory, at + 24),
                          Long(directory, at + 16), encrypted};
        const bool outside = entry.localHeader == 0xFFFFFFFF || entry.storedSize == 0xFFFFFFFF
                             || entry.size == 0xFFFFFFFF || entry.localHeader >= centralDirectory_;
        const bool textName =
            (flags & kUtf8Name) || std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
        if (method == kDeflate && !outside && textName)
            entries_.insert(QString::fromUtf8(name), entry);
        at = next;
    }
    return at == directory.size() ? Outcome<void>::success() : damaged();
}

EarlierEntries::Match EarlierEntries::Compare(const QString &entryName, QByteArrayView content, quint32 crc,
                                              const QByteArray &password, BufferPool &buffers, QByteArray &stored) const
{
    const Match different{Verdict::Different, QString()};
    const auto damaged = [](const QString &reason) { return Match{Verdict::Damaged, reason}; };
    const auto found = entries_.constFind(entryName);
    if (found == entries_.constEnd())
        return different;
    const Entry &entry = *found;
    // A protected entry's CRC may be left out as zero (AE-2): then only its content can tell.
    const bool crcKnown = !entry.encrypted || entry.crc != 0;
    if (entry.size != quint64(content.size()) || entry.encrypted == password.isEmpty()
        || (crcKnown && entry.crc != crc))
        return different;
    // Deflate adds a few bytes per 64 KiB block at worst, AES 28 per entry: more is a forged size,
    // never read into memory.
    if (entry.storedSize > entry.size + entry.size / 64 + 1024)
        return damaged(QStringLiteral("its stored size is larger than its data could need"));
    if (const Outcome<void> read = ReadStored(entry, buffers, stored); !read)
        return damaged(read.error());
    QByteArrayView deflated = stored;
    OpenedAes opened;
    if (entry.encrypted) {
        opened = WinZipAes256Decrypt(stored, password);
        if (opened.status == OpenedAes::WrongPassword)
            return different;
        if (opened.status == OpenedAes::Damaged)
            return damaged(QStringLiteral("its data fails its authentication code"));
        deflated = opened.data;
    }
    // Equal to content, the data has content's CRC too: the CRC is computed only to tell damage
    // from a change.
    thread_local QByteArray inflated;
    if (!Inflates(deflated, inflated, content.size()))
        return damaged(QStringLiteral("its data cannot be inflated to the size it declares"));
    if (inflated == content)
        return Match{Verdict::Reused, QString()};
    if (crcKnown && libdeflate_crc32(0, inflated.constData(), size_t(inflated.size())) != entry.crc)
        return damaged(QStringLiteral("its data does not match its CRC-32"));
    return different;
}

Outcome<void> EarlierEntries::ReadStored(const Entry &entry, BufferPool &buffers, QByteArray &stored) const
{
    char header[kLocalSize];
    if (!ReadAt(entry.localHeader, header, kLocalSize)
        || Long(QByteArrayView(header, kLocalSize), 0) != kLocalSignature)
        return Outcome<void>::failure(QStringLiteral("its local header is damaged"));
    const quint64 data = entry.localHeader + kLocalSize + Word(QByteArrayView(header, kLocalSize), 26)
                         + Word(QByteArrayView(header, kLocalSize), 28);
    stored = buffers.Take(qsizetype(entry.storedSize));
    if (data + entry.storedSize > centralDirectory_ || !ReadAt(data, stored.data(), entry.storedSize))
        return Outcome<void>::failure(QStringLiteral("its data lies outside the archive"));
    return Outcome<void>::success();
}

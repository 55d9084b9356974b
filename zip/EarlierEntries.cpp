#include "EarlierEntries.h"
#include "RegularFile.h"

#include "CentralDirectory.h"
#include "ReusedBuffers.h"
#include "WinZipAes.h"

#include <QFile>
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

using CentralDirectory::Long;
using CentralDirectory::Word;

constexpr quint32 kLocalSignature = 0x04034b50;
constexpr qsizetype kLocalSize = 30;
constexpr quint16 kDeflate = 8;
constexpr quint16 kWinZipAes = 99;
constexpr quint16 kAesField = 0x9901;
constexpr quint8 kAes256 = 3;
constexpr quint16 kEncrypted = 1;
constexpr quint16 kUtf8Name = 1 << 11;

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

// Only a protected entry's record is taken: a plain one's code would need no password to forge.
std::optional<ContentRecord::Record> Record(bool encrypted, QByteArrayView extra)
{
    return encrypted ? ContentRecord::Find(extra) : std::nullopt;
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

// Only entries this program could have written are kept; an archive of more than 65,535 entries or
// 4 GiB (ZIP64) is not read, nor is an entry that lies outside the archive. The directory must hold
// exactly the entries its end record counts, and nothing after them.
Outcome<void> EarlierEntries::ReadCentralDirectory()
{
    struct stat info;
    if (::fstat(file_, &info) != 0)
        return Outcome<void>::failure(QString::fromLocal8Bit(std::strerror(errno)));
    const Outcome<CentralDirectory::End> end = CentralDirectory::FindEnd(file_, quint64(info.st_size));
    if (!end)
        return Outcome<void>::failure(end.error());
    centralDirectory_ = end.value().directory;
    QByteArray directory(qsizetype(end.value().directorySize), '\0');
    if (const Outcome<void> read =
            CentralDirectory::ReadAt(file_, centralDirectory_, directory.data(), quint64(directory.size()));
        !read)
        return Outcome<void>::failure("its central directory cannot be read: " + read.error());
    const Outcome<QList<CentralDirectory::Entry>> entries = CentralDirectory::Entries(directory, end.value().count);
    if (!entries)
        return Outcome<void>::failure(entries.error());
    for (const CentralDirectory::Entry &listed : entries.value()) {
        const quint16 flags = Word(listed.record, 8);
        const bool encrypted = flags & kEncrypted;
        quint16 method = Word(listed.record, 10);
        if (encrypted)
            method = method == kWinZipAes ? AesMethod(listed.extra) : 0;
        const Entry entry{Long(listed.record, 42),
                          Long(listed.record, 20),
                          Long(listed.record, 24),
                          Long(listed.record, 16),
                          encrypted,
                          Record(encrypted, listed.extra)};
        const bool outside = entry.localHeader == 0xFFFFFFFF || entry.storedSize == 0xFFFFFFFF
                             || entry.size == 0xFFFFFFFF || entry.localHeader >= centralDirectory_;
        const bool textName = (flags & kUtf8Name) || std::all_of(listed.name.begin(), listed.name.end(), [](char c) {
                                  return uchar(c) < 0x80;
                              });
        if (method == kDeflate && !outside && textName) {
            entries_.insert(QString::fromUtf8(listed.name), entry);
            if (entry.record && recordSalt_.isEmpty())
                recordSalt_ = entry.record->salt;
        }
    }
    return Outcome<void>::success();
}

EarlierEntries::Match EarlierEntries::Compare(const QString &entryName, QByteArrayView content, quint32 crc,
                                              const QByteArray &password, BufferPool &buffers, QByteArray &stored) const
{
    const Match different{Verdict::Different, QString(), QByteArray()};
    const auto damaged = [](const QString &reason) { return Match{Verdict::Damaged, reason, QByteArray()}; };
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
    // The record proves sameness without the entry's own key; one that does not prove it leaves the
    // whole check to tell a change from damage.
    if (entry.record && ContentRecord::Proves(*entry.record, password, content, stored))
        return Match{Verdict::Reused, QString(), ContentRecord::Field(*entry.record)};
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
        return Match{Verdict::Reused, QString(), QByteArray()};
    if (crcKnown && libdeflate_crc32(0, inflated.constData(), size_t(inflated.size())) != entry.crc)
        return damaged(QStringLiteral("its data does not match its CRC-32"));
    return different;
}

Outcome<void> EarlierEntries::ReadStored(const Entry &entry, BufferPool &buffers, QByteArray &stored) const
{
    char header[kLocalSize];
    if (!CentralDirectory::ReadAt(file_, entry.localHeader, header, kLocalSize)
        || Long(QByteArrayView(header, kLocalSize), 0) != kLocalSignature)
        return Outcome<void>::failure(QStringLiteral("its local header is damaged"));
    const quint64 data = entry.localHeader + kLocalSize + Word(QByteArrayView(header, kLocalSize), 26)
                         + Word(QByteArrayView(header, kLocalSize), 28);
    stored = buffers.Take(qsizetype(entry.storedSize));
    if (data + entry.storedSize > centralDirectory_
        || !CentralDirectory::ReadAt(file_, data, stored.data(), entry.storedSize))
        return Outcome<void>::failure(QStringLiteral("its data lies outside the archive"));
    return Outcome<void>::success();
}

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
    const OpenedFile opened = OpenRegularFile(archivePath);
    file_ = opened.descriptor;
    problem_ = file_ < 0 ? opened.problem : ReadCentralDirectory();
}

EarlierEntries::~EarlierEntries()
{
    if (file_ >= 0)
        ::close(file_);
}

bool EarlierEntries::ReadAt(quint64 offset, char *data, quint64 size) const
{
    while (size > 0) {
        const ssize_t read = ::pread(file_, data, size, off_t(offset));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            return false;
        data += read;
        offset += quint64(read);
        size -= quint64(read);
    }
    return true;
}

// Only entries this program could have written are kept; an archive of more than 65,535 entries or
// 4 GiB (ZIP64) is not read, nor is an entry that lies outside the archive.
QString EarlierEntries::ReadCentralDirectory()
{
    struct stat info;
    if (::fstat(file_, &info) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    const auto fileSize = quint64(info.st_size);
    QByteArray tail(qsizetype(std::min<quint64>(fileSize, kEndSize + 0xFFFF)), '\0');
    if (!ReadAt(fileSize - quint64(tail.size()), tail.data(), quint64(tail.size())))
        return QStringLiteral("it cannot be read");
    qsizetype end = tail.size() - kEndSize;
    while (end >= 0 && Long(tail, end) != kEndSignature)
        --end;
    if (end < 0)
        return QStringLiteral("it has no end of central directory, it is not a whole zip archive");
    const quint16 count = Word(tail, end + 10);
    const quint32 directorySize = Long(tail, end + 12);
    centralDirectory_ = Long(tail, end + 16);
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || centralDirectory_ == 0xFFFFFFFF)
        return QStringLiteral("it is a ZIP64 archive, whose entries are not reused");
    if (centralDirectory_ + directorySize > fileSize - quint64(tail.size() - end))
        return QStringLiteral("its central directory lies outside it");
    QByteArray directory(qsizetype(directorySize), '\0');
    if (!ReadAt(centralDirectory_, directory.data(), directorySize))
        return QStringLiteral("its central directory cannot be read");

    qsizetype at = 0;
    for (quint16 index = 0; index < count; ++index) {
        if (at + kCentralSize > directory.size() || Long(directory, at) != kCentralSignature)
            return QStringLiteral("its central directory is damaged");
        const quint16 flags = Word(directory, at + 8);
        const quint16 nameLength = Word(directory, at + 28);
        const quint16 extraLength = Word(directory, at + 30);
        const qsizetype next = at + kCentralSize + nameLength + extraLength + Word(directory, at + 32);
        if (next > directory.size())
            return QStringLiteral("its central directory is damaged");
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
    return QString();
}

EarlierEntries::Verdict EarlierEntries::Match(const QString &entryName, QByteArrayView content, quint32 crc,
                                              const QByteArray &password, BufferPool &buffers, QByteArray &stored,
                                              QString &damage) const
{
    const auto found = entries_.constFind(entryName);
    if (found == entries_.constEnd())
        return Verdict::Different;
    const Entry &entry = *found;
    // A protected entry's CRC may be left out as zero (AE-2): then only its content can tell.
    const bool crcKnown = !entry.encrypted || entry.crc != 0;
    if (entry.size != quint64(content.size()) || entry.encrypted == password.isEmpty()
        || (crcKnown && entry.crc != crc))
        return Verdict::Different;
    // Deflate adds a few bytes per 64 KiB block at worst, AES 28 per entry: more is a forged size,
    // never read into memory.
    if (entry.storedSize > entry.size + entry.size / 64 + 1024) {
        damage = QStringLiteral("its stored size is larger than its data could need");
        return Verdict::Damaged;
    }
    if (!ReadStored(entry, buffers, stored, damage))
        return Verdict::Damaged;
    QByteArrayView deflated = stored;
    OpenedAes opened;
    if (entry.encrypted) {
        opened = WinZipAes256Decrypt(stored, password);
        if (opened.status == OpenedAes::WrongPassword)
            return Verdict::Different;
        if (opened.status == OpenedAes::Damaged) {
            damage = QStringLiteral("its data fails its authentication code");
            return Verdict::Damaged;
        }
        deflated = opened.data;
    }
    // Equal to content, the data has content's CRC too: the CRC is computed only to tell damage
    // from a change.
    thread_local QByteArray inflated;
    if (!Inflates(deflated, inflated, content.size())) {
        damage = QStringLiteral("its data cannot be inflated to the size it declares");
        return Verdict::Damaged;
    }
    if (inflated == content)
        return Verdict::Reused;
    if (crcKnown && libdeflate_crc32(0, inflated.constData(), size_t(inflated.size())) != entry.crc) {
        damage = QStringLiteral("its data does not match its CRC-32");
        return Verdict::Damaged;
    }
    return Verdict::Different;
}

bool EarlierEntries::ReadStored(const Entry &entry, BufferPool &buffers, QByteArray &stored, QString &damage) const
{
    char header[kLocalSize];
    if (!ReadAt(entry.localHeader, header, kLocalSize)
        || Long(QByteArrayView(header, kLocalSize), 0) != kLocalSignature) {
        damage = QStringLiteral("its local header is damaged");
        return false;
    }
    const quint64 data = entry.localHeader + kLocalSize + Word(QByteArrayView(header, kLocalSize), 26)
                         + Word(QByteArrayView(header, kLocalSize), 28);
    stored = buffers.Take(qsizetype(entry.storedSize));
    if (data + entry.storedSize > centralDirectory_ || !ReadAt(data, stored.data(), entry.storedSize)) {
        damage = QStringLiteral("its data lies outside the archive");
        return false;
    }
    return true;
}

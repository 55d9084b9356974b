#include "ContentRecord.h"

#include "CentralDirectory.h"

#include <QFile>
#include <QMutex>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ContentRecord {
namespace {

constexpr quint8 kVersion = 1;
constexpr qsizetype kCodeSize = 32;
constexpr qsizetype kDataSize = 1 + kSaltSize + 2 * kCodeSize;
constexpr int kKeyRounds = 10000;

// Derived once per salt and password in a run: a nightly archive's records mostly share one salt.
QByteArray Key(const QByteArray &password, const QByteArray &salt)
{
    static QMutex lock;
    static QHash<QByteArray, QByteArray> keys; // by salt (fixed size) and password
    const QByteArray wanted = salt + password;
    QMutexLocker guard(&lock);
    if (const auto known = keys.constFind(wanted); known != keys.constEnd())
        return *known;
    QByteArray key(kCodeSize, '\0');
    PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()), reinterpret_cast<const uchar *>(salt.constData()),
                      int(salt.size()), kKeyRounds, EVP_sha256(), int(key.size()),
                      reinterpret_cast<uchar *>(key.data()));
    keys.insert(wanted, key);
    return key;
}

QByteArray Code(const QByteArray &key, QByteArrayView content)
{
    QByteArray code(kCodeSize, '\0');
    unsigned length = 0;
    HMAC(EVP_sha256(), key.constData(), int(key.size()), reinterpret_cast<const uchar *>(content.data()),
         size_t(content.size()), reinterpret_cast<uchar *>(code.data()), &length);
    return code;
}

QByteArray Digest(QByteArrayView stored)
{
    QByteArray digest(kCodeSize, '\0');
    SHA256(reinterpret_cast<const uchar *>(stored.data()), size_t(stored.size()),
           reinterpret_cast<uchar *>(digest.data()));
    return digest;
}

bool Same(const QByteArray &one, const QByteArray &other)
{
    return one.size() == other.size() && CRYPTO_memcmp(one.constData(), other.constData(), size_t(one.size())) == 0;
}

void PutWord(QByteArray &bytes, qsizetype at, quint16 value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

QString SystemReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

Outcome<void> WriteAt(int file, quint64 offset, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::pwrite(file, bytes.constData() + done, size_t(bytes.size() - done), off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return Outcome<void>::failure(SystemReason());
        done += written;
        offset += quint64(written);
    }
    return Outcome<void>::success();
}

// The directory with each named entry's field added to its extra fields.
QByteArray WithFields(const QList<CentralDirectory::Entry> &entries, const QHash<QByteArray, QByteArray> &fields)
{
    QByteArray directory;
    for (const CentralDirectory::Entry &entry : entries) {
        const QByteArray field = fields.value(entry.name.toByteArray());
        QByteArray record = entry.record.toByteArray();
        if (!field.isEmpty() && entry.extra.size() + field.size() <= 0xFFFF) {
            PutWord(record, 30, quint16(entry.extra.size() + field.size()));
            record.insert(CentralDirectory::kEntrySize + entry.name.size() + entry.extra.size(), field);
        }
        directory += record;
    }
    return directory;
}

} // namespace

QByteArray NewSalt()
{
    QByteArray salt(kSaltSize, '\0');
    RAND_bytes(reinterpret_cast<uchar *>(salt.data()), int(salt.size()));
    return salt;
}

Record Make(const QByteArray &password, const QByteArray &salt, QByteArrayView content, QByteArrayView stored)
{
    return {salt, Code(Key(password, salt), content), Digest(stored)};
}

bool Proves(const Record &record, const QByteArray &password, QByteArrayView content, QByteArrayView stored)
{
    return Same(Digest(stored), record.storedDigest)
           && Same(Code(Key(password, record.salt), content), record.contentCode);
}

QByteArray Field(const Record &record)
{
    QByteArray field(4, '\0');
    PutWord(field, 0, kFieldId);
    PutWord(field, 2, quint16(kDataSize));
    field += char(kVersion);
    return field + record.salt + record.contentCode + record.storedDigest;
}

std::optional<Record> Find(QByteArrayView extra)
{
    using CentralDirectory::Word;
    for (qsizetype at = 0; at + 4 <= extra.size();) {
        const quint16 length = Word(extra, at + 2);
        if (at + 4 + length > extra.size())
            return std::nullopt;
        if (Word(extra, at) == kFieldId && length == kDataSize && quint8(extra[at + 4]) == kVersion) {
            const QByteArrayView data = extra.sliced(at + 5, kDataSize - 1);
            return Record{data.first(kSaltSize).toByteArray(), data.sliced(kSaltSize, kCodeSize).toByteArray(),
                          data.sliced(kSaltSize + kCodeSize).toByteArray()};
        }
        at += 4 + length;
    }
    return std::nullopt;
}

Outcome<void> AddToArchive(const QString &path, const QHash<QByteArray, QByteArray> &fields)
{
    const auto failed = [](const QString &reason) { return Outcome<void>::failure(reason); };
    if (fields.isEmpty())
        return Outcome<void>::success();
    const int file = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (file < 0)
        return failed(SystemReason());
    const auto closed = [file](Outcome<void> outcome) {
        ::close(file);
        return outcome;
    };
    struct stat info;
    if (::fstat(file, &info) != 0)
        return closed(failed(SystemReason()));
    // A ZIP64 archive's entries are never reused, so they are not recorded.
    if (quint64(info.st_size) >= 0xFFFFFFFF || fields.size() >= 0xFFFF)
        return closed(Outcome<void>::success());
    const Outcome<CentralDirectory::End> end = CentralDirectory::FindEnd(file, quint64(info.st_size));
    if (!end)
        return closed(failed(end.error()));
    // The directory and everything after it: the end record and the archive's comment.
    QByteArray tail(qsizetype(quint64(info.st_size) - end.value().directory), '\0');
    if (const Outcome<void> read =
            CentralDirectory::ReadAt(file, end.value().directory, tail.data(), quint64(tail.size()));
        !read)
        return closed(read);
    const Outcome<QList<CentralDirectory::Entry>> entries =
        CentralDirectory::Entries(QByteArrayView(tail).first(qsizetype(end.value().directorySize)), end.value().count);
    if (!entries)
        return closed(failed(entries.error()));
    const QByteArray directory = WithFields(entries.value(), fields);
    if (end.value().directory + quint64(directory.size()) >= 0xFFFFFFFF)
        return closed(Outcome<void>::success());
    QByteArray endRecord = tail.sliced(qsizetype(end.value().at - end.value().directory));
    PutWord(endRecord, 12, quint16(directory.size() & 0xFFFF));
    PutWord(endRecord, 14, quint16(quint32(directory.size()) >> 16));
    if (const Outcome<void> written = WriteAt(file, end.value().directory, directory + endRecord); !written)
        return closed(written);
    if (::ftruncate(file, off_t(end.value().directory + quint64(directory.size() + endRecord.size()))) != 0)
        return closed(failed(SystemReason()));
    return closed(Outcome<void>::success());
}

} // namespace ContentRecord

#include "EarlierEntries.h"

#include "WinZipAes.h"

#include <QFile>
#include <libdeflate.h>
#include <memory>

namespace {

using EntryReader = std::unique_ptr<zip_file_t, decltype(&zip_fclose)>;
using Decompressor = std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)>;

// Inflates into exactly size bytes: a stream that ends early, runs longer or leaves input over
// fails, so that nothing but the deflate stream itself is ever carried forward.
bool InflatesTo(QByteArrayView deflated, qsizetype size, QByteArray &inflated)
{
    thread_local Decompressor decompressor(libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!decompressor)
        return false;
    inflated.resize(size);
    size_t read = 0;
    size_t written = 0;
    return libdeflate_deflate_decompress_ex(decompressor.get(), deflated.data(), size_t(deflated.size()),
                                            inflated.data(), size_t(size), &read, &written)
               == LIBDEFLATE_SUCCESS
           && read == size_t(deflated.size()) && written == size_t(size);
}

} // namespace

EarlierEntries::EarlierEntries(const QString &archivePath) : path_(archivePath)
{
    int code = 0;
    archive_ = zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &code);
    if (!archive_) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        problem_ = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return;
    }
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        zip_stat_t info;
        if (zip_stat_index(archive_, zip_uint64_t(index), 0, &info) != 0)
            continue;
        // Only what this program writes is worth the check: deflate, and AES-256 when protected.
        const bool encrypted = info.encryption_method != ZIP_EM_NONE;
        if (info.comp_method != ZIP_CM_DEFLATE || (encrypted && info.encryption_method != ZIP_EM_AES_256))
            continue;
        entries_.insert(QString::fromUtf8(info.name), {zip_uint64_t(index), info.size, info.crc, encrypted});
    }
}

EarlierEntries::~EarlierEntries()
{
    if (archive_)
        zip_discard(archive_);
}

EarlierEntries::Verdict EarlierEntries::Match(const QString &entryName, QByteArrayView content, quint32 crc,
                                              const QByteArray &password, QByteArray &stored, QString &damage)
{
    const auto found = entries_.constFind(entryName);
    if (found == entries_.constEnd())
        return Verdict::Different;
    const Entry &entry = *found;
    // A protected entry's CRC may be left out as zero (AE-2): then only its content can tell.
    const bool crcKnown = !entry.encrypted || entry.crc != 0;
    if (entry.size != zip_uint64_t(content.size()) || entry.encrypted == password.isEmpty()
        || (crcKnown && entry.crc != crc))
        return Verdict::Different;
    if (!ReadStored(entry, stored, damage))
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
    QByteArray inflated;
    if (!InflatesTo(deflated, content.size(), inflated)) {
        damage = QStringLiteral("its data cannot be inflated to the size it declares");
        return Verdict::Damaged;
    }
    if (libdeflate_crc32(0, inflated.constData(), size_t(inflated.size())) != crc) {
        if (!crcKnown)
            return Verdict::Different; // authenticated: the content itself differs
        damage = QStringLiteral("its data does not match its CRC-32");
        return Verdict::Damaged;
    }
    return inflated == content ? Verdict::Reused : Verdict::Different;
}

bool EarlierEntries::ReadStored(const Entry &entry, QByteArray &stored, QString &damage)
{
    std::lock_guard guard(reading_);
    const EntryReader reader(zip_fopen_index(archive_, entry.index, ZIP_FL_ENCRYPTED), zip_fclose);
    if (!reader) {
        damage = QString::fromUtf8(zip_strerror(archive_));
        return false;
    }
    zip_stat_t info;
    if (zip_stat_index(archive_, entry.index, 0, &info) != 0 || !(info.valid & ZIP_STAT_COMP_SIZE)) {
        damage = QString::fromUtf8(zip_strerror(archive_));
        return false;
    }
    stored.resize(qsizetype(info.comp_size));
    const zip_int64_t read = zip_fread(reader.get(), stored.data(), info.comp_size);
    if (read != zip_int64_t(info.comp_size)) {
        damage = read < 0 ? QString::fromUtf8(zip_error_strerror(zip_file_get_error(reader.get())))
                          : QStringLiteral("its data ends early");
        return false;
    }
    return true;
}

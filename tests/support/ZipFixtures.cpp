#include "ZipFixtures.h"

#include <QFile>
#include <QtEndian>
#include <stdexcept>
#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

namespace {

void Check(bool ok, zip_t *archive)
{
    if (!ok)
        throw std::runtime_error(std::string("cannot build test archive: ") + zip_strerror(archive));
}

quint16 Word(const QByteArray &bytes, qsizetype at) { return qFromLittleEndian<quint16>(bytes.constData() + at); }
quint32 Long(const QByteArray &bytes, qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }

QByteArray RawDeflate(const QByteArray &data)
{
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("cannot deflate test content");
    QByteArray out(int(deflateBound(&stream, data.size())), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("cannot deflate test content");
    out.resize(qsizetype(stream.total_out));
    return out;
}

void AppendWord(QByteArray &out, quint16 value) { out.append(char(value & 0xff)).append(char(value >> 8)); }

void AppendLong(QByteArray &out, quint32 value)
{
    AppendWord(out, quint16(value & 0xffff));
    AppendWord(out, quint16(value >> 16));
}

} // namespace

void WriteRawArchive(const QString &path, const QList<RawEntry> &entries)
{
    QByteArray local;
    QByteArray central;
    for (const RawEntry &entry : entries) {
        const QByteArray data = entry.deflated ? RawDeflate(entry.content) : entry.content;
        const quint32 crc =
            quint32(crc32(0, reinterpret_cast<const Bytef *>(entry.content.constData()), uInt(entry.content.size())));
        const quint32 declared = entry.declaredSize.value_or(quint32(entry.content.size()));
        QByteArray extra; // the same in both headers
        if (entry.declaredZip64Size) {
            AppendWord(extra, 0x0001);
            AppendWord(extra, 16);
            AppendLong(extra, quint32(*entry.declaredZip64Size));
            AppendLong(extra, quint32(*entry.declaredZip64Size >> 32));
            AppendLong(extra, quint32(data.size()));
            AppendLong(extra, 0);
        }
        const bool zip64 = !extra.isEmpty();
        QByteArray common; // version needed .. extra length, the same in both headers
        AppendWord(common, zip64 ? 45 : 20);
        AppendWord(common, entry.flags);
        AppendWord(common, entry.deflated ? 8 : 0);
        AppendWord(common, 0);      // time
        AppendWord(common, 0x5a21); // 2025-01-01
        AppendLong(common, crc);
        AppendLong(common, zip64 ? 0xffffffff : quint32(data.size()));
        AppendLong(common, zip64 ? 0xffffffff : declared);
        AppendWord(common, quint16(entry.name.size()));
        AppendWord(common, quint16(extra.size()));

        central.append("PK\x01\x02", 4);
        AppendWord(central, 0x0314); // made on Unix
        central.append(common);
        AppendWord(central, 0); // comment length
        AppendWord(central, 0); // disk
        AppendWord(central, 0); // internal attributes
        AppendLong(central, quint32(S_IFREG | 0644) << 16);
        AppendLong(central, quint32(local.size()));
        central.append(entry.name).append(extra);

        local.append("PK\x03\x04", 4).append(common).append(entry.name).append(extra).append(data);
    }
    QByteArray end("PK\x05\x06", 4);
    AppendWord(end, 0);
    AppendWord(end, 0);
    AppendWord(end, quint16(entries.size()));
    AppendWord(end, quint16(entries.size()));
    AppendLong(end, quint32(central.size()));
    AppendLong(end, quint32(local.size()));
    AppendWord(end, 0);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(local + central + end) < 0)
        throw std::runtime_error("cannot write test archive " + path.toStdString());
}

void WriteHandMadeArchive(const QString &path, const QList<HandMadeEntry> &entries)
{
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        throw std::runtime_error("cannot create test archive " + path.toStdString());
    for (const HandMadeEntry &entry : entries) {
        zip_source_t *source = zip_source_buffer(archive, entry.content.constData(), entry.content.size(), 0);
        const zip_int64_t index = zip_file_add(archive, entry.name.constData(), source, ZIP_FL_ENC_RAW);
        Check(source && index >= 0, archive);
        if (entry.symbolicLink)
            Check(zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX, (S_IFLNK | 0777u) << 16) == 0,
                  archive);
    }
    Check(zip_close(archive) == 0, archive);
}

QList<CentralRecord> CentralDirectory(const QByteArray &archive)
{
    const qsizetype end = archive.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0)
        throw std::runtime_error("no end of central directory record");
    QList<CentralRecord> records;
    qsizetype at = Long(archive, end + 16);
    for (int count = Word(archive, end + 10); count > 0; --count) {
        const quint16 nameLength = Word(archive, at + 28);
        records.append({archive.mid(at + 46, nameLength), Word(archive, at + 8), Word(archive, at + 10),
                        Long(archive, at + 20), Long(archive, at + 42), at + 46 + nameLength,
                        archive.mid(at + 46 + nameLength, Word(archive, at + 30))});
        at += 46 + nameLength + Word(archive, at + 30) + Word(archive, at + 32);
    }
    return records;
}

qsizetype StoredDataOffset(const QByteArray &archive, const CentralRecord &record)
{
    const qsizetype at = record.localHeader;
    return at + 30 + Word(archive, at + 26) + Word(archive, at + 28);
}

QByteArray StoredData(const QByteArray &archive, const CentralRecord &record)
{
    return archive.mid(StoredDataOffset(archive, record), record.storedSize);
}

bool FlipStoredByte(const QString &archivePath, const QByteArray &entryName)
{
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    for (const CentralRecord &record : CentralDirectory(bytes)) {
        if (record.name == entryName) {
            const qsizetype at = StoredDataOffset(bytes, record) + record.storedSize / 2;
            bytes[at] = char(bytes[at] ^ 0x10);
            return file.seek(0) && file.write(bytes) == bytes.size();
        }
    }
    return false;
}

bool WriteArchiveWithDamagedForm(const QString &path)
{
    const QByteArray form = QByteArray("Begin VB.Form Form1\r\n").repeated(2000);
    WriteRawArchive(path, {{"Form1.frm", form, true}, {"Module1.bas", "Attribute VB_Name\r\n"}});
    return FlipStoredByte(path, "Form1.frm");
}

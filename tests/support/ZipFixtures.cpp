#include "ZipFixtures.h"

#include <QFile>
#include <QtEndian>
#include <stdexcept>
#include <sys/stat.h>
#include <zip.h>

namespace {

void Check(bool ok, zip_t *archive)
{
    if (!ok)
        throw std::runtime_error(std::string("cannot build test archive: ") + zip_strerror(archive));
}

quint16 Word(const QByteArray &bytes, qsizetype at) { return qFromLittleEndian<quint16>(bytes.constData() + at); }
quint32 Long(const QByteArray &bytes, qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }

} // namespace

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
        records.append({archive.mid(at + 46, nameLength), Word(archive, at + 8), Word(archive, at + 10)});
        at += 46 + nameLength + Word(archive, at + 30) + Word(archive, at + 32);
    }
    return records;
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// Archives made and read without the engine (ZipWriter, ZipReader), so that its tests never check it against itself.

struct HandMadeEntry {
    QByteArray name;    // stored exactly as given
    QByteArray content; // the link target for a symbolic link
    bool symbolicLink = false;
};

// Writes the entries with libzip alone, however hostile their names.
void WriteHandMadeArchive(const QString &path, const QList<HandMadeEntry> &entries);

// An entry written byte by byte, for what libzip would refuse to write: a NUL in a name, sizes that
// lie, the same name twice.
struct RawEntry {
    QByteArray name;
    QByteArray content;
    bool deflated = false;
    std::optional<quint32> declaredSize = std::nullopt; // the size both headers give; by default the true one
    quint16 flags = 0;                                  // general-purpose bits, in both headers
    // A size declared in a ZIP64 extra field of both headers instead, the stored size with it.
    std::optional<quint64> declaredZip64Size = std::nullopt;
};

void WriteRawArchive(const QString &path, const QList<RawEntry> &entries);

struct CentralRecord {
    QByteArray name;
    quint16 flags = 0;  // general-purpose bits
    quint16 method = 0; // as written, 99 for WinZip AES
    quint32 storedSize = 0;
    quint32 localHeader = 0; // offset
    qsizetype extraAt = 0;   // where its extra fields lie in the archive
    QByteArray extra;
};

// The records of the archive's central directory, read from its bytes.
QList<CentralRecord> CentralDirectory(const QByteArray &archive);
// Where the entry's data begins in the archive, and that data as it lies there, compressed and
// encrypted.
qsizetype StoredDataOffset(const QByteArray &archive, const CentralRecord &record);
QByteArray StoredData(const QByteArray &archive, const CentralRecord &record);

// Damages the archive's file in place: one bit of the middle byte of the entry's stored data
// flipped, as a failing disk would. False when the archive has no such entry.
bool FlipStoredByte(const QString &archivePath, const QByteArray &entryName);
// An archive of a deflated Form1.frm whose stored data has a byte flipped, and a sound Module1.bas.
bool WriteArchiveWithDamagedForm(const QString &path);

#pragma once

#include "ContentRecord.h"
#include "Outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

class BufferPool;

// The entries of an earlier archive that a new archive may copy as they lie there, compressed and
// encrypted bytes and all, instead of compressing its files again. Sameness is established, never
// assumed: the same name and size, and the earlier data, once authenticated (when protected) and
// inflated, equal byte for byte to what the new entry would hold; or, for a protected entry with a
// content record (ContentRecord), the record's code of that content and digest of the stored bytes.
//
// Why a central directory reader of our own beside libzip's: the compression workers ask at once,
// and positioned reads on one descriptor share nothing. Reading every entry's stored bytes of the
// nightly case's archive (2,810 entries, 52 MB) on two workers takes 6 to 14 ms so, against 27 to
// 38 ms with one libzip handle per worker (ZIP_FL_COMPRESSED), which re-reads the directory for each
// handle and each entry's local header through stdio. It looks for the end record as libzip does:
// every candidate signature from the end backwards, taken only when its comment ends the file, its
// directory lies before it and holds exactly the entries it counts (CentralDirectory).
class EarlierEntries {
public:
    explicit EarlierEntries(const QString &archivePath);
    ~EarlierEntries();
    EarlierEntries(const EarlierEntries &) = delete;
    EarlierEntries &operator=(const EarlierEntries &) = delete;

    // Whether the archive could be read, or why not at all.
    const Outcome<void> &Readable() const { return readable_; }

    enum class Verdict {
        Reused,    // stored holds the earlier entry's bytes, to be copied as they are
        Different, // no such entry, other content, or not protected alike
        Damaged,   // the entry should hold content, but its data fails a check (damage says which)
    };
    struct Match {
        Verdict verdict;
        QString damage;         // what check the data failed, when Damaged
        QByteArray recordField; // when Reused, the entry's content record (ContentRecord), if it has one
    };
    // Whether the entry of this name holds content (whose CRC-32 is crc), deflated and, exactly when
    // password is not empty, encrypted with that password (WinZip AES-256). When Reused, stored
    // holds the entry's bytes, taken from buffers.
    [[nodiscard]] Match Compare(const QString &entryName, QByteArrayView content, quint32 crc,
                                const QByteArray &password, BufferPool &buffers, QByteArray &stored) const;

    // What the central directory says of an entry this program could have written: deflated, and
    // when encrypted, with WinZip AES-256.
    struct Entry {
        quint64 localHeader;
        quint64 storedSize;
        quint64 size;
        quint32 crc;
        bool encrypted;
        std::optional<ContentRecord::Record> record;
    };
    // The salt of the content records the archive's entries hold, or none.
    const QByteArray &RecordSalt() const { return recordSalt_; }

private:
    [[nodiscard]] Outcome<void> ReadCentralDirectory();
    [[nodiscard]] Outcome<void> ReadStored(const Entry &entry, BufferPool &buffers, QByteArray &stored) const;

    Outcome<void> readable_ = Outcome<void>::success();
    QHash<QString, Entry> entries_; // by name, as stored
    quint64 centralDirectory_ = 0;  // where the entries' data ends
    QByteArray recordSalt_;
    int file_ = -1;
};

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

class BufferPool;

// The entries of an earlier archive that a new archive may copy as they lie there, compressed and
// encrypted bytes and all, instead of compressing its files again. Sameness is established, never
// assumed: the same name and size, and the earlier data, once authenticated (when protected) and
// inflated, equal byte for byte to what the new entry would hold. The compression workers ask it
// at once: the archive is read with positioned reads, which share nothing.
class EarlierEntries {
public:
    explicit EarlierEntries(const QString &archivePath);
    ~EarlierEntries();
    EarlierEntries(const EarlierEntries &) = delete;
    EarlierEntries &operator=(const EarlierEntries &) = delete;

    // Why the archive cannot be read at all; empty when it can.
    const QString &Problem() const { return problem_; }

    enum class Verdict {
        Reused,    // stored holds the earlier entry's bytes, to be copied as they are
        Different, // no such entry, other content, or not protected alike
        Damaged,   // the entry should hold content, but its data fails a check (damage says which)
    };
    // Whether the entry of this name holds content (whose CRC-32 is crc), deflated and, exactly when
    // password is not empty, encrypted with that password (WinZip AES-256).
    // stored is taken from buffers.
    [[nodiscard]] Verdict Match(const QString &entryName, QByteArrayView content, quint32 crc,
                                const QByteArray &password, BufferPool &buffers, QByteArray &stored,
                                QString &damage) const;

    // What the central directory says of an entry this program could have written: deflated, and
    // when encrypted, with WinZip AES-256.
    struct Entry {
        quint64 localHeader;
        quint64 storedSize;
        quint64 size;
        quint32 crc;
        bool encrypted;
    };

private:
    [[nodiscard]] QString ReadCentralDirectory();
    [[nodiscard]] bool ReadStored(const Entry &entry, BufferPool &buffers, QByteArray &stored, QString &damage) const;
    [[nodiscard]] bool ReadAt(quint64 offset, char *data, quint64 size) const;

    QString problem_;
    QHash<QString, Entry> entries_; // by name, as stored
    quint64 centralDirectory_ = 0;  // where the entries' data ends
    int file_ = -1;
};

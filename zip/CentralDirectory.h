#pragma once

#include "Outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The end record and the central directory of a zip archive, as they lie in its file: read to
// reuse an earlier archive's entries (EarlierEntries), and rewritten to add the content records
// to an archive just written (ContentRecord). ZIP64 archives are not read.
namespace CentralDirectory {

constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kEntrySignature = 0x02014b50;
constexpr qsizetype kEndSize = 22;
constexpr qsizetype kEntrySize = 46;

inline quint16 Word(QByteArrayView bytes, qsizetype at)
{
    return quint16(uchar(bytes[at]) | uchar(bytes[at + 1]) << 8);
}
inline quint32 Long(QByteArrayView bytes, qsizetype at) { return Word(bytes, at) | quint32(Word(bytes, at + 2)) << 16; }

// size bytes of the file from offset, or why they could not all be read.
[[nodiscard]] Outcome<void> ReadAt(int file, quint64 offset, char *data, quint64 size);

struct End {
    quint64 at;            // where the end record starts
    quint64 directory;     // where the directory starts
    quint64 directorySize; // and how long it is
    quint16 count;         // how many entries it holds
};
// From the end backwards, as libzip looks: a comment may hold the signature's bytes, so a candidate
// is taken only when the comment it declares ends the file and its directory lies before it, and
// the next one back is tried otherwise.
[[nodiscard]] Outcome<End> FindEnd(int file, quint64 fileSize);

// One entry of the directory: its whole record, and within it the name and the extra field.
struct Entry {
    QByteArrayView record;
    QByteArrayView name;
    QByteArrayView extra;
};
// The entries of the directory, which must hold exactly count of them and nothing after them.
[[nodiscard]] Outcome<QList<Entry>> Entries(QByteArrayView directory, quint16 count);

} // namespace CentralDirectory

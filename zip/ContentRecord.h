#pragma once

#include "Outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <optional>

// A record of this program's own in each entry of a protected archive, in the entry's extra field
// in the central directory (other zip readers skip fields they do not know): a code of the entry's
// content keyed by the password (HMAC-SHA256, under a key derived from the password and the
// record's salt), and the SHA-256 digest of the entry's stored bytes. A later archive copies such an
// entry when its file gives the same code and the stored bytes still give the same digest, without
// deriving the entry's own WinZip AES key (salted per entry, so derived once per entry: 0.38 ms of
// processor each), decrypting or inflating it. The record's key is derived once per salt and
// password, and an archive's new entries take the salt of the records they are written beside.
// The code tells nothing of the content without the password, and guessing the password against it
// costs more than against the entries' own verifier. Plain entries get no record: inflating and
// comparing costs them about what two digests would.
namespace ContentRecord {

constexpr quint16 kFieldId = 0x5A51; // "QZ"
constexpr qsizetype kSaltSize = 16;

struct Record {
    QByteArray salt;
    QByteArray contentCode;  // HMAC-SHA256 of the content
    QByteArray storedDigest; // SHA-256 of the stored bytes
};

// A salt for the records of a new archive.
[[nodiscard]] QByteArray NewSalt();
// The record of content, stored as stored, under password and salt.
[[nodiscard]] Record Make(const QByteArray &password, const QByteArray &salt, QByteArrayView content,
                          QByteArrayView stored);
// Whether content and stored are those the record was made of, under password.
[[nodiscard]] bool Proves(const Record &record, const QByteArray &password, QByteArrayView content,
                          QByteArrayView stored);

// The extra field that holds a record, and the record in an entry's extra fields when one is whole.
[[nodiscard]] QByteArray Field(const Record &record);
[[nodiscard]] std::optional<Record> Find(QByteArrayView extra);

// Adds to the central directory of the archive at path, just written and not yet published, each
// entry's field (by the entry's name as stored). An entry whose extra fields have no room keeps
// none; so does every entry of a ZIP64 archive.
[[nodiscard]] Outcome<void> AddToArchive(const QString &path, const QHash<QByteArray, QByteArray> &fields);

} // namespace ContentRecord

#pragma once

#include "Outcome.h"

#include <QByteArray>
#include <QByteArrayView>

// WinZip AES-256 encryption of one entry's compressed data, as the zip format stores it: a fresh
// random salt, the password verifier, the data in AES-CTR (little-endian counter from 1), and the
// first 10 bytes of an HMAC-SHA1 over the encrypted data. Done by the compression workers, so that
// the key derivation of every entry (PBKDF2, 1,000 rounds) runs on every core.
[[nodiscard]] Outcome<QByteArray> WinZipAes256Encrypt(const QByteArray &data, const QByteArray &password);
// The same with a salt of the caller's (16 bytes), for tests with known answers: an archive never
// takes a salt twice.
[[nodiscard]] Outcome<QByteArray> WinZipAes256EncryptWithSalt(const QByteArray &data, const QByteArray &password,
                                                              QByteArrayView salt);

// The compressed data inside such an entry's stored bytes, once the password verifier and the
// authentication code agree: a verifier that differs means another password, a code that differs
// means the data was changed or damaged since it was written.
struct OpenedAes {
    enum Status { Opened, WrongPassword, Damaged } status;
    QByteArray data;
};
[[nodiscard]] OpenedAes WinZipAes256Decrypt(QByteArrayView blob, const QByteArray &password);

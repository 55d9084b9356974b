#pragma once

#include <QByteArray>

// WinZip AES-256 encryption of one entry's compressed data, as the zip format stores it: a fresh
// random salt, the password verifier, the data in AES-CTR (little-endian counter from 1), and the
// first 10 bytes of an HMAC-SHA1 over the encrypted data. Done by the compression workers, so that
// the key derivation of every entry (PBKDF2, 1,000 rounds) runs on every core. Empty on failure.
[[nodiscard]] QByteArray WinZipAes256Encrypt(const QByteArray &data, const QByteArray &password);

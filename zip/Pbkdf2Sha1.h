#pragma once

#include <QByteArrayView>

// PBKDF2 with HMAC-SHA1, as WinZip AES derives each entry's keys. The HMAC's inner and outer
// SHA-1 states are computed from the password once, and each round resumes them, so that a round
// costs its two SHA-1 compressions and little more: OpenSSL's own PKCS5_PBKDF2_HMAC costs several
// times that, which with thousands of entries was most of an archive's time. On processors with
// the SHA extensions, the output blocks are computed four at a time, side by side.
void Pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, unsigned char *key, qsizetype keySize);

#pragma once

#include <QByteArrayView>

// PBKDF2 with HMAC-SHA1, as WinZip AES derives each entry's keys. The HMAC's inner and outer
// SHA-1 states are computed from the password once, and each round resumes them, so that a round
// costs its two SHA-1 compressions and little more: OpenSSL's own PKCS5_PBKDF2_HMAC costs several
// times that, which with thousands of entries was most of an archive's time. On processors with
// the SHA extensions, the output blocks are computed four at a time, side by side.
void Pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, unsigned char *key, qsizetype keySize);

// The ways of computing the rounds. Pbkdf2HmacSha1 takes the fastest this processor has; tests and
// the benchmark name each, so that both are checked on any machine that can run them.
enum class Pbkdf2Sha1Path {
    Portable,
    ShaExtensions, // four output blocks at a time; what is left of the key goes the portable way
};
[[nodiscard]] bool ProcessorHasShaExtensions();
// False, writing nothing, when this processor cannot take the path.
[[nodiscard]] bool Pbkdf2HmacSha1Using(Pbkdf2Sha1Path path, QByteArrayView password, QByteArrayView salt, int rounds,
                                       unsigned char *key, qsizetype keySize);

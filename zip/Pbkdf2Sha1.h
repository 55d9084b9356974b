#pragma once

#include <QByteArrayView>

// PBKDF2 with HMAC-SHA1, as WinZip AES derives each entry's keys. The HMAC's inner and outer
// SHA-1 states are computed from the password once, and each round resumes them, so that a round
// costs its two SHA-1 compressions and little more: OpenSSL's own PKCS5_PBKDF2_HMAC costs several
// times that, which with thousands of entries was most of an archive's time. The SHA-1 is our own
// (OpenSSL's public digests cannot resume a state), and four output blocks, as many as WinZip
// AES-256 needs, are computed side by side.
void Pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, unsigned char *key, qsizetype keySize);

// The two ways of computing the rounds, which give the same keys: with the SHA extensions of x86
// processors, or in portable code. Pbkdf2HmacSha1 takes the extensions where the processor has
// them; tests and the benchmark name each path, so that both are checked on a machine that has them.
enum class Pbkdf2Sha1Path { Portable, ShaExtensions };
[[nodiscard]] bool ProcessorHasShaExtensions();
// False, writing nothing, when this processor cannot take the path.
[[nodiscard]] bool Pbkdf2HmacSha1Using(Pbkdf2Sha1Path path, QByteArrayView password, QByteArrayView salt, int rounds,
                                       unsigned char *key, qsizetype keySize);

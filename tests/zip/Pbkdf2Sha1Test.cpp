#include "Pbkdf2Sha1.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <openssl/evp.h>

namespace {

QByteArray RandomBytes(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

QByteArray OpenSslPbkdf2(const QByteArray &password, const QByteArray &salt, int rounds, int keySize)
{
    QByteArray key(keySize, '\0');
    const int done = PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                                       reinterpret_cast<const unsigned char *>(salt.constData()), int(salt.size()),
                                       rounds, EVP_sha1(), keySize, reinterpret_cast<unsigned char *>(key.data()));
    return done == 1 ? key : QByteArray();
}

QByteArray OurPbkdf2(const QByteArray &password, const QByteArray &salt, int rounds, int keySize)
{
    QByteArray key(keySize, '\0');
    Pbkdf2HmacSha1(password, salt, rounds, reinterpret_cast<unsigned char *>(key.data()), key.size());
    return key;
}

} // namespace

// Passwords around the SHA-1 block of 64 bytes (a longer HMAC key is hashed first), salts of
// WinZip's sizes and others, one round, two, WinZip's thousand, and key sizes that end inside a
// block (66: WinZip AES-256's two keys and verifier) or on one.
TEST(Pbkdf2Sha1, MatchesOpenSsl)
{
    for (const qsizetype passwordSize : {0, 1, 14, 63, 64, 65, 200}) {
        const QByteArray password = RandomBytes(passwordSize);
        for (const qsizetype saltSize : {0, 8, 16, 55, 64, 100}) {
            const QByteArray salt = RandomBytes(saltSize);
            for (const int rounds : {1, 2, 1000}) {
                for (const int keySize : {1, 19, 20, 21, 66, 80}) {
                    SCOPED_TRACE(testing::Message() << "password " << passwordSize << " bytes, salt " << saltSize
                                                    << " bytes, " << rounds << " rounds, key " << keySize << " bytes");
                    const QByteArray expected = OpenSslPbkdf2(password, salt, rounds, keySize);
                    ASSERT_EQ(expected.size(), keySize);
                    EXPECT_EQ(OurPbkdf2(password, salt, rounds, keySize).toHex(), expected.toHex());
                }
            }
        }
    }
}

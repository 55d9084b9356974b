#include "Pbkdf2Sha1.h"
#include "WinZipAes.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <gtest/gtest.h>
#include <vector>

// Known answers for WinZip AES-256, computed apart from this code, once, with Python 3's hashlib and
// hmac and the cryptography package's AES (the key stream is AES-256-ECB of a 16-byte little-endian
// block counter from 1; `openssl enc -aes-256-ecb -nopad` gave the same first block):
//
//   keys = hashlib.pbkdf2_hmac("sha1", password, salt, 1000, 66)   # AES key, HMAC key, verifier
//   ecb = Cipher(algorithms.AES(keys[:32]), modes.ECB()).encryptor()
//   stream = b"".join(ecb.update((n + 1).to_bytes(16, "little")) for n in range((len(plain) + 15) // 16))
//   encrypted = bytes(p ^ s for p, s in zip(plain, stream))
//   mac = hmac.new(keys[32:64], encrypted, hashlib.sha1).digest()[:10]
namespace {

const QByteArray kPassword = "correct horse battery staple";
const QByteArray kSalt = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
const QByteArray kAesKey = QByteArray::fromHex("00e9bf90e6fff98019dd9c12a2062036ef5f3b583df3ad7a5144f6c7727371ec");
const QByteArray kMacKey = QByteArray::fromHex("dcebbe1607aadfd4f985bbb2944c9fe404ca57cce278ee01d0da2f28b2a6821d");
const QByteArray kVerifier = QByteArray::fromHex("790e");
constexpr qsizetype kSaltSize = 16;
constexpr qsizetype kVerifierSize = 2;
constexpr qsizetype kMacSize = 10;

// Long data is compared by its SHA-256, short data byte for byte.
QByteArray Fingerprint(const QByteArray &bytes)
{
    if (bytes.size() <= 64)
        return bytes.toHex();
    return "sha256:" + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

struct KnownEntry {
    QByteArray plain;
    QByteArray encrypted; // a fingerprint
    QByteArray macHex;
};

// Nothing; a part block after whole ones; more than one chunk of the key stream (65,536 bytes).
std::vector<KnownEntry> KnownEntries()
{
    QByteArray counting(65536 + 37, '\0');
    for (qsizetype i = 0; i < counting.size(); ++i)
        counting[i] = char(i % 251);
    return {
        {"", "", "89da5141f7c4d0812936"},
        {"Attribute VB_Name = \"Module1\"\r\nOption Explicit\r\n\r\n",
         "53e5f4df75d0beba38b5b948ae279e241f909d08031cba080227547c2b8483ffb0b3f4f6b396830f2caf4328f876f5cac7e2",
         "c2433576eebbe77184a0"},
        {counting, "sha256:1b52ab6dfb0f203674d3aa7e585b5e31663f0fca5743a42dab56467acbd85ffb", "e7257c62c437fe9eeb9a"},
    };
}

} // namespace

// WinZip AES-256 takes 66 bytes of PBKDF2 (1,000 rounds): the AES key, the HMAC key, the verifier.
TEST(WinZipAes, KeysAreThoseOfThePasswordAndSalt)
{
    QByteArray keys(66, '\0');
    Pbkdf2HmacSha1(kPassword, kSalt, 1000, reinterpret_cast<unsigned char *>(keys.data()), keys.size());
    EXPECT_EQ(keys.toHex(), (kAesKey + kMacKey + kVerifier).toHex());
}

// The salt, the verifier, the data in counter mode under the AES key, the first 10 bytes of the
// HMAC-SHA1 of the encrypted data under the HMAC key; and it opens again.
TEST(WinZipAes, EncryptsAsWinZipAes256)
{
    for (const KnownEntry &known : KnownEntries()) {
        SCOPED_TRACE(testing::Message() << known.plain.size() << " bytes");
        const Outcome<QByteArray> encrypted = WinZipAes256EncryptWithSalt(known.plain, kPassword, kSalt);
        ASSERT_TRUE(encrypted) << encrypted.error().toStdString();
        const QByteArray &blob = encrypted.value();
        ASSERT_EQ(blob.size(), kSaltSize + kVerifierSize + known.plain.size() + kMacSize);
        EXPECT_EQ(blob.first(kSaltSize).toHex(), kSalt.toHex());
        EXPECT_EQ(blob.sliced(kSaltSize, kVerifierSize).toHex(), kVerifier.toHex());
        EXPECT_EQ(Fingerprint(blob.sliced(kSaltSize + kVerifierSize, known.plain.size())), known.encrypted);
        EXPECT_EQ(blob.last(kMacSize).toHex(), known.macHex);

        const OpenedAes opened = WinZipAes256Decrypt(blob, kPassword);
        EXPECT_EQ(opened.status, OpenedAes::Opened);
        EXPECT_TRUE(opened.data == known.plain);
    }
}

// An entry made apart from this code opens with its password only, and not once a byte changed.
TEST(WinZipAes, OpensOnlyAnIntactEntryWithItsPassword)
{
    const KnownEntry known = KnownEntries().at(1);
    const QByteArray blob =
        kSalt + kVerifier + QByteArray::fromHex(known.encrypted) + QByteArray::fromHex(known.macHex);
    const auto flipped = [&](qsizetype at) {
        QByteArray changed = blob;
        changed[at] = char(changed[at] ^ 0x01);
        return changed;
    };
    struct Case {
        const char *what;
        QByteArray blob;
        QByteArray password;
        OpenedAes::Status status;
    };
    const Case cases[] = {
        {"intact", blob, kPassword, OpenedAes::Opened},
        // Its verifier is c73d, not 790e.
        {"another password", blob, kPassword + "r", OpenedAes::WrongPassword},
        {"a byte of the data changed", flipped(kSaltSize + kVerifierSize + 20), kPassword, OpenedAes::Damaged},
        {"a byte of the code changed", flipped(blob.size() - 1), kPassword, OpenedAes::Damaged},
        {"cut short", blob.first(kSaltSize + kVerifierSize + kMacSize - 1), kPassword, OpenedAes::Damaged},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const OpenedAes opened = WinZipAes256Decrypt(c.blob, c.password);
        EXPECT_EQ(opened.status, c.status);
        EXPECT_EQ(opened.data, c.status == OpenedAes::Opened ? known.plain : QByteArray());
    }
}

TEST(WinZipAes, RefusesASaltOfAnotherSize)
{
    for (const QByteArray &salt : {kSalt.first(15), kSalt + "x"}) {
        const Outcome<QByteArray> encrypted = WinZipAes256EncryptWithSalt("data", kPassword, salt);
        ASSERT_FALSE(encrypted);
        EXPECT_EQ(encrypted.error(), "the salt is not 16 bytes long");
    }
}

#include "Pbkdf2Sha1.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <random>
#include <vector>

namespace {

struct KnownAnswer {
    QByteArray password;
    QByteArray salt;
    int rounds;
    QByteArray keyHex;
};

// Published vectors: RFC 6070, and RFC 3962 (appendix B), whose pass phrases of 64 and 65 bytes
// fill an HMAC block and overflow it (a longer key is hashed first), with outputs of two SHA-1
// blocks. RFC 6070's fourth case, 16,777,216 rounds, is left out: over 10 s a path in a release
// build here, far longer in the sanitized Debug one (both paths gave it once, by hand).
std::vector<KnownAnswer> KnownAnswers()
{
    return {
        {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
        {"password", "salt", 2, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
        {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
        {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
         "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
        {QByteArray("pass\0word", 9), QByteArray("sa\0lt", 5), 4096, "56fa6aa75548099dcc37d7f03425e0c3"},
        {"password", "ATHENA.MIT.EDUraeburn", 1, "cdedb5281bb2f801565a1122b25635150ad1f7a04bb9f3a333ecc0e2e1f70837"},
        {"password", "ATHENA.MIT.EDUraeburn", 2, "01dbee7f4a9e243e988b62c73cda935da05378b93244ec8f48a99e61ad799d86"},
        {"password", "ATHENA.MIT.EDUraeburn", 1200, "5c08eb61fdf71e4e4ec3cf6ba1f5512ba7e52ddbc5e5142f708a31e2e62b1e13"},
        {"password", QByteArray::fromHex("1234567878563412"), 5,
         "d1daa78615f287e6a1c8b120d7062a493f98d203e6be49a6adf4fa574b6e64ee"},
        {QByteArray(64, 'X'), "pass phrase equals block size", 1200,
         "139c30c0966bc32ba55fdbf212530ac9c5ec59f1a452f5cc9ad940fea0598ed1"},
        {QByteArray(65, 'X'), "pass phrase exceeds block size", 1200,
         "9ccad6d468770cd51b10e6a68721be611a8b4d282601db3b36be9246915ec82a"},
        {QByteArray::fromHex("f09d849e"), "EXAMPLE.COMpianist", 50,
         "6b9cf26d45455a43a5b8bb276a403b39e7fe37a0c41e02c281ff3069e1e94f52"},
    };
}

// The same bytes on every run and machine: std::mt19937's sequence is fixed by the standard.
QByteArray SeededBytes(std::mt19937 &generator, qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator() & 0xff);
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

QByteArray OurPbkdf2(const QByteArray &password, const QByteArray &salt, int rounds, qsizetype keySize)
{
    QByteArray key(keySize, '\0');
    Pbkdf2HmacSha1(password, salt, rounds, reinterpret_cast<unsigned char *>(key.data()), key.size());
    return key;
}

// Each path on its own, whichever the processor would take by itself.
class Pbkdf2Sha1PathTest : public testing::TestWithParam<Pbkdf2Sha1Path> {
protected:
    void SetUp() override
    {
        if (GetParam() == Pbkdf2Sha1Path::ShaExtensions && !ProcessorHasShaExtensions())
            GTEST_SKIP() << "this processor has no SHA extensions (no sha_ni in /proc/cpuinfo): only the portable "
                            "path runs here";
    }

    static QByteArray Derive(const QByteArray &password, const QByteArray &salt, int rounds, qsizetype keySize)
    {
        QByteArray key(keySize, '\0');
        EXPECT_TRUE(Pbkdf2HmacSha1Using(GetParam(), password, salt, rounds,
                                        reinterpret_cast<unsigned char *>(key.data()), key.size()));
        return key;
    }
};

} // namespace

// Names the path in the test's name and in its failures.
void PrintTo(Pbkdf2Sha1Path path, std::ostream *out)
{
    *out << (path == Pbkdf2Sha1Path::Portable ? "Portable" : "ShaExtensions");
}

TEST_P(Pbkdf2Sha1PathTest, GivesThePublishedVectors)
{
    for (const KnownAnswer &known : KnownAnswers()) {
        SCOPED_TRACE(testing::Message() << known.password.toHex().constData() << ", " << known.salt.toHex().constData()
                                        << ", " << known.rounds << " rounds");
        EXPECT_EQ(Derive(known.password, known.salt, known.rounds, known.keyHex.size() / 2).toHex(), known.keyHex);
    }
}

// Passwords around the HMAC block of 64 bytes (a longer one is hashed first: 119 and 120 bytes
// are either side of where that hash's padding takes a block of its own), salts of WinZip's sizes
// and others (51 and 52 bytes, with the four of the block number, either side of the same edge),
// key sizes that end inside a block (66: WinZip AES-256's two keys and verifier) or on one, and
// each count of output blocks up to six. The rounds after the first do not depend on these sizes:
// a few more counts of them, up to WinZip's thousand, with fewer sizes.
TEST_P(Pbkdf2Sha1PathTest, MatchesOpenSsl)
{
    std::mt19937 generator(6070);
    struct Case {
        qsizetype passwordSize;
        qsizetype saltSize;
        int rounds;
        int keySize;
    };
    std::vector<Case> cases;
    for (const qsizetype passwordSize : {0, 1, 14, 63, 64, 65, 119, 120, 200})
        for (const qsizetype saltSize : {0, 8, 16, 51, 52, 59, 60, 64, 100})
            for (const int rounds : {1, 2})
                for (const int keySize : {1, 19, 20, 21, 41, 66, 80, 81, 100, 120})
                    cases.push_back({passwordSize, saltSize, rounds, keySize});
    for (const qsizetype passwordSize : {14, 65})
        for (const int rounds : {3, 1000})
            for (const int keySize : {20, 66, 100})
                cases.push_back({passwordSize, 16, rounds, keySize});

    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "password " << c.passwordSize << " bytes, salt " << c.saltSize << " bytes, "
                                        << c.rounds << " rounds, key " << c.keySize << " bytes");
        const QByteArray password = SeededBytes(generator, c.passwordSize);
        const QByteArray salt = SeededBytes(generator, c.saltSize);
        const QByteArray expected = OpenSslPbkdf2(password, salt, c.rounds, c.keySize);
        ASSERT_EQ(expected.size(), c.keySize);
        EXPECT_EQ(Derive(password, salt, c.rounds, c.keySize).toHex(), expected.toHex());
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, Pbkdf2Sha1PathTest,
                         testing::Values(Pbkdf2Sha1Path::Portable, Pbkdf2Sha1Path::ShaExtensions),
                         [](const testing::TestParamInfo<Pbkdf2Sha1Path> &info) {
                             return testing::PrintToString(info.param);
                         });

// The function WinZip AES calls, on the path it takes by itself.
TEST(Pbkdf2Sha1, FastestPathGivesThePublishedVectors)
{
    for (const KnownAnswer &known : KnownAnswers())
        EXPECT_EQ(OurPbkdf2(known.password, known.salt, known.rounds, known.keyHex.size() / 2).toHex(), known.keyHex);
}

#include "WinZipAes.h"

#include "Pbkdf2Sha1.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <memory>

namespace {

constexpr int kSaltSize = 16;
constexpr int kKeySize = 32;
constexpr int kVerifierSize = 2;
constexpr int kMacSize = 10;
constexpr int kRounds = 1000;
constexpr qsizetype kBlock = 16;
constexpr qsizetype kChunkBlocks = 4096;

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// The counter blocks of a chunk, encrypted in one call, make its key stream.
bool XorKeyStream(EVP_CIPHER_CTX *context, QByteArray &data)
{
    QByteArray counters(kChunkBlocks * kBlock, '\0');
    QByteArray stream(kChunkBlocks * kBlock + kBlock, '\0');
    quint64 counter = 1;
    for (qsizetype offset = 0; offset < data.size(); offset += kChunkBlocks * kBlock) {
        const qsizetype length = std::min(kChunkBlocks * kBlock, data.size() - offset);
        const qsizetype blocks = (length + kBlock - 1) / kBlock;
        for (qsizetype block = 0; block < blocks; ++block, ++counter) {
            char *bytes = counters.data() + block * kBlock;
            for (int i = 0; i < 8; ++i)
                bytes[i] = char((counter >> (8 * i)) & 0xff);
        }
        int written = 0;
        if (EVP_EncryptUpdate(context, reinterpret_cast<unsigned char *>(stream.data()), &written,
                              reinterpret_cast<const unsigned char *>(counters.constData()), int(blocks * kBlock))
            != 1)
            return false;
        char *target = data.data() + offset;
        for (qsizetype i = 0; i < length; ++i)
            target[i] = char(target[i] ^ stream.at(i));
    }
    return true;
}

} // namespace

QByteArray WinZipAes256Encrypt(const QByteArray &data, const QByteArray &password)
{
    unsigned char salt[kSaltSize];
    unsigned char keys[2 * kKeySize + kVerifierSize];
    if (RAND_bytes(salt, kSaltSize) != 1)
        return QByteArray();
    Pbkdf2HmacSha1(password, QByteArrayView(salt, kSaltSize), kRounds, keys, sizeof keys);

    CipherContext context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    QByteArray encrypted = data;
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_256_ecb(), nullptr, keys, nullptr) != 1
        || EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1 || !XorKeyStream(context.get(), encrypted))
        return QByteArray();

    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int macLength = 0;
    if (!HMAC(EVP_sha1(), keys + kKeySize, kKeySize, reinterpret_cast<const unsigned char *>(encrypted.constData()),
              size_t(encrypted.size()), mac, &macLength))
        return QByteArray();

    QByteArray blob;
    blob.reserve(kSaltSize + kVerifierSize + encrypted.size() + kMacSize);
    blob.append(reinterpret_cast<const char *>(salt), kSaltSize);
    blob.append(reinterpret_cast<const char *>(keys + 2 * kKeySize), kVerifierSize);
    blob.append(encrypted);
    blob.append(reinterpret_cast<const char *>(mac), kMacSize);
    return blob;
}

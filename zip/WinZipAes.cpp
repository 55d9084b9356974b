#include "WinZipAes.h"

#include "Pbkdf2Sha1.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <memory>
#include <optional>

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

// The keys of one entry: AES key, HMAC key, then the two-byte password verifier.
struct EntryKeys {
    unsigned char bytes[2 * kKeySize + kVerifierSize];
    const unsigned char *cipher() const { return bytes; }
    const unsigned char *mac() const { return bytes + kKeySize; }
    QByteArrayView verifier() const { return QByteArrayView(bytes + 2 * kKeySize, kVerifierSize); }
};

EntryKeys DeriveKeys(const QByteArray &password, QByteArrayView salt)
{
    EntryKeys keys;
    Pbkdf2HmacSha1(password, salt, kRounds, keys.bytes, sizeof keys.bytes);
    return keys;
}

// AES-CTR is its own inverse: the same call encrypts and decrypts.
bool ApplyKeyStream(const EntryKeys &keys, QByteArray &data)
{
    CipherContext context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    return context && EVP_EncryptInit_ex(context.get(), EVP_aes_256_ecb(), nullptr, keys.cipher(), nullptr) == 1
           && EVP_CIPHER_CTX_set_padding(context.get(), 0) == 1 && XorKeyStream(context.get(), data);
}

std::optional<QByteArray> MacOf(const EntryKeys &keys, QByteArrayView encrypted)
{
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned int macLength = 0;
    if (!HMAC(EVP_sha1(), keys.mac(), kKeySize, reinterpret_cast<const unsigned char *>(encrypted.data()),
              size_t(encrypted.size()), mac, &macLength))
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(mac), kMacSize);
}

} // namespace

Outcome<QByteArray> WinZipAes256Encrypt(const QByteArray &data, const QByteArray &password)
{
    unsigned char salt[kSaltSize];
    if (RAND_bytes(salt, kSaltSize) != 1)
        return Outcome<QByteArray>::failure(QStringLiteral("no random salt could be drawn"));
    return WinZipAes256EncryptWithSalt(data, password, QByteArrayView(salt, kSaltSize));
}

Outcome<QByteArray> WinZipAes256EncryptWithSalt(const QByteArray &data, const QByteArray &password, QByteArrayView salt)
{
    if (salt.size() != kSaltSize)
        return Outcome<QByteArray>::failure(QStringLiteral("the salt is not %1 bytes long").arg(kSaltSize));
    const EntryKeys keys = DeriveKeys(password, salt);
    QByteArray encrypted = data;
    if (!ApplyKeyStream(keys, encrypted))
        return Outcome<QByteArray>::failure(QStringLiteral("the AES cipher failed"));
    const std::optional<QByteArray> mac = MacOf(keys, encrypted);
    if (!mac)
        return Outcome<QByteArray>::failure(QStringLiteral("the authentication code could not be computed"));

    QByteArray blob;
    blob.reserve(kSaltSize + kVerifierSize + encrypted.size() + kMacSize);
    blob.append(salt);
    blob.append(keys.verifier());
    blob.append(encrypted);
    blob.append(*mac);
    return Outcome<QByteArray>::success(blob);
}

OpenedAes WinZipAes256Decrypt(QByteArrayView blob, const QByteArray &password)
{
    if (blob.size() < kSaltSize + kVerifierSize + kMacSize)
        return {OpenedAes::Damaged, {}};
    const EntryKeys keys = DeriveKeys(password, blob.first(kSaltSize));
    if (keys.verifier() != blob.sliced(kSaltSize, kVerifierSize))
        return {OpenedAes::WrongPassword, {}};
    const QByteArrayView encrypted =
        blob.sliced(kSaltSize + kVerifierSize, blob.size() - kSaltSize - kVerifierSize - kMacSize);
    const std::optional<QByteArray> mac = MacOf(keys, encrypted);
    if (!mac || *mac != blob.last(kMacSize))
        return {OpenedAes::Damaged, {}};
    QByteArray data = encrypted.toByteArray();
    if (!ApplyKeyStream(keys, data))
        return {OpenedAes::Damaged, {}};
    return {OpenedAes::Opened, data};
}

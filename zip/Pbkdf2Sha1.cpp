#include "Pbkdf2Sha1.h"

// SHA1_Init, SHA1_Transform and SHA_CTX are deprecated in OpenSSL 3 in favour of EVP, but copying
// an EVP digest context goes through the provider layer: a derivation built on EVP_MD_CTX_copy_ex
// took twice as long as this one here.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <algorithm>
#include <array>

namespace {

constexpr int kBlockSize = 64;

using Digest = std::array<unsigned char, SHA_DIGEST_LENGTH>;

struct HmacStates {
    SHA_CTX inner;
    SHA_CTX outer;
};

// A key longer than a SHA-1 block is hashed first; a shorter one is padded with zeros.
HmacStates KeyedStates(QByteArrayView password)
{
    std::array<unsigned char, kBlockSize> key{};
    const auto *bytes = reinterpret_cast<const unsigned char *>(password.data());
    if (password.size() > kBlockSize)
        SHA1(bytes, size_t(password.size()), key.data());
    else
        std::copy(bytes, bytes + password.size(), key.begin());

    std::array<unsigned char, kBlockSize> innerPad;
    std::array<unsigned char, kBlockSize> outerPad;
    for (int i = 0; i < kBlockSize; ++i) {
        innerPad[i] = key[i] ^ 0x36;
        outerPad[i] = key[i] ^ 0x5c;
    }
    HmacStates states;
    SHA1_Init(&states.inner);
    SHA1_Update(&states.inner, innerPad.data(), innerPad.size());
    SHA1_Init(&states.outer);
    SHA1_Update(&states.outer, outerPad.data(), outerPad.size());
    return states;
}

// The HMAC of a message that the inner state has taken.
Digest Finish(const HmacStates &states, SHA_CTX inner)
{
    Digest digest;
    SHA1_Final(digest.data(), &inner);
    SHA_CTX outer = states.outer;
    SHA1_Update(&outer, digest.data(), digest.size());
    SHA1_Final(digest.data(), &outer);
    return digest;
}

// Each round hashes one digest after a key block, always 84 bytes: the SHA-1 padding of its
// second block is the same every time, so that each hash is one compression from a keyed state.
class RoundBlock {
public:
    RoundBlock()
    {
        block_.fill(0);
        block_[SHA_DIGEST_LENGTH] = 0x80;
        constexpr int kBits = 8 * (kBlockSize + SHA_DIGEST_LENGTH);
        block_[kBlockSize - 2] = kBits >> 8;
        block_[kBlockSize - 1] = kBits & 0xff;
    }

    Digest Hmac(const HmacStates &states, const Digest &previous)
    {
        std::copy(previous.begin(), previous.end(), block_.begin());
        SHA_CTX inner = states.inner;
        SHA1_Transform(&inner, block_.data());
        WriteDigest(inner, block_.data());
        SHA_CTX outer = states.outer;
        SHA1_Transform(&outer, block_.data());
        Digest digest;
        WriteDigest(outer, digest.data());
        return digest;
    }

private:
    static void WriteDigest(const SHA_CTX &state, unsigned char *out)
    {
        for (const SHA_LONG word : {state.h0, state.h1, state.h2, state.h3, state.h4}) {
            *out++ = static_cast<unsigned char>(word >> 24);
            *out++ = static_cast<unsigned char>(word >> 16);
            *out++ = static_cast<unsigned char>(word >> 8);
            *out++ = static_cast<unsigned char>(word);
        }
    }

    std::array<unsigned char, kBlockSize> block_;
};

} // namespace

void Pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, unsigned char *key, qsizetype keySize)
{
    const HmacStates states = KeyedStates(password);
    for (quint32 block = 1; keySize > 0; ++block) {
        const unsigned char blockNumber[4] = {
            static_cast<unsigned char>(block >> 24), static_cast<unsigned char>(block >> 16),
            static_cast<unsigned char>(block >> 8), static_cast<unsigned char>(block)};
        SHA_CTX first = states.inner;
        SHA1_Update(&first, salt.data(), size_t(salt.size()));
        SHA1_Update(&first, blockNumber, sizeof blockNumber);
        Digest u = Finish(states, first);
        Digest sum = u;
        RoundBlock roundBlock;
        for (int round = 1; round < rounds; ++round) {
            u = roundBlock.Hmac(states, u);
            for (size_t i = 0; i < sum.size(); ++i)
                sum[i] ^= u[i];
        }
        const qsizetype taken = std::min<qsizetype>(keySize, qsizetype(sum.size()));
        std::copy(sum.begin(), sum.begin() + taken, key);
        key += taken;
        keySize -= taken;
    }
}

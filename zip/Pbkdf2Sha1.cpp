#include "Pbkdf2Sha1.h"

// SHA1_Init, SHA1_Transform and SHA_CTX are deprecated in OpenSSL 3 in favour of EVP, but copying
// an EVP digest context goes through the provider layer: a derivation built on EVP_MD_CTX_copy_ex
// took twice as long as this one here.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <QtEndian>
#include <algorithm>
#include <array>
#include <utility>

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

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

#if defined(__x86_64__)

// The rounds of four output blocks at once with the SHA extensions of x86 processors: one
// compression is a chain of dependent instructions, so independent ones run side by side (four
// took 0.22 ms per derivation here, two 0.33, OpenSSL's SHA1_Transform alone 0.28). Each round's
// message is a digest (five words) and the fixed padding of an 84-byte message.
#define QUENZAR_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

struct ShaState {
    __m128i abcd; // A in the highest lane, as the instructions take it
    __m128i e;    // E in the highest lane
};

QUENZAR_SHA_TARGET ShaState ToSha(const SHA_CTX &context)
{
    return {_mm_set_epi32(int(context.h0), int(context.h1), int(context.h2), int(context.h3)),
            _mm_set_epi32(int(context.h4), 0, 0, 0)};
}

template <int Function>
QUENZAR_SHA_TARGET inline __m128i FourRounds(__m128i abcd, __m128i e)
{
    return _mm_sha1rnds4_epu32(abcd, e, Function);
}

// Groups of four rounds alternate between the two E registers; the message schedule runs three
// groups ahead. The first group is the caller's.
template <int Group, int Lanes>
QUENZAR_SHA_TARGET inline void FourRoundsOfLanes(__m128i (&abcd)[Lanes], __m128i (&e0)[Lanes], __m128i (&e1)[Lanes],
                                                 __m128i (&message)[Lanes][4])
{
    for (int lane = 0; lane < Lanes; ++lane) {
        __m128i(&m)[4] = message[lane];
        __m128i &current = Group % 2 ? e1[lane] : e0[lane];
        __m128i &other = Group % 2 ? e0[lane] : e1[lane];
        current = _mm_sha1nexte_epu32(current, m[Group % 4]);
        other = abcd[lane];
        if constexpr (Group >= 3 && Group <= 18)
            m[(Group + 1) % 4] = _mm_sha1msg2_epu32(m[(Group + 1) % 4], m[Group % 4]);
        abcd[lane] = FourRounds<Group / 5>(abcd[lane], current);
        if constexpr (Group <= 16)
            m[(Group + 3) % 4] = _mm_sha1msg1_epu32(m[(Group + 3) % 4], m[Group % 4]);
        if constexpr (Group >= 2 && Group <= 17)
            m[(Group + 2) % 4] = _mm_xor_si128(m[(Group + 2) % 4], m[Group % 4]);
    }
}

template <int Lanes, int... Groups>
QUENZAR_SHA_TARGET inline void AllGroups(std::integer_sequence<int, Groups...>, __m128i (&abcd)[Lanes],
                                         __m128i (&e0)[Lanes], __m128i (&e1)[Lanes], __m128i (&message)[Lanes][4])
{
    (FourRoundsOfLanes<Groups + 1, Lanes>(abcd, e0, e1, message), ...);
}

// Compresses the 84-byte-message block of each lane (its first five words given) from the keyed
// state; gives the digests as five words each.
template <int Lanes>
QUENZAR_SHA_TARGET void CompressDigests(const ShaState &keyed, std::array<quint32, 5> (&words)[Lanes])
{
    constexpr int kBits = 8 * (kBlockSize + SHA_DIGEST_LENGTH);
    __m128i abcd[Lanes], e0[Lanes], e1[Lanes], message[Lanes][4];
    for (int lane = 0; lane < Lanes; ++lane) {
        const auto &w = words[lane];
        message[lane][0] = _mm_set_epi32(int(w[0]), int(w[1]), int(w[2]), int(w[3]));
        message[lane][1] = _mm_set_epi32(int(w[4]), int(0x80000000u), 0, 0);
        message[lane][2] = _mm_setzero_si128();
        message[lane][3] = _mm_set_epi32(0, 0, 0, kBits);
        abcd[lane] = keyed.abcd;
        e0[lane] = _mm_add_epi32(keyed.e, message[lane][0]);
        e1[lane] = abcd[lane];
        abcd[lane] = FourRounds<0>(abcd[lane], e0[lane]);
    }
    AllGroups<Lanes>(std::make_integer_sequence<int, 19>(), abcd, e0, e1, message);
    for (int lane = 0; lane < Lanes; ++lane) {
        const __m128i e = _mm_sha1nexte_epu32(e0[lane], keyed.e);
        const __m128i sum = _mm_add_epi32(abcd[lane], keyed.abcd);
        words[lane] = {quint32(_mm_extract_epi32(sum, 3)), quint32(_mm_extract_epi32(sum, 2)),
                       quint32(_mm_extract_epi32(sum, 1)), quint32(_mm_extract_epi32(sum, 0)),
                       quint32(_mm_extract_epi32(e, 3))};
    }
}

// The rounds after the first of four output blocks at once; u holds each block's first HMAC and
// becomes its sum.
QUENZAR_SHA_TARGET void RoundsWithShaExtensions(const HmacStates &states, int rounds, std::array<quint32, 5> (&u)[4])
{
    const ShaState inner = ToSha(states.inner);
    const ShaState outer = ToSha(states.outer);
    std::array<quint32, 5> sum[4] = {u[0], u[1], u[2], u[3]};
    for (int round = 1; round < rounds; ++round) {
        CompressDigests<4>(inner, u);
        CompressDigests<4>(outer, u);
        for (int lane = 0; lane < 4; ++lane) {
            for (int i = 0; i < 5; ++i)
                sum[lane][i] ^= u[lane][i];
        }
    }
    for (int lane = 0; lane < 4; ++lane)
        u[lane] = sum[lane];
}

#endif

// The first HMAC of output block number block: over the salt and the block's number.
Digest FirstHmac(const HmacStates &states, QByteArrayView salt, quint32 block)
{
    const unsigned char blockNumber[4] = {static_cast<unsigned char>(block >> 24),
                                          static_cast<unsigned char>(block >> 16),
                                          static_cast<unsigned char>(block >> 8), static_cast<unsigned char>(block)};
    SHA_CTX first = states.inner;
    SHA1_Update(&first, salt.data(), size_t(salt.size()));
    SHA1_Update(&first, blockNumber, sizeof blockNumber);
    return Finish(states, first);
}

Digest RoundsWithOpenSsl(const HmacStates &states, int rounds, Digest u)
{
    Digest sum = u;
    RoundBlock roundBlock;
    for (int round = 1; round < rounds; ++round) {
        u = roundBlock.Hmac(states, u);
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] ^= u[i];
    }
    return sum;
}

void Append(const Digest &block, unsigned char *&key, qsizetype &keySize)
{
    const qsizetype taken = std::min<qsizetype>(keySize, qsizetype(block.size()));
    std::copy(block.begin(), block.begin() + taken, key);
    key += taken;
    keySize -= taken;
}

} // namespace

bool ProcessorHasShaExtensions()
{
#if defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    static const bool have = __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) && (ebx & (1u << 29));
    return have;
#else
    return false;
#endif
}

bool Pbkdf2HmacSha1Using(Pbkdf2Sha1Path path, QByteArrayView password, QByteArrayView salt, int rounds,
                         unsigned char *key, qsizetype keySize)
{
    if (path == Pbkdf2Sha1Path::ShaExtensions && !ProcessorHasShaExtensions())
        return false;
    const HmacStates states = KeyedStates(password);
    quint32 block = 1;
#if defined(__x86_64__)
    // Four output blocks at a time (WinZip AES-256 needs 66 bytes: four blocks); what is left goes
    // the common way.
    for (; path == Pbkdf2Sha1Path::ShaExtensions && keySize > 3 * SHA_DIGEST_LENGTH; block += 4) {
        std::array<quint32, 5> u[4];
        for (int lane = 0; lane < 4; ++lane) {
            const Digest first = FirstHmac(states, salt, block + quint32(lane));
            for (int i = 0; i < 5; ++i)
                u[lane][i] = qFromBigEndian<quint32>(first.data() + 4 * i);
        }
        RoundsWithShaExtensions(states, rounds, u);
        for (const auto &words : u) {
            Digest digest;
            for (int i = 0; i < 5; ++i)
                qToBigEndian(words[i], digest.data() + 4 * i);
            Append(digest, key, keySize);
        }
    }
#endif
    for (; keySize > 0; ++block)
        Append(RoundsWithOpenSsl(states, rounds, FirstHmac(states, salt, block)), key, keySize);
    return true;
}

void Pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, unsigned char *key, qsizetype keySize)
{
    const Pbkdf2Sha1Path fastest =
        ProcessorHasShaExtensions() ? Pbkdf2Sha1Path::ShaExtensions : Pbkdf2Sha1Path::Portable;
    (void)Pbkdf2HmacSha1Using(fastest, password, salt, rounds, key, keySize);
}

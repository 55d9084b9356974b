#include "Pbkdf2Sha1.h"

// SHA-1 is our own here, a chaining state of five words that each round resumes: OpenSSL's public
// digests cannot start from a given state, and copying an EVP digest context goes through the
// provider layer (a derivation built on EVP_MD_CTX_copy_ex took twice as long as this one).

#include <QVarLengthArray>
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
constexpr int kDigestSize = 20;
// Output blocks computed side by side: WinZip AES-256 needs 66 bytes, four blocks.
constexpr int kLanes = 4;
// Each round hashes a digest after a key block, 84 bytes: the padding is the same every time, so
// that each hash is one compression from a keyed state.
constexpr quint32 kRoundMessageBits = 8 * (kBlockSize + kDigestSize);

// A SHA-1 chaining state, or a digest, as five words of a kind: one 32-bit word, or several side
// by side, each lane a hash of its own.
template <typename Word>
using StateOf = std::array<Word, 5>;
template <typename Word>
using BlockOf = std::array<Word, 16>;
using State = StateOf<quint32>;
// The states of the output blocks computed side by side.
using LaneStates = std::array<State, kLanes>;

constexpr State kInitialState = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};

template <typename Word>
inline Word Splat(quint32 value)
{
    return Word{} + value;
}

template <int Bits, typename Word>
inline Word RotateLeft(Word word)
{
    return (word << Bits) | (word >> (32 - Bits));
}

// Step T of the eighty of a compression; the message schedule is computed in place, sixteen
// words ahead.
template <int T, typename Word>
[[gnu::always_inline]] inline void Step(Word &a, Word &b, Word &c, Word &d, Word &e, BlockOf<Word> &w)
{
    if constexpr (T >= 16)
        w[T % 16] = RotateLeft<1>(w[(T + 13) % 16] ^ w[(T + 8) % 16] ^ w[(T + 2) % 16] ^ w[T % 16]);
    Word f;
    quint32 k;
    if constexpr (T < 20) {
        f = d ^ (b & (c ^ d));
        k = 0x5a827999;
    } else if constexpr (T < 40) {
        f = b ^ c ^ d;
        k = 0x6ed9eba1;
    } else if constexpr (T < 60) {
        f = (b & c) | (d & (b | c));
        k = 0x8f1bbcdc;
    } else {
        f = b ^ c ^ d;
        k = 0xca62c1d6;
    }
    const Word next = RotateLeft<5>(a) + f + e + k + w[T % 16];
    e = d;
    d = c;
    c = RotateLeft<30>(b);
    b = a;
    a = next;
}

template <typename Word, int... T>
[[gnu::always_inline]] inline void Steps(std::integer_sequence<int, T...>, StateOf<Word> &v, BlockOf<Word> &w)
{
    (Step<T>(v[0], v[1], v[2], v[3], v[4], w), ...);
}

// One SHA-1 compression of a block of sixteen big-endian words, written out step by step so that
// the words of a block that are constants stay constants.
template <typename Word>
[[gnu::always_inline]] inline void Compress(StateOf<Word> &state, BlockOf<Word> block)
{
    StateOf<Word> v = state;
    Steps(std::make_integer_sequence<int, 80>(), v, block);
    for (int i = 0; i < 5; ++i)
        state[i] += v[i];
}

BlockOf<quint32> BlockWords(const unsigned char *bytes)
{
    BlockOf<quint32> words;
    for (int i = 0; i < 16; ++i)
        words[i] = qFromBigEndian<quint32>(bytes + 4 * i);
    return words;
}

std::array<unsigned char, kDigestSize> DigestBytes(const State &digest)
{
    std::array<unsigned char, kDigestSize> bytes;
    for (int i = 0; i < 5; ++i)
        qToBigEndian(digest[i], bytes.data() + 4 * i);
    return bytes;
}

// The SHA-1 of a message after the `before` bytes (whole blocks) that state has taken.
State Sha1(State state, qsizetype before, QByteArrayView message)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(message.data());
    qsizetype offset = 0;
    for (; message.size() - offset >= kBlockSize; offset += kBlockSize)
        Compress(state, BlockWords(bytes + offset));
    // The rest, then 0x80, zeros and the length in bits: one block, or two when no room is left.
    std::array<unsigned char, 2 * kBlockSize> tail{};
    const qsizetype rest = message.size() - offset;
    std::copy(bytes + offset, bytes + message.size(), tail.begin());
    tail[rest] = 0x80;
    const int tailSize = rest < kBlockSize - 8 ? kBlockSize : 2 * kBlockSize;
    qToBigEndian(quint64(before + message.size()) * 8, tail.data() + tailSize - 8);
    for (int block = 0; block < tailSize; block += kBlockSize)
        Compress(state, BlockWords(tail.data() + block));
    return state;
}

// The hash of a digest after a key block, from the state the key block left.
template <typename Word>
inline StateOf<Word> HashOfDigest(const StateOf<Word> &keyed, const StateOf<Word> &digest)
{
    BlockOf<Word> block = {digest[0], digest[1], digest[2], digest[3], digest[4]}; // then zeros
    block[5] = Splat<Word>(0x80000000);
    block[15] = Splat<Word>(kRoundMessageBits);
    StateOf<Word> state = keyed;
    Compress(state, block);
    return state;
}

struct HmacStates {
    State inner;
    State outer;
};

// A key longer than a SHA-1 block is hashed first; a shorter one is padded with zeros.
HmacStates KeyedStates(QByteArrayView password)
{
    std::array<unsigned char, kBlockSize> key{};
    if (password.size() > kBlockSize) {
        const std::array<unsigned char, kDigestSize> hashed = DigestBytes(Sha1(kInitialState, 0, password));
        std::copy(hashed.begin(), hashed.end(), key.begin());
    } else {
        std::copy(password.begin(), password.end(), key.begin());
    }
    BlockOf<quint32> innerPad = BlockWords(key.data());
    BlockOf<quint32> outerPad = innerPad;
    for (int i = 0; i < 16; ++i) {
        innerPad[i] ^= 0x36363636;
        outerPad[i] ^= 0x5c5c5c5c;
    }
    HmacStates states{kInitialState, kInitialState};
    Compress(states.inner, innerPad);
    Compress(states.outer, outerPad);
    return states;
}

// The first HMAC of output block number block: over the salt and the block's number.
State FirstHmac(const HmacStates &states, QByteArrayView salt, quint32 block)
{
    QVarLengthArray<char, 128> message(salt.begin(), salt.end());
    message.resize(salt.size() + 4);
    qToBigEndian(block, message.data() + salt.size());
    return HashOfDigest(states.outer, Sha1(states.inner, kBlockSize, QByteArrayView(message)));
}

// A word of each lane in one of the compiler's generic vectors, which become SSE2 registers on
// x86-64, NEON on ARM, plain words elsewhere.
typedef quint32 FourWords __attribute__((vector_size(16)));
static_assert(sizeof(FourWords) == kLanes * sizeof(quint32));

// The rounds after the first, in portable code. first holds each output block's first HMAC; gives
// each block's sum of all its HMACs, that block of the key.
LaneStates PortableRounds(const HmacStates &states, int rounds, const LaneStates &first)
{
    StateOf<FourWords> inner, outer, u;
    for (int i = 0; i < 5; ++i) {
        inner[i] = Splat<FourWords>(states.inner[i]);
        outer[i] = Splat<FourWords>(states.outer[i]);
        u[i] = FourWords{first[0][i], first[1][i], first[2][i], first[3][i]};
    }
    StateOf<FourWords> sum = u;
    for (int round = 1; round < rounds; ++round) {
        u = HashOfDigest(outer, HashOfDigest(inner, u));
        for (int i = 0; i < 5; ++i)
            sum[i] ^= u[i];
    }
    LaneStates sums;
    for (int lane = 0; lane < kLanes; ++lane) {
        for (int i = 0; i < 5; ++i)
            sums[lane][i] = sum[i][lane];
    }
    return sums;
}

#if defined(__x86_64__)

// The rounds with the SHA extensions of x86 processors: one compression is a chain of dependent
// instructions, so that the lanes' compressions run side by side (bench/README.md has the figures:
// on some processors the portable lanes are as fast). Each round's message is a digest (five
// words) and the fixed padding of an 84-byte message.
#define QUENZAR_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

struct ShaState {
    __m128i abcd; // A in the highest lane, as the instructions take it
    __m128i e;    // E in the highest lane
};

QUENZAR_SHA_TARGET ShaState ToSha(const State &state)
{
    return {_mm_set_epi32(int(state[0]), int(state[1]), int(state[2]), int(state[3])),
            _mm_set_epi32(int(state[4]), 0, 0, 0)};
}

QUENZAR_SHA_TARGET State FromSha(const ShaState &state)
{
    return {quint32(_mm_extract_epi32(state.abcd, 3)), quint32(_mm_extract_epi32(state.abcd, 2)),
            quint32(_mm_extract_epi32(state.abcd, 1)), quint32(_mm_extract_epi32(state.abcd, 0)),
            quint32(_mm_extract_epi32(state.e, 3))};
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

// The hash of each lane's digest after a key block, from the state the key block left: one
// compression, the digests kept in the registers as the instructions take them from one round to
// the next (E's lower words are zero: the message's padding word goes beside it).
template <int Lanes>
QUENZAR_SHA_TARGET void HashDigests(const ShaState &keyed, ShaState (&digests)[Lanes])
{
    __m128i abcd[Lanes], e0[Lanes], e1[Lanes], message[Lanes][4];
    for (int lane = 0; lane < Lanes; ++lane) {
        message[lane][0] = digests[lane].abcd;
        message[lane][1] = _mm_or_si128(digests[lane].e, _mm_set_epi32(0, int(0x80000000u), 0, 0));
        message[lane][2] = _mm_setzero_si128();
        message[lane][3] = _mm_set_epi32(0, 0, 0, int(kRoundMessageBits));
        abcd[lane] = keyed.abcd;
        e0[lane] = _mm_add_epi32(keyed.e, message[lane][0]);
        e1[lane] = abcd[lane];
        abcd[lane] = FourRounds<0>(abcd[lane], e0[lane]);
    }
    AllGroups<Lanes>(std::make_integer_sequence<int, 19>(), abcd, e0, e1, message);
    for (int lane = 0; lane < Lanes; ++lane)
        digests[lane] = {_mm_add_epi32(abcd[lane], keyed.abcd), _mm_sha1nexte_epu32(e0[lane], keyed.e)};
}

// The rounds after the first, as PortableRounds computes them.
QUENZAR_SHA_TARGET LaneStates RoundsWithShaExtensions(const HmacStates &states, int rounds, const LaneStates &first)
{
    const ShaState inner = ToSha(states.inner);
    const ShaState outer = ToSha(states.outer);
    ShaState u[kLanes], sum[kLanes];
    for (int lane = 0; lane < kLanes; ++lane)
        u[lane] = sum[lane] = ToSha(first[lane]);
    for (int round = 1; round < rounds; ++round) {
        HashDigests<kLanes>(inner, u);
        HashDigests<kLanes>(outer, u);
        for (int lane = 0; lane < kLanes; ++lane)
            sum[lane] = {_mm_xor_si128(sum[lane].abcd, u[lane].abcd), _mm_xor_si128(sum[lane].e, u[lane].e)};
    }
    LaneStates sums;
    for (int lane = 0; lane < kLanes; ++lane)
        sums[lane] = FromSha(sum[lane]);
    return sums;
}

#endif

LaneStates Rounds(Pbkdf2Sha1Path path, const HmacStates &states, int rounds, const LaneStates &first)
{
#if defined(__x86_64__)
    if (path == Pbkdf2Sha1Path::ShaExtensions)
        return RoundsWithShaExtensions(states, rounds, first);
#endif
    Q_UNUSED(path);
    return PortableRounds(states, rounds, first);
}

void Append(const State &block, unsigned char *&key, qsizetype &keySize)
{
    const std::array<unsigned char, kDigestSize> bytes = DigestBytes(block);
    const qsizetype taken = std::min<qsizetype>(keySize, kDigestSize);
    std::copy(bytes.begin(), bytes.begin() + taken, key);
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
    // A key of fewer blocks leaves lanes unused; WinZip's fills them all.
    for (quint32 block = 1; keySize > 0; block += kLanes) {
        LaneStates first;
        for (int lane = 0; lane < kLanes; ++lane)
            first[lane] = FirstHmac(states, salt, block + quint32(lane));
        for (const State &sum : Rounds(path, states, rounds, first))
            Append(sum, key, keySize);
    }
    return true;
}

void Pbkdf2HmacSha1(QByteArrayView password, QByteArrayView salt, int rounds, unsigned char *key, qsizetype keySize)
{
    const Pbkdf2Sha1Path fastest =
        ProcessorHasShaExtensions() ? Pbkdf2Sha1Path::ShaExtensions : Pbkdf2Sha1Path::Portable;
    (void)Pbkdf2HmacSha1Using(fastest, password, salt, rounds, key, keySize);
}

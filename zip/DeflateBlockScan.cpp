#include "DeflateBlockScan.h"

#include <QtEndian>
#include <array>
#include <vector>

namespace {

constexpr int kMaxCodeLength = 15;
constexpr int kLiteralLengthSymbols = 288;
constexpr int kDistanceSymbols = 32;
constexpr int kEndOfBlock = 256;

constexpr std::array<quint8, 29> kLengthExtraBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<quint8, 30> kDistanceExtraBits = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block gives the lengths of the code-length code.
constexpr std::array<quint8, 19> kCodeLengthOrder = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// Reads past the end as zeros; the caller checks overrun() where it matters.
class BitReader {
public:
    explicit BitReader(QByteArrayView bytes) : bytes_(bytes) {}

    quint32 Peek(int count) const
    {
        const qsizetype byte = position_ / 8;
        quint64 window = 0;
        if (byte + 8 <= bytes_.size()) {
            window = qFromLittleEndian<quint64>(bytes_.data() + byte);
        } else {
            for (qsizetype i = byte; i < bytes_.size(); ++i)
                window |= quint64(quint8(bytes_[i])) << (8 * (i - byte));
        }
        return quint32(window >> (position_ % 8)) & ((1u << count) - 1);
    }
    void Skip(qint64 count) { position_ += count; }
    quint32 Read(int count)
    {
        const quint32 value = Peek(count);
        Skip(count);
        return value;
    }
    void AlignToByte() { position_ = (position_ + 7) / 8 * 8; }
    qint64 position() const { return position_; }
    bool overrun() const { return position_ > 8 * qint64(bytes_.size()); }

private:
    QByteArrayView bytes_;
    qint64 position_ = 0;
};

// A canonical Huffman code, decoded by one look-up of its longest code's length in bits.
class HuffmanCode {
public:
    // False when the lengths over-subscribe the code; an incomplete code is taken, and its unused
    // bit patterns fail to decode.
    bool Build(const quint8 *lengths, int symbols)
    {
        std::array<int, kMaxCodeLength + 1> count{};
        for (int symbol = 0; symbol < symbols; ++symbol)
            ++count[lengths[symbol]];
        count[0] = 0;
        int left = 1;
        maxLength_ = 0;
        std::array<int, kMaxCodeLength + 1> next{};
        for (int length = 1, code = 0; length <= kMaxCodeLength; ++length) {
            left = 2 * left - count[length];
            if (left < 0)
                return false;
            code = (code + count[length - 1]) << 1;
            next[length] = code;
            if (count[length])
                maxLength_ = length;
        }
        entries_.assign(size_t(1) << maxLength_, 0);
        for (int symbol = 0; symbol < symbols; ++symbol) {
            const int length = lengths[symbol];
            if (!length)
                continue;
            // Deflate sends a code's bits from its most significant one: the look-up index is reversed.
            const int code = next[length]++;
            int reversed = 0;
            for (int bit = 0; bit < length; ++bit)
                reversed |= ((code >> bit) & 1) << (length - 1 - bit);
            for (size_t index = size_t(reversed); index < entries_.size(); index += size_t(1) << length)
                entries_[index] = quint16(symbol << 4 | length);
        }
        return true;
    }

    // The next symbol, or -1 for bits that are no code.
    int Decode(BitReader &bits) const
    {
        const quint16 entry = entries_[bits.Peek(maxLength_)];
        if (!(entry & 0xf))
            return -1;
        bits.Skip(entry & 0xf);
        return entry >> 4;
    }

private:
    std::vector<quint16> entries_;
    int maxLength_ = 0;
};

struct BlockCodes {
    HuffmanCode literalLength;
    HuffmanCode distance;
};

// The fixed codes of a block of type 1, which the deflate format defines.
const BlockCodes &FixedCodes()
{
    static const BlockCodes codes = [] {
        BlockCodes fixed;
        std::array<quint8, kLiteralLengthSymbols> literalLength{};
        std::fill(literalLength.begin(), literalLength.begin() + 144, 8);
        std::fill(literalLength.begin() + 144, literalLength.begin() + 256, 9);
        std::fill(literalLength.begin() + 256, literalLength.begin() + 280, 7);
        std::fill(literalLength.begin() + 280, literalLength.end(), 8);
        std::array<quint8, kDistanceSymbols> distance;
        distance.fill(5);
        fixed.literalLength.Build(literalLength.data(), kLiteralLengthSymbols);
        fixed.distance.Build(distance.data(), kDistanceSymbols);
        return fixed;
    }();
    return codes;
}

bool ReadDynamicCodes(BitReader &bits, BlockCodes &codes)
{
    const int literalLengthCount = int(bits.Read(5)) + 257;
    const int distanceCount = int(bits.Read(5)) + 1;
    const int codeLengthCount = int(bits.Read(4)) + 4;
    if (literalLengthCount > 286 || distanceCount > 30)
        return false;

    std::array<quint8, 19> codeLengthLengths{};
    for (int i = 0; i < codeLengthCount; ++i)
        codeLengthLengths[kCodeLengthOrder[i]] = quint8(bits.Read(3));
    HuffmanCode codeLengthCode;
    if (!codeLengthCode.Build(codeLengthLengths.data(), 19))
        return false;

    // Both codes' lengths come as one sequence, whose repeats may cross from one to the other.
    std::array<quint8, 286 + 30> lengths{};
    const int total = literalLengthCount + distanceCount;
    for (int i = 0; i < total;) {
        const int symbol = codeLengthCode.Decode(bits);
        if (symbol < 0 || bits.overrun())
            return false;
        if (symbol < 16) {
            lengths[i++] = quint8(symbol);
            continue;
        }
        quint8 repeated = 0;
        int times = 0;
        if (symbol == 16) {
            if (i == 0)
                return false;
            repeated = lengths[i - 1];
            times = 3 + int(bits.Read(2));
        } else if (symbol == 17) {
            times = 3 + int(bits.Read(3));
        } else {
            times = 11 + int(bits.Read(7));
        }
        if (i + times > total)
            return false;
        std::fill(lengths.begin() + i, lengths.begin() + i + times, repeated);
        i += times;
    }
    if (lengths[kEndOfBlock] == 0)
        return false;
    return codes.literalLength.Build(lengths.data(), literalLengthCount)
           && codes.distance.Build(lengths.data() + literalLengthCount, distanceCount);
}

// Runs through the symbols of a Huffman-coded block up to its end-of-block code.
bool SkipSymbols(BitReader &bits, const BlockCodes &codes)
{
    for (;;) {
        const int symbol = codes.literalLength.Decode(bits);
        if (symbol < 0 || bits.overrun())
            return false;
        if (symbol < kEndOfBlock)
            continue;
        if (symbol == kEndOfBlock)
            return true;
        if (symbol - 257 >= int(kLengthExtraBits.size()))
            return false;
        bits.Skip(kLengthExtraBits[size_t(symbol - 257)]);
        const int distance = codes.distance.Decode(bits);
        if (distance < 0 || distance >= int(kDistanceExtraBits.size()))
            return false;
        bits.Skip(kDistanceExtraBits[size_t(distance)]);
    }
}

bool SkipStoredBlock(BitReader &bits)
{
    bits.AlignToByte();
    const quint32 length = bits.Read(16);
    const quint32 complement = bits.Read(16);
    if ((length ^ complement) != 0xffff)
        return false;
    bits.Skip(8 * qint64(length));
    return !bits.overrun();
}

} // namespace

std::optional<DeflateLastBlock> ScanDeflateBlocks(QByteArrayView stream)
{
    BitReader bits(stream);
    BlockCodes dynamic;
    for (;;) {
        const qint64 headerBit = bits.position();
        const bool last = bits.Read(1) != 0;
        bool valid = false;
        switch (bits.Read(2)) {
        case 0:
            valid = SkipStoredBlock(bits);
            break;
        case 1:
            valid = SkipSymbols(bits, FixedCodes());
            break;
        case 2:
            valid = ReadDynamicCodes(bits, dynamic) && SkipSymbols(bits, dynamic);
            break;
        default:
            break;
        }
        if (!valid || bits.overrun())
            return std::nullopt;
        if (last) {
            if ((bits.position() + 7) / 8 != stream.size())
                return std::nullopt;
            return DeflateLastBlock{headerBit, bits.position()};
        }
    }
}

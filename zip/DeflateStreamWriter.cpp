#include "DeflateStreamWriter.h"

#include <QtGlobal>
#include <algorithm>

namespace {

constexpr qsizetype kLargestStoredBlock = 65535;

} // namespace

void DeflateStreamWriter::AppendCompressed(QByteArrayView stream, const DeflateLastBlock &last)
{
    Q_ASSERT(bitsInLastByte_ == 0 && !ended_);
    const qsizetype start = bytes_.size();
    bytes_.append(stream.first((last.endBit + 7) / 8));
    bytes_[start + last.headerBit / 8] &= char(~(1 << (last.headerBit % 8)));
    bitsInLastByte_ = int(last.endBit % 8);
    // The compressor's padding after the block is not ours to keep.
    if (bitsInLastByte_)
        bytes_.back() &= char((1 << bitsInLastByte_) - 1);
}

void DeflateStreamWriter::AppendFinalCompressed(QByteArrayView stream)
{
    Q_ASSERT(bitsInLastByte_ == 0 && !ended_);
    bytes_.append(stream);
    ended_ = true;
}

void DeflateStreamWriter::AppendStored(QByteArrayView data, bool final)
{
    Q_ASSERT(!ended_);
    qsizetype position = 0;
    do {
        const auto length = quint16(std::min(kLargestStoredBlock, data.size() - position));
        const bool last = final && position + length == data.size();
        AppendBits(last ? 1 : 0, 3); // BFINAL, then BTYPE 00: stored
        bitsInLastByte_ = 0;         // stored data starts on a byte, after zero bits
        const quint16 complement = quint16(~length);
        const char header[4] = {char(length & 0xff), char(length >> 8), char(complement & 0xff), char(complement >> 8)};
        bytes_.append(header, sizeof header);
        bytes_.append(data.sliced(position, length));
        position += length;
    } while (position < data.size());
    ended_ = final;
}

QByteArray DeflateStreamWriter::Take()
{
    Q_ASSERT(ended_);
    return std::move(bytes_);
}

void DeflateStreamWriter::AppendBits(quint32 value, int count)
{
    while (count > 0) {
        if (bitsInLastByte_ == 0)
            bytes_.append('\0');
        const int taken = std::min(8 - bitsInLastByte_, count);
        bytes_.back() = char(quint8(bytes_.back()) | ((value & ((1u << taken) - 1)) << bitsInLastByte_));
        value >>= taken;
        count -= taken;
        bitsInLastByte_ = (bitsInLastByte_ + taken) % 8;
    }
}

#pragma once

#include "DeflateBlockScan.h"

#include <QByteArray>
#include <QByteArrayView>

// One deflate stream put together from pieces: whole streams from a compressor, each carried on
// past its last block, and data kept as it is in stored blocks.
class DeflateStreamWriter {
public:
    // A compressor's whole stream, whose last block ScanDeflateBlocks found at last: that block
    // loses its BFINAL bit and this stream goes on right after it, inside its last byte.
    // Starts on a byte: first, or after stored blocks.
    void AppendCompressed(QByteArrayView stream, const DeflateLastBlock &last);
    // A compressor's whole stream, which ends this one as it is. Starts on a byte.
    void AppendFinalCompressed(QByteArrayView stream);
    // Stored blocks of at most 65,535 bytes (one, empty, for no data), starting at the current
    // bit; when final, the last of them ends the stream.
    void AppendStored(QByteArrayView data, bool final);

    // The stream; it must have been ended.
    [[nodiscard]] QByteArray Take();

private:
    void AppendBits(quint32 value, int count);

    QByteArray bytes_;
    int bitsInLastByte_ = 0; // 0: on a byte
    bool ended_ = false;
};

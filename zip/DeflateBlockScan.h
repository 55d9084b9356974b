#pragma once

#include <QByteArrayView>
#include <optional>

// Where the last block of a deflate stream lies, in bits from the start of the stream, counted from
// the least significant bit of each byte as deflate packs them.
struct DeflateLastBlock {
    qint64 headerBit = 0; // its BFINAL bit
    qint64 endBit = 0;    // just past its end-of-block code, or past its bytes when stored
};

// Walks every block of a whole deflate stream, as a compressor made it, to find its last block:
// decodes the block headers, the Huffman tables and each symbol, skipping the extra bits, and
// writes nothing. This lets the stream go on after that block, as one compressor call cannot.
// Empty unless the stream is valid deflate that ends, but for padding, in its last byte.
[[nodiscard]] std::optional<DeflateLastBlock> ScanDeflateBlocks(QByteArrayView stream);

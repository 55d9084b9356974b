#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>
#include <vector>

// zlib and libdeflate's decompressor as the judges of raw deflate streams that the core writes.

// The bytes zlib's inflate makes of a whole raw deflate stream; empty when it fails, or when the
// stream does not end exactly at the end of the bytes.
std::optional<QByteArray> ZlibInflate(QByteArrayView stream, qsizetype expectedSize);
// The same from libdeflate's decompressor, which is stricter about the end.
std::optional<QByteArray> LibdeflateInflate(QByteArrayView stream, qsizetype expectedSize);

// Where zlib finds each block of a raw deflate stream ending, in bits from the start (the
// last one is the final block's end); empty when it fails.
std::vector<qint64> ZlibBlockEnds(QByteArrayView stream, qsizetype expectedSize);

// Test data.
QByteArray RandomBytes(qsizetype size, quint32 seed);
// Lines of Basic code with numbers in them: compresses as source text does.
QByteArray CodeText(qsizetype size, quint32 seed);
// Runs of a few colours, rows often repeated: compresses as drawings do.
QByteArray Drawing(qsizetype size, quint32 seed);

// A deflate stream's bits, numbered as the format packs them.
int BitsAt(QByteArrayView stream, qint64 bit, int count);

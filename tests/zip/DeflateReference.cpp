#include "DeflateReference.h"

#include <QRandomGenerator>
#include <libdeflate.h>
#include <zlib.h>

std::optional<QByteArray> ZlibInflate(QByteArrayView stream, qsizetype expectedSize)
{
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    // One byte of room more than expected, so that too much output shows.
    QByteArray out(expectedSize + 1, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.data()));
    z.avail_in = uInt(stream.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_FINISH);
    const bool whole = result == Z_STREAM_END && z.avail_in == 0;
    out.resize(qsizetype(z.total_out));
    inflateEnd(&z);
    return whole ? std::optional<QByteArray>(out) : std::nullopt;
}

std::optional<QByteArray> LibdeflateInflate(QByteArrayView stream, qsizetype expectedSize)
{
    libdeflate_decompressor *decompressor = libdeflate_alloc_decompressor();
    QByteArray out(expectedSize + 1, '\0');
    size_t consumed = 0;
    size_t produced = 0;
    const libdeflate_result result = libdeflate_deflate_decompress_ex(
        decompressor, stream.data(), size_t(stream.size()), out.data(), size_t(out.size()), &consumed, &produced);
    libdeflate_free_decompressor(decompressor);
    if (result != LIBDEFLATE_SUCCESS || consumed != size_t(stream.size()))
        return std::nullopt;
    out.resize(qsizetype(produced));
    return out;
}

std::vector<qint64> ZlibBlockEnds(QByteArrayView stream, qsizetype expectedSize)
{
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return {};
    QByteArray out(expectedSize + 1, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.data()));
    z.avail_in = uInt(stream.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    std::vector<qint64> ends;
    // Z_BLOCK stops after each block, before the next header, with the bits of the last byte
    // it took that are left in data_type (128: at a block's end).
    for (;;) {
        const int result = inflate(&z, Z_BLOCK);
        if (result == Z_STREAM_END)
            break;
        if (result != Z_OK) {
            ends.clear();
            break;
        }
        if (z.data_type & 128)
            ends.push_back(8 * qint64(z.total_in) - (z.data_type & 7));
    }
    inflateEnd(&z);
    return ends;
}

QByteArray RandomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

QByteArray CodeText(qsizetype size, quint32 seed)
{
    static const char *const words[] = {"Dim",  "As",  "Long",     "String",     "If",       "Then",
                                        "End",  "Sub", "Function", "rsCustomer", "lngTotal", "strName",
                                        "Call", "Set", "Nothing",  "For",        "Next"};
    QRandomGenerator random(seed);
    QByteArray text;
    text.reserve(size + 40);
    while (text.size() < size) {
        text += "    ";
        for (int word = 0, count = 3 + random.bounded(6); word < count; ++word)
            text += QByteArray(words[random.bounded(int(std::size(words)))]) + ' ';
        text += QByteArray::number(random.bounded(1000)) + "\r\n";
    }
    text.truncate(size);
    return text;
}

QByteArray Drawing(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    const QByteArray palette = RandomBytes(3 * 6, seed + 1);
    QByteArray bytes;
    bytes.reserve(size + 1024);
    QByteArray row;
    while (bytes.size() < size) {
        if (row.isEmpty() || random.bounded(10) < 3) {
            row.clear();
            while (row.size() < 384)
                row += palette.mid(3 * random.bounded(6), 3).repeated(1 + random.bounded(40));
            row.truncate(384);
        }
        bytes += row;
    }
    bytes.truncate(size);
    return bytes;
}

int BitsAt(QByteArrayView stream, qint64 bit, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i, ++bit)
        value |= ((quint8(stream[bit / 8]) >> (bit % 8)) & 1) << i;
    return value;
}

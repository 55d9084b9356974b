#include "DeflateBlockScan.h"
#include "DeflateReference.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <set>

namespace {

const QByteArray kLine = "Option Explicit\r\nDim lngTotal As Long\r\nDim strName As String\r\n";

QByteArray Deflate(const QByteArray &data, int level)
{
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(level);
    QByteArray out(qsizetype(libdeflate_deflate_compress_bound(compressor, size_t(data.size()))), '\0');
    out.resize(qsizetype(libdeflate_deflate_compress(compressor, data.constData(), size_t(data.size()), out.data(),
                                                     size_t(out.size()))));
    libdeflate_free_compressor(compressor);
    return out;
}

} // namespace

// The last block that the scan finds is where zlib's inflate, stopping at each block, sees it
// begin and end; the cases make libdeflate end its stream with each type of block.
TEST(DeflateBlockScan, FindsTheLastBlockWhereZlibDoes)
{
    constexpr int kStored = 0, kFixed = 1, kDynamic = 2;
    const struct {
        const char *name;
        QByteArray data;
        int level;
        int lastBlockType;
    } cases[] = {
        {"text, many dynamic blocks", CodeText(400000, 1), 6, kDynamic},
        {"a drawing at level 1", Drawing(200000, 2), 1, kDynamic},
        {"text at level 12", CodeText(100000, 3), 12, kDynamic},
        {"a line of code: fixed codes", kLine, 6, kFixed},
        {"one letter repeated: fixed codes", QByteArray(400, 'a'), 6, kFixed},
        {"one byte: stored", "x", 6, kStored},
        {"nothing", QByteArray(), 6, kStored},
        {"random bytes: stored blocks", RandomBytes(200000, 4), 6, kStored},
        {"random bytes, 65,535", RandomBytes(65535, 5), 6, kStored},
        {"random bytes, 65,536", RandomBytes(65536, 6), 6, kStored},
        {"text then random bytes", CodeText(100000, 7) + RandomBytes(100000, 8), 6, kStored},
        {"random bytes then text", RandomBytes(100000, 9) + CodeText(100000, 10), 6, kDynamic},
        {"level 0: only stored blocks", CodeText(150000, 11), 0, kStored},
    };
    std::set<int> lastTypes;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray stream = Deflate(c.data, c.level);
        ASSERT_FALSE(stream.isEmpty());
        const std::vector<qint64> ends = ZlibBlockEnds(stream, c.data.size());
        ASSERT_FALSE(ends.empty());
        const std::optional<DeflateLastBlock> last = ScanDeflateBlocks(stream);
        ASSERT_TRUE(last.has_value());
        EXPECT_EQ(last->endBit, ends.back());
        EXPECT_EQ(last->headerBit, ends.size() > 1 ? ends[ends.size() - 2] : 0);
        EXPECT_EQ(BitsAt(stream, last->headerBit, 1), 1) << "BFINAL";
        EXPECT_EQ(BitsAt(stream, last->headerBit + 1, 2), c.lastBlockType);
        lastTypes.insert(BitsAt(stream, last->headerBit + 1, 2));
    }
    EXPECT_EQ(lastTypes, (std::set<int>{kStored, kFixed, kDynamic}));
}

// Anything but one whole stream, ending in its last byte, is refused rather than misread.
TEST(DeflateBlockScan, RefusesWhatIsNotOneWholeStream)
{
    const QByteArray text = Deflate(CodeText(50000, 12), 6);
    const QByteArray stored = Deflate(RandomBytes(1000, 13), 6);
    ASSERT_TRUE(ScanDeflateBlocks(text).has_value());
    ASSERT_TRUE(ScanDeflateBlocks(stored).has_value());

    QByteArray wrongComplement = stored;
    wrongComplement[3] = char(wrongComplement[3] ^ 1);
    const struct {
        const char *name;
        QByteArray stream;
    } cases[] = {
        {"no bytes", QByteArray()},
        {"cut short", text.chopped(1)},
        {"cut in half", text.left(text.size() / 2)},
        {"a byte after the end", text + '\0'},
        {"block type 3", QByteArray("\x07\x00", 2)},
        {"stored length without its complement", wrongComplement},
        {"stored block cut short", stored.chopped(1)},
        {"not final", QByteArray("\x00\x00\x00\xff\xff", 5)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ScanDeflateBlocks(c.stream).has_value());
    }
}

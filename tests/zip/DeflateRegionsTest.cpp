#include "DeflatePipeline.h"
#include "DeflateReference.h"
#include "DeflateStreamWriter.h"
#include "TempTree.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

namespace {

// Deflated by libdeflate in one block of fixed codes.
const QByteArray kLine = "Option Explicit\r\nDim lngTotal As Long\r\nDim strName As String\r\n";

struct Piece {
    QByteArray bytes;
    bool incompressible = false;
};

struct Pieces {
    QByteArray data;
    std::vector<DataRegion> regions;
};

Pieces Join(const std::vector<Piece> &pieces)
{
    Pieces joined;
    for (const Piece &piece : pieces) {
        joined.regions.push_back({joined.data.size(), piece.bytes.size(), piece.incompressible});
        joined.data += piece.bytes;
    }
    return joined;
}

class Compressor {
public:
    Compressor() : compressor_(libdeflate_alloc_compressor(6)) {}
    ~Compressor() { libdeflate_free_compressor(compressor_); }
    Compressor(const Compressor &) = delete;
    Compressor &operator=(const Compressor &) = delete;
    libdeflate_compressor *get() const { return compressor_; }

private:
    libdeflate_compressor *compressor_;
};

// Both inflaters give back the data, each reading the stream to its last byte.
void ExpectInflatesTo(const QByteArray &stream, const QByteArray &data)
{
    const std::optional<QByteArray> zlib = ZlibInflate(stream, data.size());
    ASSERT_TRUE(zlib.has_value()) << "zlib refuses the stream";
    EXPECT_TRUE(*zlib == data) << "zlib inflates " << zlib->size() << " bytes, not the " << data.size() << " written";
    const std::optional<QByteArray> libdeflate = LibdeflateInflate(stream, data.size());
    ASSERT_TRUE(libdeflate.has_value()) << "libdeflate refuses the stream";
    EXPECT_TRUE(*libdeflate == data);
}

QByteArray Companion(quint32 seed)
{
    // Blobs of drawings and of photographs' random bytes, of sizes from a few bytes to 200 kB.
    QByteArray bytes;
    for (quint32 blob = 0; blob < 24; ++blob) {
        const qsizetype size = qsizetype(1) << (4 + (seed * 7 + blob * 5) % 14);
        bytes += (blob % 2 ? RandomBytes(size, seed + blob) : Drawing(size, seed + blob));
    }
    return bytes;
}

} // namespace

// Regions deflated by libdeflate and regions stored, in one stream: zlib and libdeflate inflate
// it back whatever the regions' sizes and the blocks that end libdeflate's streams.
TEST(DeflateRegions, JoinedStreamsInflateToTheData)
{
    const QByteArray text = CodeText(100000, 1);
    const QByteArray noise = RandomBytes(200000, 2);
    const struct {
        const char *name;
        std::vector<Piece> pieces;
    } cases[] = {
        {"random, text, random", {{noise.left(70000), true}, {text, false}, {noise.mid(70000), true}}},
        {"text at both ends", {{text.left(30000), false}, {noise, true}, {text.mid(30000), false}}},
        {"many alternations",
         {{text.left(9000), false},
          {noise.left(40000), true},
          {Drawing(50000, 3), false},
          {noise.mid(40000, 5000), true},
          {text.mid(9000, 300), false},
          {noise.mid(45000, 1), true},
          {text.mid(9300), false}}},
        {"one-byte regions",
         {{"A", false}, {noise.left(1), true}, {"B", false}, {noise.mid(1, 1), true}, {"C", false}}},
        {"short text between random bytes: fixed codes",
         {{noise.left(1000), true},
          {kLine, false},
          {noise.mid(1000, 1000), true},
          {kLine, false},
          {noise.mid(2000, 10), true}}},
        {"stored regions of 65,535, 65,536 and 65,537 bytes",
         {{noise.left(65535), true},
          {text.left(500), false},
          {noise.mid(1, 65536), true},
          {text.mid(500, 500), false},
          {noise.mid(2, 65537), true}}},
        {"compressed regions of 65,535 and 65,536 bytes",
         {{text.left(65535), false}, {noise.left(100), true}, {text.mid(1, 65536), false}, {noise.mid(100, 3), true}}},
        {"a region that libdeflate ends with stored blocks",
         {{text.left(20000) + noise.left(100000), false}, {noise.mid(100000, 70000), true}, {text.mid(20000), false}}},
        {"a region that does not shrink", {{noise.left(5000), false}, {noise.mid(5000), true}, {text, false}}},
        {"a region that does not shrink, last", {{text, false}, {noise.left(5000), true}, {noise.mid(5000), false}}},
        {"only stored", {{noise, true}}},
        {"only compressed", {{text, false}}},
        {"a companion", {{Companion(4), false}, {noise, true}, {Companion(5), false}}},
        {"nothing, deflated", {{QByteArray(), false}}},
        {"nothing, stored", {{QByteArray(), true}}},
    };
    const Compressor compressor;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Pieces joined = Join(c.pieces);
        ExpectInflatesTo(DeflateRegions(compressor.get(), joined.data, joined.regions), joined.data);
    }
}

// A scan that put the last block a bit off, or left its BFINAL set, makes streams that the checks
// above refuse: they would catch such a fault in the scan.
TEST(DeflateRegions, AMisplacedLastBlockIsCaught)
{
    const QByteArray noise = RandomBytes(3000, 6);
    const struct {
        const char *name;
        DeflateLastBlock (*mutate)(DeflateLastBlock);
    } mutations[] = {
        {"end one bit early",
         [](DeflateLastBlock b) {
             return DeflateLastBlock{b.headerBit, b.endBit - 1};
         }},
        {"end one bit late",
         [](DeflateLastBlock b) {
             return DeflateLastBlock{b.headerBit, b.endBit + 1};
         }},
        {"end on the next byte",
         [](DeflateLastBlock b) {
             return DeflateLastBlock{b.headerBit, (b.endBit + 7) / 8 * 8};
         }},
        {"header one bit late",
         [](DeflateLastBlock b) {
             return DeflateLastBlock{b.headerBit + 1, b.endBit};
         }},
        {"BFINAL left set",
         [](DeflateLastBlock b) {
             return DeflateLastBlock{b.endBit, b.endBit};
         }},
    };
    const Compressor compressor;
    for (const auto &mutation : mutations) {
        SCOPED_TRACE(mutation.name);
        int caught = 0;
        int cases = 0;
        // Texts of many lengths end libdeflate's streams at every bit of a byte.
        for (int size = 20; size < 3000; size += 97) {
            const QByteArray text = CodeText(size, quint32(size));
            QByteArray compressed(qsizetype(libdeflate_deflate_compress_bound(compressor.get(), size_t(size))), '\0');
            compressed.resize(qsizetype(libdeflate_deflate_compress(compressor.get(), text.constData(), size_t(size),
                                                                    compressed.data(), size_t(compressed.size()))));
            const std::optional<DeflateLastBlock> last = ScanDeflateBlocks(compressed);
            ASSERT_TRUE(last.has_value());

            DeflateStreamWriter right;
            right.AppendCompressed(compressed, *last);
            right.AppendStored(noise, true);
            ASSERT_EQ(ZlibInflate(right.Take(), size + noise.size()), text + noise);

            // The writer takes the scanner's word that the block lies inside the stream; a
            // mutation that points past the bytes it takes tests nothing the scanner could give.
            const DeflateLastBlock misplaced = mutation.mutate(*last);
            const qint64 bytesTaken = (misplaced.endBit + 7) / 8;
            if (bytesTaken > compressed.size() || misplaced.headerBit / 8 >= bytesTaken)
                continue;
            ++cases;
            DeflateStreamWriter wrong;
            wrong.AppendCompressed(compressed, misplaced);
            wrong.AppendStored(noise, true);
            const QByteArray stream = wrong.Take();
            if (ZlibInflate(stream, size + noise.size()) != text + noise
                || LibdeflateInflate(stream, size + noise.size()) != text + noise)
                ++caught;
        }
        EXPECT_GT(caught, cases / 2) << caught << " of " << cases;
    }
}

// Whole files through the workers: mixed ones are split and joined, and the result is never
// more than a hair larger than libdeflate's single call on the whole file.
TEST(DeflateRegions, PipelineDeflatesMixedFiles)
{
    const QByteArray noise = RandomBytes(300000, 7);
    const struct {
        const char *name;
        QByteArray data;
        bool split;
    } cases[] = {
        {"a companion of drawings and photographs", Companion(8), true},
        {"another", Companion(9), true},
        {"a resource file's raw data", CodeText(40000, 10) + noise + Drawing(70000, 11) + noise.left(50000), true},
        {"random bytes only", noise, false},
        {"random bytes, 32 KiB", noise.left(32768), false},
        {"text only", CodeText(300000, 12), false},
        {"random bytes too short to split", CodeText(100000, 13) + noise.left(20000) + CodeText(100000, 14), false},
        {"empty", QByteArray(), false},
    };
    TempTree tree;
    DeflatePipeline pipeline;
    std::vector<size_t> queued;
    for (const auto &c : cases)
        queued.push_back(pipeline.Add(tree.write(c.name, c.data), c.data.size()));

    const Compressor compressor;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto &c = cases[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitIncompressibleRegions(c.data).size() > 1, c.split);
        const std::optional<DeflatePipeline::Result> taken = pipeline.Take(queued[i]);
        ASSERT_TRUE(taken && *taken) << (taken ? taken->error().reason.toStdString() : "no result");
        const DeflatePipeline::Compressed &result = taken->value();
        EXPECT_EQ(result.size, quint64(c.data.size()));
        EXPECT_EQ(result.crc, crc32(0, reinterpret_cast<const Bytef *>(c.data.constData()), uInt(c.data.size())));
        ExpectInflatesTo(result.data, c.data);

        QByteArray whole(qsizetype(libdeflate_deflate_compress_bound(compressor.get(), size_t(c.data.size()))), '\0');
        const size_t wholeSize = libdeflate_deflate_compress(compressor.get(), c.data.constData(),
                                                             size_t(c.data.size()), whole.data(), size_t(whole.size()));
        const double stored = double(c.data.size()) + 5.0 * double(c.data.size() / 65535 + 1);
        EXPECT_LE(double(result.data.size()), std::min(double(wholeSize), stored) * 1.01 + 16)
            << "libdeflate alone: " << wholeSize;
    }
}

#include "DeflateReference.h"
#include "IncompressibleRegions.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    qsizetype offset;
    bool incompressible;
};

// The regions cover the data in order, alternate, and start where expected.
void ExpectRegions(const QByteArray &data, const std::vector<Expected> &expected)
{
    const std::vector<DataRegion> regions = SplitIncompressibleRegions(data);
    ASSERT_EQ(regions.size(), expected.size());
    qsizetype offset = 0;
    for (size_t i = 0; i < regions.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "region " << i);
        EXPECT_EQ(regions[i].offset, offset);
        EXPECT_EQ(regions[i].offset, expected[i].offset);
        EXPECT_EQ(regions[i].incompressible, expected[i].incompressible);
        if (i > 0) {
            EXPECT_NE(regions[i].incompressible, regions[i - 1].incompressible);
        }
        offset += regions[i].size;
    }
    EXPECT_EQ(offset, data.size());
}

} // namespace

// Random bytes in long runs are set apart, on 4 KiB windows: a window that holds some of them
// and some compressible bytes stays with the compressible ones.
TEST(IncompressibleRegions, LongRunsOfRandomBytesAreSetApart)
{
    const QByteArray noise = RandomBytes(400000, 1);
    const QByteArray text = CodeText(100000, 2);
    const QByteArray jpeg = QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF", 10) + noise.left(150000) + "\xff\xd9";
    const struct {
        const char *name;
        QByteArray data;
        std::vector<Expected> regions;
    } cases[] = {
        {"text only", text, {{0, false}}},
        {"a drawing", Drawing(300000, 3), {{0, false}}},
        {"random bytes only, with a short tail", noise.left(200000), {{0, true}}},
        {"text, random bytes, text",
         text.left(10000) + noise.left(100000) + text,
         {{0, false}, {12288, true}, {106496, false}}},
        {"random bytes, text, random bytes",
         noise.left(65536) + text.left(40960) + noise.mid(1, 65536),
         {{0, true}, {65536, false}, {106496, true}}},
        {"a photograph between drawings",
         Drawing(50000, 4) + jpeg + Drawing(50000, 5),
         {{0, false}, {53248, true}, {196608, false}}},
        {"random bytes one window short of a region",
         text.left(4096) + noise.left(7 * 4096) + text.left(4096),
         {{0, false}}},
        {"random bytes just long enough",
         text.left(4096) + noise.left(8 * 4096) + text.left(4096),
         {{0, false}, {4096, true}, {9 * 4096, false}}},
        {"random bytes shorter than a region, alone", noise.left(8 * 4096 - 1), {{0, false}}},
        {"empty", QByteArray(), {{0, false}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRegions(c.data, c.regions);
    }
}

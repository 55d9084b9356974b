#include "LineReader.h"
#include "ScopedEnvironment.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

QList<QByteArray> LinesOf(QByteArray content)
{
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    QList<QByteArray> lines;
    TextLine line;
    while (reader.Next(line))
        lines.append(line.bytes);
    EXPECT_FALSE(reader.Failed());
    return lines;
}

struct LineCase {
    const char *what;
    QByteArray content;
    QList<QByteArray> lines;
};

TEST(LineReader, EndsLinesAtCrLfLoneCrAndLoneLf)
{
    const QList<LineCase> cases{
        {"empty file has no line", "", {}},
        {"CR LF", "Type=Exe\r\nName=\"A\"\r\n", {"Type=Exe", "Name=\"A\""}},
        {"LF only, as git checkouts on Linux", "Type=Exe\nName=\"A\"\n", {"Type=Exe", "Name=\"A\""}},
        {"lone CR, as old Mac editors", "Type=Exe\rName=\"A\"\r", {"Type=Exe", "Name=\"A\""}},
        {"mixed ends", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"last line without an end still counts", "a\r\nb", {"a", "b"}},
        {"blank lines count", "\r\n\r\n\n\r", {"", "", "", ""}},
        {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
        {"CR CR LF is two ends", "a\r\r\nb", {"a", "", "b"}},
    };
    for (const LineCase &c : cases)
        EXPECT_EQ(LinesOf(c.content), c.lines) << c.what;
}

TEST(LineReader, CrLfSplitAcrossReadChunksIsOneLineEnd)
{
    // The reader fills its buffer 64 KiB at a time: put the CR at the end of the first chunk.
    const QByteArray first(64 * 1024 - 1, 'x');
    const QList<QByteArray> lines = LinesOf(first + "\r\nnext\r\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], first);
    EXPECT_EQ(lines[1], "next");
}

TEST(LineReader, HandsBackOriginalBytesAndTextDecodedInTheCodePage)
{
    ScopedEnvironment environment("QUENZAR_CODEPAGE", "windows-1252");
    QByteArray content("Form=Fen\xEAtre.frm\r\nTitle=\x81\x8D\r\n");
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    TextLine line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.text, QString::fromUtf8("Form=Fenêtre.frm"));
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line.bytes, QByteArray("Title=\x81\x8D"));
}

} // namespace

#include "VistaProg.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using Column = QList<QRgb>;

// The pixels of one column of the drawing, top row first.
Column ColumnAt(const QImage &image, int x)
{
    Column column;
    for (int y = 0; y < image.height(); ++y)
        column.append(image.pixel(x, y) & 0xFFFFFF);
    return column;
}

// The rows between the border lines at the top and the bottom.
Column Inside(const Column &column) { return column.mid(1, column.size() - 2); }

// The track is grey; the fill is green inside its border lines, where a lit cap repeats it.
bool Grey(const Column &column)
{
    return std::all_of(column.begin(), column.end(),
                       [](QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c); });
}
bool Green(const Column &column)
{
    const Column inside = Inside(column);
    return std::all_of(inside.begin(), inside.end(),
                       [](QRgb c) { return qGreen(c) > qRed(c) && qGreen(c) > qBlue(c); });
}

// The bar drawn at 100 pixels (1500 twips), with Max and Value set as the program sets them.
QImage Drawn(int max, int value, int width = 100)
{
    VistaProg bar;
    bar.resize(width, 15);
    bar.InitProperties();
    bar.setProperty("Max", max);
    bar.setProperty("Value", value);
    return bar.grab().toImage();
}

// How many pixel columns from the third on show the fill.
int FillColumns(const QImage &image)
{
    int x = 2;
    while (x < image.width() - 2 && Green(ColumnAt(image, x)))
        ++x;
    return x;
}

TEST(VistaProgDrawing, EmptyBarShowsTrackBetweenUnlitCaps)
{
    const QImage image = Drawn(100, 0);
    ASSERT_EQ(image.size(), QSize(100, 15));
    EXPECT_EQ(ColumnAt(image, 0), ColumnAt(image, 99)) << "the caps mirror each other";
    EXPECT_EQ(ColumnAt(image, 1), ColumnAt(image, 98));
    EXPECT_TRUE(Grey(ColumnAt(image, 1)));
    for (const int x : {2, 50, 97}) {
        EXPECT_EQ(ColumnAt(image, x), ColumnAt(image, 2)) << x;
        EXPECT_TRUE(Grey(ColumnAt(image, x))) << x;
    }
    EXPECT_NE(ColumnAt(image, 2), ColumnAt(image, 1)) << "the track is not the cap";
}

TEST(VistaProgDrawing, FullBarShowsFillBetweenLitCaps)
{
    const QImage image = Drawn(100, 1000);
    for (const int x : {2, 50, 97}) {
        EXPECT_EQ(ColumnAt(image, x), ColumnAt(image, 2)) << x;
        EXPECT_TRUE(Green(ColumnAt(image, x))) << x;
    }
    EXPECT_EQ(Inside(ColumnAt(image, 1)), Inside(ColumnAt(image, 2))) << "a lit cap repeats the fill";
    EXPECT_EQ(ColumnAt(image, 98), ColumnAt(image, 1));
    EXPECT_EQ(ColumnAt(image, 99), ColumnAt(Drawn(100, 0), 99)) << "the outer edge of a cap does not light up";
}

TEST(VistaProgDrawing, NewInstanceShowsHalfAFillWithOnlyTheLeftCapLit)
{
    VistaProg bar;
    bar.resize(100, 15);
    bar.InitProperties();
    const QImage image = bar.grab().toImage();
    EXPECT_TRUE(Green(ColumnAt(image, 1)));
    EXPECT_EQ(FillColumns(image), 50);
    EXPECT_TRUE(Grey(ColumnAt(image, 50)));
    EXPECT_TRUE(Grey(ColumnAt(image, 98)));
}

TEST(VistaProgDrawing, FillWidthIsRoundedHalfToEven)
{
    struct Case {
        int max, value, twips;
    };
    for (const Case c : {Case{8, 1, 188}, Case{8, 3, 562}, Case{8, 5, 938}, Case{3, 1, 500}, Case{3, 2, 1000}}) {
        VistaProg bar;
        bar.resize(100, 15);
        bar.InitProperties();
        bar.SetMax(c.max);
        bar.SetValue(c.value);
        EXPECT_EQ(bar.BarMain().Width, c.twips) << c.value << "/" << c.max;
        // 188 twips are 12.5 pixels: the fill reaches 13 pixel columns.
        EXPECT_EQ(FillColumns(bar.grab().toImage()), (c.twips + 7) / 15) << c.value << "/" << c.max;
    }
}

TEST(VistaProgDrawing, MinDoesNotEnterTheDrawingAndAnyValueLightsTheLeftCap)
{
    VistaProg bar;
    bar.resize(100, 15);
    bar.InitProperties();
    bar.SetMin(20);
    bar.SetValue(20);
    EXPECT_EQ(bar.BarMain().Width, 300) << "20 % of 1500 twips";
    EXPECT_EQ(FillColumns(bar.grab().toImage()), 20);

    const QImage one = Drawn(1000, 1);
    EXPECT_TRUE(Green(ColumnAt(one, 1))) << "lit although the fill is hidden under the cap";
    EXPECT_TRUE(Grey(ColumnAt(one, 2)));
}

} // namespace

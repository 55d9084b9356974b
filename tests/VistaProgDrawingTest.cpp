#include "VistaProg.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// The colour columns of the bar, top row first, as the pixels must show them.
const char *const kTrack = "B2B2B2 F3F3F3 FCFCFC EFEFEF E6E6E6 DEDEDE DBDBDB CACACA CACACA CCCCCC CECECE D1D1D1 D5D5D5 EAEAEA 8C8C8C";
const char *const kFill = "B2B2B2 CDFFCD CDFFCD C5FAC9 ADF3B8 A2EFAF 9CEDAC 00D228 00D228 01D329 05D62A 0AD92C 10DE2E 1CE133 8C8C8C";
const char *const kCapOuter = "F7F7F7 BDBDBD AEAEAE ABABAB A8A8A8 A5A5A5 A1A1A1 9E9E9E 9E9E9E 9B9B9B 979797 949494 919191 A1A1A1 F3F3F3";
const char *const kInnerOff = "C9C9C9 DADADA F3F3F3 EDEDED E5E5E5 E0E0E0 DDDDDD D1D1D1 D1D1D1 D1D1D1 D2D2D2 D1D1D1 D3D3D3 C3C3C3 9E9E9E";
const char *const kInnerOn = "C9C9C9 CDFFCD CDFFCD C5FAC9 ADF3B8 A2EFAF 9CEDAC 00D228 00D228 01D329 05D62A 0AD92C 10DE2E 1CE133 9E9E9E";

QString Column(const QImage &image, int x)
{
    QStringList rows;
    for (int y = 0; y < image.height(); ++y)
        rows.append(QString::number(image.pixel(x, y) & 0xFFFFFF, 16).toUpper().rightJustified(6, '0'));
    return rows.join(' ');
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
    while (x < image.width() - 2 && Column(image, x) == kFill)
        ++x;
    return x;
}

TEST(VistaProgDrawing, EmptyBarShowsTrackBetweenUnlitCaps)
{
    const QImage image = Drawn(100, 0);
    ASSERT_EQ(image.size(), QSize(100, 15));
    EXPECT_EQ(Column(image, 0), kCapOuter);
    EXPECT_EQ(Column(image, 1), kInnerOff);
    for (const int x : {2, 50, 97})
        EXPECT_EQ(Column(image, x), kTrack) << x;
    EXPECT_EQ(Column(image, 98), kInnerOff);
    EXPECT_EQ(Column(image, 99), kCapOuter);
}

TEST(VistaProgDrawing, FullBarShowsFillBetweenLitCaps)
{
    const QImage image = Drawn(100, 1000);
    EXPECT_EQ(Column(image, 0), kCapOuter);
    EXPECT_EQ(Column(image, 1), kInnerOn);
    for (const int x : {2, 50, 97})
        EXPECT_EQ(Column(image, x), kFill) << x;
    EXPECT_EQ(Column(image, 98), kInnerOn);
    EXPECT_EQ(Column(image, 99), kCapOuter);
}

TEST(VistaProgDrawing, NewInstanceShowsHalfAFillWithOnlyTheLeftCapLit)
{
    VistaProg bar;
    bar.resize(100, 15);
    bar.InitProperties();
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(Column(image, 1), kInnerOn);
    EXPECT_EQ(FillColumns(image), 50);
    EXPECT_EQ(Column(image, 50), kTrack);
    EXPECT_EQ(Column(image, 98), kInnerOff);
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
    EXPECT_EQ(Column(one, 1), kInnerOn) << "lit although the fill is hidden under the cap";
    EXPECT_EQ(Column(one, 2), kTrack);
}

} // namespace

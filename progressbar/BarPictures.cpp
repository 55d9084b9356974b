#include "BarPictures.h"

#include <array>

namespace BarPictures {
namespace {

using Column = std::array<QRgb, 15>; // row 0 at the top

// Rows 0 and 14 of the track and the fill are border lines; the fill's rows 1 to 13 are the
// green gradient that a lit cap repeats in its inner column.
constexpr Column kTrack{0xB2B2B2, 0xF3F3F3, 0xFCFCFC, 0xEFEFEF, 0xE6E6E6, 0xDEDEDE, 0xDBDBDB, 0xCACACA,
                        0xCACACA, 0xCCCCCC, 0xCECECE, 0xD1D1D1, 0xD5D5D5, 0xEAEAEA, 0x8C8C8C};
constexpr Column kFill{0xB2B2B2, 0xCDFFCD, 0xCDFFCD, 0xC5FAC9, 0xADF3B8, 0xA2EFAF, 0x9CEDAC, 0x00D228,
                       0x00D228, 0x01D329, 0x05D62A, 0x0AD92C, 0x10DE2E, 0x1CE133, 0x8C8C8C};
constexpr Column kCapOuter{0xF7F7F7, 0xBDBDBD, 0xAEAEAE, 0xABABAB, 0xA8A8A8, 0xA5A5A5, 0xA1A1A1, 0x9E9E9E,
                           0x9E9E9E, 0x9B9B9B, 0x979797, 0x949494, 0x919191, 0xA1A1A1, 0xF3F3F3};
constexpr Column kCapInnerOff{0xC9C9C9, 0xDADADA, 0xF3F3F3, 0xEDEDED, 0xE5E5E5, 0xE0E0E0, 0xDDDDDD, 0xD1D1D1,
                              0xD1D1D1, 0xD1D1D1, 0xD2D2D2, 0xD1D1D1, 0xD3D3D3, 0xC3C3C3, 0x9E9E9E};
constexpr Column kCapInnerOn{0xC9C9C9, 0xCDFFCD, 0xCDFFCD, 0xC5FAC9, 0xADF3B8, 0xA2EFAF, 0x9CEDAC, 0x00D228,
                             0x00D228, 0x01D329, 0x05D62A, 0x0AD92C, 0x10DE2E, 0x1CE133, 0x9E9E9E};

QImage Picture(const Column &left, const Column &right)
{
    QImage picture(2, 15, QImage::Format_RGB32);
    for (int row = 0; row < 15; ++row) {
        picture.setPixel(0, row, 0xFF000000 | left[row]);
        picture.setPixel(1, row, 0xFF000000 | right[row]);
    }
    return picture;
}

} // namespace

QImage Track() { return Picture(kTrack, kTrack); }
QImage Fill() { return Picture(kFill, kFill); }
QImage LeftCap(bool on) { return Picture(kCapOuter, on ? kCapInnerOn : kCapInnerOff); }
QImage RightCap(bool on) { return Picture(on ? kCapInnerOn : kCapInnerOff, kCapOuter); }

} // namespace BarPictures

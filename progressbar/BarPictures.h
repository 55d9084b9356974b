#pragma once

#include <QImage>

// The 2 × 15 pixel pictures the bar is drawn from, made from its colour table.
namespace BarPictures {

QImage Track();
QImage Fill();
QImage LeftCap(bool on);
QImage RightCap(bool on);

} // namespace BarPictures

#include "VistaProg.h"

#include "BarPictures.h"

#include <QPainter>
#include <QResizeEvent>
#include <cmath>
#include <limits>

namespace {

constexpr int kCapWidth = 30;   // twips, two pixels
constexpr int kHiddenFill = 15; // one pixel, wholly under the left cap
constexpr int kDefaultMax = 100;
constexpr int kDefaultMin = 0;
constexpr int kDefaultValue = 50;

int Pixels(int twips) { return static_cast<int>(std::lround(twips / double(VistaProg::TwipsPerPixel))); }

QRect PixelRect(const VistaProg::Element &element)
{
    return QRect(Pixels(element.Left), Pixels(element.Top), Pixels(element.Width), Pixels(element.Height));
}

// Rounds to the nearest integer, halves to the even neighbour, as Visual Basic's CLng does.
int RoundHalfEven(double value)
{
    const double rounded = std::nearbyint(value); // the default rounding mode sends ties to even
    if (rounded >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (rounded <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(rounded);
}

// Reads an integer property; a value that cannot be converted leaves the property as it was.
template <typename Setter>
void ReadInteger(const PropertyBag &bag, const QString &name, int defaultValue, Setter set)
{
    bool converted = false;
    const int value = bag.ReadProperty(name, defaultValue).toInt(&converted);
    if (converted)
        set(value);
}

} // namespace

VistaProg::VistaProg(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(HeightTwips / TwipsPerPixel);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    barRight_.Width = kCapWidth;
    barMain_.Width = kHiddenFill;
    barBack_.Left = TwipsPerPixel;
}

void VistaProg::SetValue(int value)
{
    if (value > max_)
        value = max_;
    if (value < min_)
        value = min_;
    value_ = value;
    RedrawBar();
    emit propertyChanged(QStringLiteral("Value"));
}

void VistaProg::SetMax(int max)
{
    if (max < 1)
        max = 1;
    if (max <= min_)
        max = min_ + 1;
    max_ = max;
    if (max_ < value_)
        SetValue(max_);
    RedrawBar();
    emit propertyChanged(QStringLiteral("Max"));
}

void VistaProg::SetMin(int min)
{
    if (min >= max_)
        min = max_ - 1;
    if (min < 0)
        min = 0;
    min_ = min;
    if (value_ < min_)
        SetValue(min_);
    RedrawBar();
    emit propertyChanged(QStringLiteral("Min"));
}

void VistaProg::InitProperties()
{
    SetMax(kDefaultMax);
    SetMin(kDefaultMin);
    SetValue(kDefaultValue);
}

void VistaProg::ReadProperties(const PropertyBag &bag)
{
    ReadInteger(bag, QStringLiteral("Max"), kDefaultMax, [this](int v) { SetMax(v); });
    ReadInteger(bag, QStringLiteral("Min"), kDefaultMin, [this](int v) { SetMin(v); });
    ReadInteger(bag, QStringLiteral("Value"), kDefaultValue, [this](int v) { SetValue(v); });
}

void VistaProg::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("Max"), max_, kDefaultMax);
    bag.WriteProperty(QStringLiteral("Min"), min_, kDefaultMin);
    bag.WriteProperty(QStringLiteral("Value"), value_, kDefaultValue);
}

void VistaProg::Resize()
{
    if (height() != HeightTwips / TwipsPerPixel)
        resize(width(), HeightTwips / TwipsPerPixel);
    barRight_.Left = ScaleWidth() - barRight_.Width;
    barBack_.Width = ScaleWidth();
    RedrawBar();
}

VistaProg::Element VistaProg::BarLeft() const { return Element{0, 0, kCapWidth, HeightTwips}; }

void VistaProg::RedrawBar()
{
    // Min does not enter: the fill is Value / Max of the width.
    const double percent = max_ == 0 ? 0.0 : value_ * 100.0 / max_;
    const int fill = RoundHalfEven(percent * ScaleWidth() / 100.0);
    if (value_ == 0) {
        barMain_.Width = kHiddenFill;
        rightCap_ = Cap::Off;
        leftCap_ = Cap::Off;
    }
    if (value_ >= 1) {
        leftCap_ = Cap::On;
        barMain_.Width = fill;
    }
    if (value_ == max_)
        rightCap_ = Cap::On;
    else if (value_ < max_)
        rightCap_ = Cap::Off;
    update();
}

void VistaProg::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Resize();
}

// Back to front: track, fill, right cap, left cap.
void VistaProg::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(PixelRect(barBack_), BarPictures::Track());
    painter.drawImage(PixelRect(barMain_), BarPictures::Fill());
    painter.drawImage(PixelRect(barRight_).topLeft(), BarPictures::RightCap(rightCap_ == Cap::On));
    painter.drawImage(PixelRect(BarLeft()).topLeft(), BarPictures::LeftCap(leftCap_ == Cap::On));
}

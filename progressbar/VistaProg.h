#pragma once

#include "PellundExport.h"
#include "PropertyBag.h"

#include <QWidget>

// A horizontal progress bar, 15 pixels high, in a glassy style: a light grey track, a green fill
// showing Value against Max, and rounded end caps that light up. The container sets Min, Max and
// Value by name; every setter clamps instead of refusing, so that the bar is always drawable.
class PELLUND_EXPORT VistaProg : public QWidget {
    Q_OBJECT
    Q_CLASSINFO("DispId.Min", "0x68030000")
    Q_CLASSINFO("DispId.Max", "0x68030001")
    Q_CLASSINFO("DispId.Value", "0x68030002")
    Q_PROPERTY(int Min READ Min WRITE SetMin)
    Q_PROPERTY(int Max READ Max WRITE SetMax)
    Q_PROPERTY(int Value READ Value WRITE SetValue)

public:
    static constexpr int TwipsPerPixel = 15;
    static constexpr int HeightTwips = 225;

    // One of the image elements the bar is made of, in twips.
    struct Element {
        int Left = 0;
        int Top = 0;
        int Width = 0;
        int Height = HeightTwips;
    };
    enum class Cap { Off, On };

    explicit VistaProg(QWidget *parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }
    void SetMin(int min);
    void SetMax(int max);
    void SetValue(int value);

    // What the container calls when it places, loads, saves and sizes the control.
    void InitProperties();
    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;
    void Resize();

    // The layout RedrawBar and Resize left, front to back.
    Element BarLeft() const;
    Element BarRight() const { return barRight_; }
    Element BarMain() const { return barMain_; }
    Element BarBack() const { return barBack_; }
    Cap LeftCap() const { return leftCap_; }
    Cap RightCap() const { return rightCap_; }

signals:
    // A property changed ("Value", "Max" or "Min"): the container must save the instance again.
    void propertyChanged(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void RedrawBar();
    int ScaleWidth() const { return width() * TwipsPerPixel; }

    int min_ = 0;
    int max_ = 0;
    int value_ = 0;
    Element barRight_;
    Element barMain_;
    Element barBack_;
    Cap leftCap_ = Cap::Off;
    Cap rightCap_ = Cap::Off;
};

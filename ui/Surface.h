#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>

// What the program's pictures are drawn on: a painter for the pixels the windows show, or an SVG
// document for the icon that the desktop scales itself (SvgSurface). Widths and paths are in the
// surface's own units; lines end and join round.
class Surface {
public:
    virtual ~Surface() = default;
    virtual void Fill(const QPainterPath &path, QRgb colour) = 0;
    virtual void Stroke(const QPainterPath &path, qreal width, QRgb colour) = 0;
    // Clears the band along the path in everything drawn so far, down to whatever lies behind.
    virtual void Clear(const QPainterPath &path, qreal width) = 0;
};

class PainterSurface final : public Surface {
public:
    explicit PainterSurface(QPainter &painter) : painter_(painter) { painter_.setRenderHint(QPainter::Antialiasing); }

    void Fill(const QPainterPath &path, QRgb colour) override { painter_.fillPath(path, QColor::fromRgba(colour)); }
    void Stroke(const QPainterPath &path, qreal width, QRgb colour) override
    {
        painter_.strokePath(path, Pen(width, colour));
    }
    void Clear(const QPainterPath &path, qreal width) override
    {
        painter_.save();
        painter_.setCompositionMode(QPainter::CompositionMode_Clear);
        painter_.strokePath(path, Pen(width, 0xffffffff));
        painter_.restore();
    }

private:
    static QPen Pen(qreal width, QRgb colour)
    {
        return QPen(QColor::fromRgba(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    }

    QPainter &painter_;
};

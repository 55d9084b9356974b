#pragma once

#include "Surface.h"

#include <QByteArray>

// Draws into an SVG document of a given side, so that the icon file the desktop scales is the
// picture the windows draw, never a second copy kept by hand.
class SvgSurface final : public Surface {
public:
    SvgSurface(int side, QString title);

    void Fill(const QPainterPath &path, QRgb colour) override;
    void Stroke(const QPainterPath &path, qreal width, QRgb colour) override;
    // Puts what was drawn so far under a mask that hides the band.
    void Clear(const QPainterPath &path, qreal width) override;

    QByteArray Document() const;

private:
    int side_;
    QString title_;
    QByteArray definitions_;
    QByteArray body_;
    int masks_ = 0;
};

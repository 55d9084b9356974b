#include "SvgSurface.h"

namespace {

QByteArray Number(qreal value) { return QByteArray::number(value, 'g', 6); }

QByteArray Colour(QRgb colour) { return QColor::fromRgba(colour).name(QColor::HexRgb).toLatin1(); }

// The path in SVG's path data: straight lines and the cubic curves Qt builds its arcs and rounded
// corners from.
QByteArray PathData(const QPainterPath &path)
{
    QByteArray data;
    for (int index = 0; index < path.elementCount(); ++index) {
        const QPainterPath::Element element = path.elementAt(index);
        switch (element.type) {
        case QPainterPath::MoveToElement:
            data += 'M';
            break;
        case QPainterPath::LineToElement:
            data += 'L';
            break;
        case QPainterPath::CurveToElement:
            data += 'C';
            break;
        case QPainterPath::CurveToDataElement:
            data += ' ';
            break;
        }
        data += Number(element.x) + ' ' + Number(element.y);
    }
    return data;
}

QByteArray Escaped(const QString &text) { return text.toHtmlEscaped().toUtf8(); }

} // namespace

SvgSurface::SvgSurface(int side, QString title) : side_(side), title_(std::move(title)) {}

// Qt fills paths by the odd-even rule, SVG by the non-zero rule unless told.
void SvgSurface::Fill(const QPainterPath &path, QRgb colour)
{
    body_ += "  <path d=\"" + PathData(path) + "\" fill=\"" + Colour(colour) + "\" fill-rule=\"evenodd\"/>\n";
}

void SvgSurface::Stroke(const QPainterPath &path, qreal width, QRgb colour)
{
    body_ += "  <path d=\"" + PathData(path) + "\" fill=\"none\" stroke=\"" + Colour(colour) + "\" stroke-width=\""
             + Number(width) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
}

void SvgSurface::Clear(const QPainterPath &path, qreal width)
{
    const QByteArray id = "cut" + QByteArray::number(++masks_);
    const QByteArray side = QByteArray::number(side_);
    definitions_ += "  <mask id=\"" + id + "\" maskUnits=\"userSpaceOnUse\" x=\"0\" y=\"0\" width=\"" + side
                    + "\" height=\"" + side + "\">\n    <rect width=\"" + side + "\" height=\"" + side
                    + "\" fill=\"#fff\"/>\n    <path d=\"" + PathData(path)
                    + "\" fill=\"none\" stroke=\"#000\" stroke-width=\"" + Number(width)
                    + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n  </mask>\n";
    body_ = "  <g mask=\"url(#" + id + ")\">\n" + body_ + "  </g>\n";
}

QByteArray SvgSurface::Document() const
{
    const QByteArray side = QByteArray::number(side_);
    QByteArray document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + side
        + "\" height=\"" + side + "\" viewBox=\"0 0 " + side + ' ' + side + "\">\n  <title>" + Escaped(title_)
        + "</title>\n";
    if (!definitions_.isEmpty())
        document += "<defs>\n" + definitions_ + "</defs>\n";
    return document + body_ + "</svg>\n";
}

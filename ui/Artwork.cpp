#include "Artwork.h"

#include "Surface.h"
#include "SvgSurface.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace Artwork {
namespace {

// One accent on neutral paper. The accent is a middle tone, about 3 : 1 against a light and
// against a dark window grey, so each picture holds on either theme and white on it stays legible.
constexpr QRgb kAccent = 0xff0a8aa8;
constexpr QRgb kAccentDeep = 0xff086a82; // behind the accent, so the front reads as nearer
constexpr QRgb kAccentPale = 0xffd4f1f7; // on the accent
constexpr QRgb kPaper = 0xfffbfcfd;
constexpr QRgb kPaperShade = 0xffdfe6ee; // paper further back, folded corners
constexpr QRgb kEdge = 0xff8a99ab;       // white paper vanishes on a light window without it
constexpr QRgb kInk = 0xff64748b;
constexpr QRgb kWhite = 0xffffffff;

// Places a picture's square design grid on device pixels. Straight edges land on whole pixels and
// thicknesses are whole pixels, because an edge between two pixels is smeared by antialiasing into
// a grey seam, which is what makes small icons look blurred. Positions are rounded from the middle
// of the picture outwards, the same way on either side, so that symmetric shapes stay symmetric.
class Canvas {
public:
    Canvas(Surface &surface, const QRect &target, qreal units)
        : surface_(surface), side_(std::min(target.width(), target.height())), units_(units), scale_(side_ / units),
          middle_(target.x() + target.width() / 2, target.y() + target.height() / 2)
    {
    }

    int Side() const { return side_; }

    qreal X(qreal u) const { return middle_.x() + std::round((u - units_ / 2) * scale_); }
    qreal Y(qreal u) const { return middle_.y() + std::round((u - units_ / 2) * scale_); }
    qreal Thick(qreal u) const { return std::max(1.0, std::round(u * scale_)); }
    QRectF Box(qreal x, qreal y, qreal w, qreal h) const
    {
        return QRectF(QPointF(X(x), Y(y)), QPointF(X(x + w), Y(y + h)));
    }

    // Curves have no edge to align: they are only scaled.
    qreal Length(qreal u) const { return u * scale_; }
    QPointF At(qreal x, qreal y) const { return middle_ + QPointF(x - units_ / 2, y - units_ / 2) * scale_; }
    QPainterPath Map(const QPainterPath &units) const
    {
        const QPointF origin = At(0, 0);
        return QTransform(scale_, 0, 0, scale_, origin.x(), origin.y()).map(units);
    }

    void Fill(const QPainterPath &path, QRgb colour) { surface_.Fill(path, colour); }
    void Fill(const QPolygonF &polygon, QRgb colour)
    {
        QPainterPath path;
        path.addPolygon(polygon);
        Fill(path, colour);
    }
    // The box in pixels, from Box(); the radius in grid units, as every length a picture gives.
    void Fill(const QRectF &box, qreal radius, QRgb colour)
    {
        QPainterPath path;
        path.addRoundedRect(box, Length(radius), Length(radius));
        Fill(path, colour);
    }
    void Disc(qreal x, qreal y, qreal radius, QRgb colour)
    {
        QPainterPath path;
        path.addEllipse(At(x, y), Length(radius), Length(radius));
        Fill(path, colour);
    }
    void Stroke(const QPainterPath &path, qreal width, QRgb colour) { surface_.Stroke(path, PenWidth(width), colour); }
    // Clears the band along a path, so that a shape drawn over another stays apart from it on
    // whatever background shows through.
    void Cut(const QPainterPath &path, qreal width) { surface_.Clear(path, PenWidth(width)); }

private:
    qreal PenWidth(qreal width) const { return std::max(1.0, Length(width)); }

    Surface &surface_;
    int side_;
    qreal units_;
    qreal scale_;
    QPointF middle_;
};

// The convex polygon moved inwards by `by` on every side: what is left inside an outline that wide.
// Insetting, rather than stroking, keeps the outline's outer edge exactly on the shape's edge.
QPolygonF Inset(const QPolygonF &outer, qreal by)
{
    const qsizetype count = outer.size();
    qreal area = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const QPointF &a = outer[i], &b = outer[(i + 1) % count];
        area += a.x() * b.y() - b.x() * a.y();
    }
    const qreal inwards = area > 0 ? by : -by;
    QList<QLineF> sides;
    for (qsizetype i = 0; i < count; ++i) {
        const QLineF side(outer[i], outer[(i + 1) % count]);
        sides.append(side.translated(QPointF(-side.dy(), side.dx()) * (inwards / side.length())));
    }
    QPolygonF inner;
    for (qsizetype i = 0; i < count; ++i) {
        QPointF corner;
        sides[(i + count - 1) % count].intersects(sides[i], &corner);
        inner.append(corner);
    }
    return inner;
}

// A sheet of paper with its top right corner folded down, outlined so it shows on a light window.
void Sheet(Canvas &c, qreal x, qreal y, qreal w, qreal h, QRgb paper)
{
    const QRectF box = c.Box(x, y, w, h);
    const qreal fold = c.Thick(w * 0.3);
    const qreal edge = c.Thick(1);
    const QPolygonF outline{box.topLeft(), box.topRight() - QPointF(fold, 0), box.topRight() + QPointF(0, fold),
                            box.bottomRight(), box.bottomLeft()};
    c.Fill(outline, kEdge);
    c.Fill(Inset(outline, edge), paper);
    const QPolygonF flap{box.topRight() - QPointF(fold, 0), box.topRight() + QPointF(-fold, fold),
                         box.topRight() + QPointF(0, fold)};
    c.Fill(flap, kEdge);
    c.Fill(Inset(flap, edge), kPaperShade);
}

// A folder seen from the front in a box of grid units, a sheet showing between its back and its
// front: the sheet is what tells a folder from a plain box at 16 pixels. Returns where its front
// panel begins, in grid units, for the callers that mark it.
qreal Folder(Canvas &c, qreal x, qreal y, qreal w, qreal h)
{
    const qreal tab = h / 6, front = y + h / 3, radius = w / 16;
    const QRectF box = c.Box(x, y, w, h);
    const qreal tabBottom = c.Y(y + tab), tabRight = c.X(x + w * 0.4);
    const qreal round = c.Length(radius);

    c.Fill(QRectF(box.left(), tabBottom, box.width(), box.bottom() - tabBottom), radius, kAccentDeep);
    QPainterPath tabShape(QPointF(box.left(), tabBottom + round));
    tabShape.lineTo(box.left(), box.top() + round);
    tabShape.quadTo(box.topLeft(), QPointF(box.left() + round, box.top()));
    tabShape.lineTo(tabRight, box.top());
    tabShape.lineTo(tabRight + tabBottom - box.top(), tabBottom);
    tabShape.lineTo(tabRight + tabBottom - box.top(), tabBottom + round);
    c.Fill(tabShape, kAccentDeep);

    const qreal inset = w / 14;
    c.Fill(c.Box(x + inset, (y + tab + front) / 2, w - 2 * inset, h / 2), radius / 2, kPaper);

    c.Fill(QRectF(QPointF(box.left(), c.Y(front)), box.bottomRight()), radius, kAccent);
    return front;
}

// The teeth of a closed zipper down the grid line x, alternating left and right. They are counted
// in whole pixels so they stay apart at every size.
void Zipper(Canvas &c, qreal x, qreal top, qreal bottom, QRgb colour)
{
    const qreal middle = c.X(x), tooth = c.Thick(1), reach = c.Thick(1.5);
    bool left = true;
    for (qreal row = c.Y(top); row + tooth <= c.Y(bottom); row += tooth, left = !left)
        c.Fill(QRectF(left ? middle - reach : middle, row, reach, tooth), 0, colour);
}

void DrawAppIcon(Canvas &c)
{
    const qreal front = Folder(c, 2, 4, 28, 24);
    // Below 24 pixels the pull and the brackets would only blur into the zipper.
    if (c.Side() < 24) {
        Zipper(c, 16, front, 26, kAccentPale);
        return;
    }
    Zipper(c, 16, front, 19, kAccentPale);
    c.Fill(c.Box(13, 19, 6, 2), 0.8, kAccentPale);
    c.Fill(c.Box(14, 20, 4, 6), 2, kAccentPale);
    if (c.Side() >= 48) {
        QPainterPath hole(QPointF(16, 23));
        hole.lineTo(16, 24);
        c.Cut(c.Map(hole), 1.2);
    }
    // Angle brackets either side of the zipper: the archive holds source code.
    QPainterPath brackets;
    brackets.moveTo(10.5, 16.5);
    brackets.lineTo(7, 20);
    brackets.lineTo(10.5, 23.5);
    brackets.moveTo(21.5, 16.5);
    brackets.lineTo(25, 20);
    brackets.lineTo(21.5, 23.5);
    c.Stroke(c.Map(brackets), 2.2, kWhite);
}

void DrawArchiveDecoration(Canvas &c)
{
    Sheet(c, 10, 2, 18, 22, kPaperShade);
    Sheet(c, 7, 5, 18, 22, kPaperShade);
    Sheet(c, 4, 8, 18, 22, kPaper);
    // Lines of code: a keyword in the accent, the rest in ink, indented like a block.
    struct Token {
        qreal x, y, length;
        QRgb colour;
    };
    constexpr Token tokens[] = {
        {7, 15, 4, kAccent}, {12, 15, 5, kInk}, {9, 18, 3, kAccent}, {13, 18, 6, kInk},
        {9, 21, 8, kInk},    {9, 24, 5, kInk},  {7, 27, 4, kAccent},
    };
    for (const Token &token : tokens)
        c.Fill(c.Box(token.x, token.y, token.length, 1.2), 0, token.colour);
}

void DrawComponentInfo(Canvas &c)
{
    for (const qreal along : {10.0, 15.0, 20.0}) {
        c.Fill(c.Box(along, 3, 2, 5), 0.5, kEdge);
        c.Fill(c.Box(along, 24, 2, 5), 0.5, kEdge);
        c.Fill(c.Box(3, along, 5, 2), 0.5, kEdge);
        c.Fill(c.Box(24, along, 5, 2), 0.5, kEdge);
    }
    c.Fill(c.Box(6, 6, 20, 20), 2.5, kAccent);
    c.Fill(c.Box(10, 10, 12, 12), 1.5, kPaper);
    Zipper(c, 16, 11, 21, kAccent);
}

void DrawHelp(Canvas &c)
{
    c.Disc(12, 12, 11, kAccent);
    const QRectF curl(8.6, 5.8, 6.8, 6.8);
    QPainterPath hook;
    hook.arcMoveTo(curl, 160);
    hook.arcTo(curl, 160, -220);
    hook.quadTo(12, 13.2, 12, 14.8);
    c.Stroke(c.Map(hook), 2.4, kWhite);
    c.Disc(12, 18.3, 1.45, kWhite);
}

void DrawUnzip(Canvas &c)
{
    Folder(c, 2, 12, 28, 18);
    Zipper(c, 16, 24, 30, kAccentPale);
    QPainterPath arrow;
    arrow.moveTo(16, 21);
    arrow.lineTo(16, 3.5);
    arrow.moveTo(9.5, 10);
    arrow.lineTo(16, 3.5);
    arrow.lineTo(22.5, 10);
    const QPainterPath mapped = c.Map(arrow);
    constexpr qreal width = 3, gap = 1.6;
    c.Cut(mapped, width + 2 * gap);
    c.Stroke(mapped, width, kAccent);
}

// Every lid of both eyes is this one curve, so that the pair, which swap in place, look alike.
QPainterPath Lid(qreal y, qreal bulge)
{
    QPainterPath lid(QPointF(1.5, y));
    lid.cubicTo(5, y + bulge, 15, y + bulge, 18.5, y);
    return lid;
}

void DrawEyeOpen(Canvas &c)
{
    QPainterPath eye = Lid(10, -6.2);
    eye.connectPath(Lid(10, 6.2).toReversed());
    c.Stroke(c.Map(eye), 1.5, kAccent);
    c.Disc(10, 10, 3.1, kAccent);
    c.Disc(11.2, 8.8, 1.0, kWhite);
}

void DrawEyeClosed(Canvas &c)
{
    const QPainterPath lid = Lid(7.5, 6.2);
    QPainterPath lashes = lid;
    for (const qreal at : {0.15, 0.38, 0.62, 0.85}) {
        QLineF lash = QLineF::fromPolar(2.6, lid.angleAtPercent(at) - 90);
        lash.translate(lid.pointAtPercent(at));
        lashes.moveTo(lash.p1());
        lashes.lineTo(lash.p2());
    }
    c.Stroke(c.Map(lashes), 1.5, kAccent);
}

void DrawFolderButton(Canvas &c) { Folder(c, 1, 2, 14, 12); }

// Plus and minus share their disc and bar; the disc tells them apart by colour as well as by mark.
void Sign(Canvas &c, QRgb disc, bool plus)
{
    c.Disc(8, 8, 7, disc);
    c.Fill(c.Box(4, 7, 8, 2), 0, kWhite);
    if (plus)
        c.Fill(c.Box(7, 4, 2, 8), 0, kWhite);
}

void DrawPlus(Canvas &c) { Sign(c, kAccent, true); }
void DrawMinus(Canvas &c) { Sign(c, kInk, false); }

struct Picture {
    const char *name; // names it in the pixmap cache
    qreal units;      // the side of its design grid
    void (*draw)(Canvas &);
};

// Paints its picture whenever a size is asked for, rather than scaling a few stored pixmaps: a
// scaled pixmap is blurred at every size and pixel ratio but the ones stored.
class PaintedIcon final : public QIconEngine {
public:
    explicit PaintedIcon(const Picture &picture) : picture_(picture) {}

    QIconEngine *clone() const override { return new PaintedIcon(picture_); }
    QString key() const override { return QStringLiteral("QuenzarArtwork"); }

    // Through a pixmap of the device's own pixels, so that the pixel alignment holds and the style
    // greys the disabled picture as it greys its own.
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device()->devicePixelRatioF();
        QPixmap picture = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, picture);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        if (size.isEmpty())
            return {};
        const QPixmap drawn = Drawn(size);
        if (mode == QIcon::Normal || mode == QIcon::Active)
            return drawn;
        QStyleOption option;
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, drawn, &option);
    }

private:
    QPixmap Drawn(const QSize &size) const
    {
        const QString key = QStringLiteral("QuenzarArtwork/%1/%2x%3")
                                .arg(QLatin1String(picture_.name))
                                .arg(size.width())
                                .arg(size.height());
        QPixmap drawn;
        if (QPixmapCache::find(key, &drawn))
            return drawn;
        drawn = QPixmap(size);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            PainterSurface surface(painter);
            Canvas canvas(surface, drawn.rect(), picture_.units);
            picture_.draw(canvas);
        }
        QPixmapCache::insert(key, drawn);
        return drawn;
    }

    const Picture &picture_;
};

QIcon Painted(const Picture &picture) { return QIcon(new PaintedIcon(picture)); }

constexpr Picture kAppIcon{"app", 32, DrawAppIcon};
constexpr Picture kArchiveDecoration{"archive", 32, DrawArchiveDecoration};
constexpr Picture kComponentInfo{"component", 32, DrawComponentInfo};
constexpr Picture kHelp{"help", 24, DrawHelp};
constexpr Picture kUnzip{"unzip", 32, DrawUnzip};
constexpr Picture kEyeOpen{"eye-open", 20, DrawEyeOpen};
constexpr Picture kEyeClosed{"eye-closed", 20, DrawEyeClosed};
constexpr Picture kFolderButton{"folder", 16, DrawFolderButton};
constexpr Picture kPlus{"plus", 16, DrawPlus};
constexpr Picture kMinus{"minus", 16, DrawMinus};

} // namespace

QIcon AppIcon() { return Painted(kAppIcon); }

QByteArray AppIconSvg(int side)
{
    SvgSurface surface(side, QStringLiteral("Quenzar"));
    Canvas canvas(surface, QRect(0, 0, side, side), kAppIcon.units);
    kAppIcon.draw(canvas);
    return surface.Document();
}
QIcon ArchiveDecoration() { return Painted(kArchiveDecoration); }
QIcon ComponentInfo() { return Painted(kComponentInfo); }
QIcon Help() { return Painted(kHelp); }
QIcon Unzip() { return Painted(kUnzip); }
QIcon EyeOpen() { return Painted(kEyeOpen); }
QIcon EyeClosed() { return Painted(kEyeClosed); }
QIcon FolderButton() { return Painted(kFolderButton); }
QIcon Plus() { return Painted(kPlus); }
QIcon Minus() { return Painted(kMinus); }

} // namespace Artwork

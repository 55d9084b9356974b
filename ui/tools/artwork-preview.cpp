// artwork-preview OUT.png: every picture of Artwork at the sizes it is used at, at pixel ratios 1
// and 2, and disabled, on a light and on a dark window grey, to look at the drawing. Cells are
// shown in device pixels, so a 2x cell is twice as large as its 1x neighbour.
#include "Artwork.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Entry {
    const char *name;
    QIcon icon;
    std::vector<int> sizes;
};

constexpr int kGap = 12;
constexpr int kLabelWidth = 130;

// The 2x cells are painted through QIcon::paint on a 2x surface and the others are asked of
// QIcon::pixmap, so both ways a widget gets an icon are looked at.
QImage Cell(const QIcon &icon, int size, qreal ratio, QIcon::Mode mode, const QColor &ground)
{
    QImage cell(QSize(size, size) * ratio, QImage::Format_ARGB32_Premultiplied);
    cell.fill(ground);
    cell.setDevicePixelRatio(ratio);
    QPainter painter(&cell);
    if (ratio == 1)
        painter.drawPixmap(0, 0, icon.pixmap(QSize(size, size), 1, mode));
    else
        icon.paint(&painter, QRect(0, 0, size, size), Qt::AlignCenter, mode);
    painter.end();
    cell.setDevicePixelRatio(1);
    return cell;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: artwork-preview OUT.png\n");
        return 2;
    }

    const std::vector<Entry> entries{
        {"AppIcon", Artwork::AppIcon(), {16, 32, 64}},
        {"ArchiveDecoration", Artwork::ArchiveDecoration(), {32}},
        {"ComponentInfo", Artwork::ComponentInfo(), {32}},
        {"Help", Artwork::Help(), {48}},
        {"Unzip", Artwork::Unzip(), {32}},
        {"EyeOpen", Artwork::EyeOpen(), {20}},
        {"EyeClosed", Artwork::EyeClosed(), {20}},
        {"FolderButton", Artwork::FolderButton(), {16, 20}},
        {"Plus", Artwork::Plus(), {16}},
        {"Minus", Artwork::Minus(), {16}},
    };
    const struct {
        QColor ground, text;
    } themes[] = {{QColor(0xef, 0xef, 0xef), QColor(0x20, 0x20, 0x20)},
                  {QColor(0x2d, 0x2d, 0x2d), QColor(0xe0, 0xe0, 0xe0)}};

    // Columns: every size at 1x, every size at 2x, then the largest size at 1x disabled.
    int rowsHeight = kGap, columnsWidth = 0;
    for (const Entry &entry : entries) {
        int width = 0;
        for (const int size : entry.sizes)
            width += 3 * size + 2 * kGap;
        columnsWidth = std::max(columnsWidth, width + entry.sizes.back() + kGap);
        rowsHeight += 2 * entry.sizes.back() + kGap;
    }
    const int panelWidth = kLabelWidth + columnsWidth + kGap;

    QImage sheet(2 * panelWidth, rowsHeight, QImage::Format_RGB32);
    QPainter painter(&sheet);
    for (int panel = 0; panel < 2; ++panel) {
        const int left = panel * panelWidth;
        painter.fillRect(left, 0, panelWidth, rowsHeight, themes[panel].ground);
        painter.setPen(themes[panel].text);
        int top = kGap;
        for (const Entry &entry : entries) {
            const int rowHeight = 2 * entry.sizes.back();
            painter.drawText(QRect(left + kGap, top, kLabelWidth, rowHeight), Qt::AlignVCenter,
                             QString::fromLatin1(entry.name));
            int x = left + kLabelWidth;
            for (const qreal ratio : {1.0, 2.0}) {
                for (const int size : entry.sizes) {
                    painter.drawImage(x, top, Cell(entry.icon, size, ratio, QIcon::Normal, themes[panel].ground));
                    x += qRound(size * ratio) + kGap;
                }
            }
            painter.drawImage(x, top, Cell(entry.icon, entry.sizes.back(), 1, QIcon::Disabled, themes[panel].ground));
            top += rowHeight + kGap;
        }
    }
    painter.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

// pellund-preview OUT.png [WIDTH]: the bar at 0 %, 50 % and 100 %, one above the other on a
// window-grey ground, magnified four times so that single pixels can be seen.
#include "VistaProg.h"

#include <QApplication>
#include <QPainter>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: pellund-preview OUT.png [WIDTH]\n");
        return 2;
    }
    const int width = argc > 2 ? std::atoi(argv[2]) : 120;
    constexpr int gap = 6;
    constexpr int zoom = 4;

    QImage sheet(width + 2 * gap, 3 * (15 + gap) + gap, QImage::Format_RGB32);
    sheet.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter painter(&sheet);
    const int values[] = {0, 50, 100};
    for (int row = 0; row < 3; ++row) {
        VistaProg bar;
        bar.resize(width, 15);
        bar.InitProperties();
        bar.SetValue(values[row]);
        painter.drawImage(gap, gap + row * (15 + gap), bar.grab().toImage());
    }
    painter.end();
    return sheet.scaled(sheet.size() * zoom).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

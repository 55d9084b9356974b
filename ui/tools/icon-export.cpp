// icon-export OUT_FOLDER: the program's icon, drawn by Artwork, as PNG files of the usual sizes
// (OUT_FOLDER/16x16/apps/quenzar.png ... 256x256) and as OUT_FOLDER/scalable/apps/quenzar.svg, laid
// out as the desktop icon theme wants them.
#include "Artwork.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: icon-export OUT_FOLDER\n");
        return 2;
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        QDir().mkpath(folder);
        if (!Artwork::AppIcon().pixmap(size, size).save(folder + "/quenzar.png"))
            return 1;
    }
    const QString scalable = QString::fromLocal8Bit(argv[1]) + "/scalable/apps";
    QDir().mkpath(scalable);
    QFile svg(scalable + "/quenzar.svg");
    return svg.open(QIODevice::WriteOnly) && svg.write(Artwork::AppIconSvg(128)) > 0 ? 0 : 1;
}

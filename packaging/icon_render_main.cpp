// Renders the program's SVG icon as square PNG files, one per size, for the
// hicolor icon theme: icon_render SVG OUTFOLDER SIZE... writes
// OUTFOLDER/<size>x<size>/apps/talven-k88.png.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SVG OUTFOLDER SIZE...\n", argv[0]);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "%s: not a readable SVG file\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const std::string sizeText = argv[i];
        int size = 0;
        try {
            size = std::stoi(sizeText);
        } catch (...) {
        }
        if (size < 1 || size > 4096 || std::to_string(size) != sizeText) {
            std::fprintf(stderr, "%s: not an icon size\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        svg.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QString file = folder + QStringLiteral("/talven-k88.png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write\n", file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}

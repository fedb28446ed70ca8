// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Writes the program's icon, the side-view helicopter, at the sizes the desktops' icon theme
// looks for. At 32 and its multiples each pixel of the 32 by 32 picture is a square block, so
// nothing blurs; the smaller sizes and 48 are drawn from the nearest larger block picture,
// smoothly. The scalable icon is the same pixels as squares of an SVG.
// Usage: make_icons PICTURE OUTPUT_FOLDER NAME

#include <QFile>
#include <QImage>
#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// One rectangle for each run of same-coloured pixels along a row.
QByteArray svgOf(const QImage& picture) {
    QByteArray svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- SPDX-FileCopyrightText: 2026 the Skyvane developers -->\n"
        "<!-- SPDX-License-Identifier: MIT -->\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
        "viewBox=\"0 0 32 32\" shape-rendering=\"crispEdges\">\n";
    for (int y = 0; y < picture.height(); ++y) {
        int x = 0;
        while (x < picture.width()) {
            const QRgb c = picture.pixel(x, y);
            int end = x + 1;
            while (end < picture.width() && picture.pixel(end, y) == c) ++end;
            if (qAlpha(c) > 0) {
                svg += QString("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"1\" fill=\"#%4\"")
                           .arg(x)
                           .arg(y)
                           .arg(end - x)
                           .arg(c & 0xFFFFFF, 6, 16, QChar('0'))
                           .toUtf8();
                if (qAlpha(c) < 255)
                    svg += QString(" fill-opacity=\"%1\"").arg(qAlpha(c) / 255.0).toUtf8();
                svg += "/>\n";
            }
            x = end;
        }
    }
    return svg + "</svg>\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PICTURE OUTPUT_FOLDER NAME\n", argv[0]);
        return 2;
    }
    const QImage picture =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32);
    if (picture.isNull() || picture.size() != QSize(32, 32)) {
        std::fprintf(stderr, "%s is not a 32 by 32 picture\n", argv[1]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int size : kSizes) {
        // Whole blocks at the next multiple of 32, then down to the size if it is not one.
        const int blocks = (size + 31) / 32 * 32;
        QImage icon = picture.scaled(blocks, blocks, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (blocks != size)
            icon = icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QString path = QString("%1/%2x%2/%3.png").arg(folder).arg(size).arg(name);
        if (!icon.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    QFile svg(QString("%1/scalable/%2.svg").arg(folder, name));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(svgOf(picture)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", svg.fileName().toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

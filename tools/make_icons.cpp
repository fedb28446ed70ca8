// Writes the program's icon, the side-view helicopter, at the sizes the desktop's icon theme
// takes, each pixel of the 32 by 32 picture a square block: no blur.
// Usage: make_icons PICTURE OUTPUT_FOLDER NAME

#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PICTURE OUTPUT_FOLDER NAME\n", argv[0]);
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull() || picture.size() != QSize(32, 32)) {
        std::fprintf(stderr, "%s is not a 32 by 32 picture\n", argv[1]);
        return 1;
    }
    for (int size : {32, 64, 128}) {
        const QString path = QString("%1/%2x%2/%3.png")
                                 .arg(QString::fromLocal8Bit(argv[2]))
                                 .arg(size)
                                 .arg(QString::fromLocal8Bit(argv[3]));
        const QImage icon = picture.convertToFormat(QImage::Format_ARGB32)
                                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        if (!icon.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Draws the game's sixteen 32 by 32 icons as pixel art and writes them as XPM files.
// Usage: draw_pictures OUTPUT_FOLDER

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QTransform>
#include <cmath>
#include <cstdio>

namespace {

const QColor kBlack(0, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kCyan(0, 255, 255);
const QColor kWhite(255, 255, 255);
const QColor kGrey(128, 128, 128);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

QImage blank() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

struct Pen {
    explicit Pen(QImage& img) : p(&img) { p.setRenderHint(QPainter::Antialiasing, false); }
    void box(int x0, int y0, int x1, int y1, const QColor& c) {
        p.fillRect(QRect(QPoint(x0, y0), QPoint(x1, y1)), c);
    }
    void outlinedBox(int x0, int y0, int x1, int y1, const QColor& fill) {
        box(x0, y0, x1, y1, kBlack);
        box(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill);
    }
    void ellipse(int x0, int y0, int x1, int y1, const QColor& fill) {
        p.setPen(QPen(kBlack, 1));
        p.setBrush(fill);
        p.drawEllipse(QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)));
    }
    void dot(int x, int y, const QColor& c) { box(x, y, x, y, c); }
    void polygon(const QPolygon& poly, const QColor& c) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(poly);
    }
    QPainter p;
};

void rotor(Pen& pen) {
    pen.outlinedBox(2, 4, 29, 7, kWhite);
    pen.box(8, 5, 9, 6, kGrey);
    pen.box(22, 5, 23, 6, kGrey);
    pen.box(15, 8, 16, 10, kBlack);  // mast
}

// Skids seen from the front or behind: two struts on a crossbar.
void skidsEndOn(Pen& pen) {
    pen.box(9, 24, 10, 26, kBlack);
    pen.box(21, 24, 22, 26, kBlack);
    pen.box(6, 27, 12, 27, kBlack);
    pen.box(19, 27, 25, 27, kBlack);
}

QImage sideLeft() {
    QImage img = blank();
    Pen pen(img);
    rotor(pen);
    pen.box(22, 15, 28, 17, kBlack);      // tail boom
    pen.ellipse(25, 10, 32, 17, kWhite);  // tail rotor
    pen.box(28, 13, 28, 13, kGrey);
    pen.ellipse(4, 10, 25, 25, kBlue);  // body
    pen.ellipse(4, 12, 13, 20, kCyan);  // cockpit bubble
    pen.box(9, 25, 9, 26, kBlack);
    pen.box(19, 25, 19, 26, kBlack);
    pen.box(5, 27, 24, 27, kBlack);
    pen.dot(4, 26, kBlack);
    pen.dot(25, 26, kBlack);
    return img;
}

QImage front() {
    QImage img = blank();
    Pen pen(img);
    rotor(pen);
    pen.ellipse(7, 10, 25, 25, kBlue);
    pen.outlinedBox(10, 12, 15, 18, kCyan);
    pen.outlinedBox(16, 12, 21, 18, kCyan);
    skidsEndOn(pen);
    return img;
}

QImage rear() {
    QImage img = blank();
    Pen pen(img);
    rotor(pen);
    pen.ellipse(7, 10, 25, 25, kBlue);
    pen.outlinedBox(14, 12, 17, 28, kWhite);  // tail boom running up the middle
    skidsEndOn(pen);
    return img;
}

QImage topLeft() {
    QImage img = blank();
    Pen pen(img);
    pen.ellipse(0, 11, 12, 21, kBlue);        // nose, showing at the rotor's rim
    pen.outlinedBox(25, 14, 31, 17, kWhite);  // tail boom
    pen.ellipse(3, 3, 28, 29, kWhite);        // rotor disc
    pen.p.setPen(QPen(kGrey, 1));
    pen.p.drawLine(8, 8, 23, 23);
    pen.p.drawLine(8, 23, 23, 8);
    pen.ellipse(13, 13, 18, 18, kBlack);  // hub
    return img;
}

QImage arrowUp() {
    QImage img = blank();
    Pen pen(img);
    pen.polygon(QPolygon({QPoint(16, 8), QPoint(26, 24), QPoint(6, 24)}), kRed);
    return img;
}

QImage explosionSide() {
    QImage img = blank();
    Pen pen(img);
    pen.polygon(QPolygon({QPoint(6, 31), QPoint(4, 20), QPoint(9, 24), QPoint(8, 9), QPoint(13, 19),
                          QPoint(15, 3), QPoint(18, 18), QPoint(23, 7), QPoint(22, 22),
                          QPoint(28, 15), QPoint(26, 31)}),
                kRed);
    pen.polygon(QPolygon({QPoint(11, 31), QPoint(12, 24), QPoint(15, 27), QPoint(17, 20),
                          QPoint(19, 27), QPoint(21, 31)}),
                kYellow);
    const int bits[][3] = {{2, 6, 0},  {5, 2, 1},   {11, 5, 2}, {20, 2, 3},
                           {27, 4, 4}, {29, 10, 0}, {1, 14, 1}, {30, 20, 2},
                           {24, 1, 3}, {12, 12, 4}, {3, 25, 1}};
    const QColor colours[] = {kYellow, kWhite, kGrey, kBlack, kCyan};
    for (const auto& b : bits) pen.box(b[0], b[1], b[0] + 1, b[1] + 1, colours[b[2]]);
    return img;
}

QImage explosionMap() {
    QImage img = blank();
    Pen pen(img);
    QPolygon star;
    for (int i = 0; i < 24; ++i) {
        const double r = (i % 2 == 0) ? 15.0 : 8.0;
        const double a = i * M_PI / 12.0;
        star << QPoint(16 + static_cast<int>(std::lround(r * std::cos(a))),
                       16 + static_cast<int>(std::lround(r * std::sin(a))));
    }
    pen.polygon(star, kRed);
    const int specks[][3] = {{15, 15, 0}, {10, 12, 1}, {20, 18, 0}, {13, 21, 2}, {21, 11, 3},
                             {8, 18, 0},  {17, 8, 1},  {24, 15, 2}, {16, 24, 3}, {11, 9, 0}};
    const QColor colours[] = {kYellow, kWhite, kBlack, kBlue};
    for (const auto& s : specks) pen.dot(s[0], s[1], colours[s[2]]);
    return img;
}

QImage redCross() {
    QImage img = blank();
    for (int i = 0; i < 32; ++i) {
        img.setPixelColor(i, i, kRed);
        img.setPixelColor(31 - i, i, kRed);
    }
    return img;
}

QImage warningSign() {
    QImage img = blank();
    Pen pen(img);
    pen.polygon(QPolygon({QPoint(16, 2), QPoint(30, 29), QPoint(1, 29)}), kRed);
    pen.box(15, 11, 16, 21, kWhite);
    pen.box(15, 24, 16, 25, kWhite);
    return img;
}

QImage turned(const QImage& img, int degrees) {
    return img.transformed(QTransform().rotate(degrees));
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QImage side = sideLeft();
    const QImage top = topLeft();
    const QImage arrow = arrowUp();
    const struct {
        const char* name;
        QImage image;
    } pictures[] = {
        {"side-left", side},
        {"side-right", side.mirrored(true, false)},
        {"front", front()},
        {"rear", rear()},
        {"top-left", top},
        {"top-right", top.mirrored(true, false)},
        {"top-down", turned(top, -90)},
        {"top-up", turned(top, 90)},
        {"arrow-up", arrow},
        {"arrow-down", turned(arrow, 180)},
        {"arrow-right", turned(arrow, 90)},
        {"arrow-left", turned(arrow, -90)},
        {"explosion-side", explosionSide()},
        {"explosion-map", explosionMap()},
        {"red-cross", redCross()},
        {"warning-sign", warningSign()},
    };
    for (const auto& p : pictures) {
        const QString path = out + "/" + p.name + ".xpm";
        if (!p.image.save(path, "XPM")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

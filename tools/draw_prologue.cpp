// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Draws the prologue picture: yellow text on black in a small bitmap-like font, wrapped to the
// picture's width. Usage: draw_prologue TEXT_FILE OUTPUT_PNG
// The text file has one paragraph a line, with blank lines between paragraphs.

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWidth = 363;
constexpr int kHeight = 403;
constexpr int kLeft = 7;
constexpr int kTop = 5;
constexpr int kLineHeight = 13;
constexpr int kTextWidth = kWidth - 2 * kLeft;

// Characters that may not begin a line; they hang at the end of the one before.
bool noLineStart(QChar c) {
    return QStringLiteral("、。，．・：；？！）」』…ー").contains(c);
}

// Breaks a paragraph into lines no wider than the text width. A character that may not begin
// a line takes the one before it down with it, so nothing hangs past the right margin.
QStringList wrap(const QString& paragraph, const QFontMetrics& fm) {
    QStringList lines;
    QString line;
    for (QChar c : paragraph) {
        if (!line.isEmpty() && fm.horizontalAdvance(line + c) > kTextWidth) {
            QString carried;
            if (noLineStart(c)) {
                do {
                    carried.prepend(line.back());
                    line.chop(1);
                } while (line.size() > 1 && noLineStart(carried.front()));
            }
            lines << line;
            line = carried;
        }
        line += c;
    }
    if (!line.isEmpty() || lines.isEmpty()) lines << line;
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TEXT_FILE OUTPUT_PNG\n", argv[0]);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text = QString::fromUtf8(file.readAll()).trimmed();

    QFont font;
    font.setFamilies({"IPAGothic", "Noto Sans Mono CJK JP"});
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::NoAntialias);  // two colours only, like a bitmap font
    const QFontMetrics fm(font);

    QStringList lines;
    for (const QString& paragraph : text.split('\n')) lines << wrap(paragraph.trimmed(), fm);
    std::printf(
        "%lld lines, the widest %d of %d pixels\n", static_cast<long long>(lines.size()),
        [&] {
            int w = 0;
            for (const auto& l : lines) w = std::max(w, fm.horizontalAdvance(l));
            return w;
        }(),
        kTextWidth);
    if (kTop + lines.size() * kLineHeight > kHeight) {
        std::fprintf(stderr, "%lld lines do not fit the picture\n",
                     static_cast<long long>(lines.size()));
        return 1;
    }

    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(QColor(255, 255, 0));
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(kLeft, kTop + i * kLineHeight + fm.ascent(), lines[i]);
    p.end();
    if (!img.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

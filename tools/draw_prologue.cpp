// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Draws the prologue picture: yellow text on black in a small bitmap-like font, wrapped to the
// picture's width. Usage: draw_prologue TEXT_FILE OUTPUT_PNG [PO_FILE]
// The text file has one paragraph a line, with blank lines between paragraphs: the game's own
// Japanese. Given a translation catalog, each paragraph is drawn as the catalog has it, and a
// text with spaces is broken between its words.

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/catalog.h"

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

// Breaks a paragraph of words into lines no wider than the text width, between words.
QStringList wrapWords(const QString& paragraph, const QFontMetrics& fm) {
    QStringList lines;
    QString line;
    for (const QString& word : paragraph.split(' ', Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + ' ' + word;
        if (!line.isEmpty() && fm.horizontalAdvance(longer) > kTextWidth) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty() || lines.isEmpty()) lines << line;
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s TEXT_FILE OUTPUT_PNG [PO_FILE]\n", argv[0]);
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString text = QString::fromUtf8(file.readAll()).trimmed();
    std::optional<skyvane::Catalog> catalog;
    if (argc == 4) {
        QFile po(QString::fromLocal8Bit(argv[3]));
        std::string why;
        if (po.open(QIODevice::ReadOnly))
            catalog = skyvane::Catalog::parse("", po.readAll().toStdString(), &why);
        if (!catalog) {
            std::fprintf(stderr, "cannot read the catalog %s %s\n", argv[3], why.c_str());
            return 1;
        }
    }

    QFont font;
    font.setFamilies({"IPAGothic", "Noto Sans Mono CJK JP"});
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::NoAntialias);  // two colours only, like a bitmap font
    const QFontMetrics fm(font);

    QStringList lines;
    for (QString paragraph : text.split('\n')) {
        paragraph = paragraph.trimmed();
        if (catalog && !paragraph.isEmpty()) {
            const auto source = paragraph.toStdString();
            if (catalog->tr(source) == source) {
                std::fprintf(stderr, "the catalog has no entry for a paragraph: %s\n",
                             source.c_str());
                return 1;
            }
            paragraph = QString::fromStdString(catalog->tr(source));
        }
        lines << (paragraph.contains(' ') ? wrapWords(paragraph, fm) : wrap(paragraph, fm));
    }
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

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/qt_look.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

#include "platform/geometry.h"

namespace skyvane::qtlook {

int px(int twips) {
    return geometry::px(twips);
}

QRect rect(int left, int top, int width, int height) {
    const auto r = geometry::rect(left, top, width, height);
    return {r.x, r.y, r.width, r.height};
}

QStringList familiesFor(const std::string& face) {
    QStringList families;
    for (const auto& family : geometry::familiesFor(face))
        families << QString::fromStdString(family);
    return families;
}

QFont font(const FontDesign& design) {
    QFont f;
    f.setFamilies(familiesFor(design.face));
    // The default interface font: 8.25 pt keeps the key help on its one line.
    f.setPixelSize(geometry::fontPixels(design));
    f.setBold(design.bold);
    // No text of the game needs shaping (the readouts change every tick); drawn the same without.
    if (design.face.empty()) {
        // At 11 pixels antialiasing smudges the small glyphs ("㍑" above all); hinted and
        // without it, they come out crisp, like the bitmap font of the classic desktop.
        f.setStyleStrategy(
            QFont::StyleStrategy(QFont::PreferMatch | QFont::NoAntialias | QFont::PreferNoShaping));
        f.setHintingPreference(QFont::PreferFullHinting);
    } else {
        f.setStyleStrategy(QFont::StyleStrategy(QFont::PreferMatch | QFont::PreferNoShaping));
    }
    return f;
}

QString displayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
    return s;
}

QString windowTitle(const std::string& text) {
    // No title bar shows more than a few hundred characters, and the window system converts a
    // title whole, again at every change: a name of megabytes is cut short here, for the title
    // bar alone.
    constexpr qsizetype kLongest = 4096;
    QString s = displayText(text.size() > 4 * kLongest ? text.substr(0, 4 * kLongest) : text);
    if (s.size() > kLongest) s = s.left(kLongest - 1) + QChar(0x2026);
    s.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    // Qt shows the program's name for an empty title; an invisible character keeps it blank.
    if (s.isEmpty()) s = QChar(0x200B);
    return s;
}

QString buttonText(const std::string& text) {
    QString s = displayText(text);
    s.replace(QChar('&'), QStringLiteral("&&"));
    return s;
}

QString boxText(const std::string& text, const QFont& font, const QRect& screenArea) {
    const QFontMetrics fm(font);
    // The label of a message box wraps at about half the screen's width; leave room for the
    // icon, the button and the title bar.
    const int lineWidth = std::max(120, screenArea.width() / 2);
    const int rows = std::max(2, (screenArea.height() - 160) / std::max(1, fm.lineSpacing()));
    QStringList lines = displayText(text).split(QChar('\n'));
    const int count = static_cast<int>(std::min<qsizetype>(lines.size(), 1000));
    const int budget = lineWidth * std::max(1, rows / std::max(1, count));
    for (QString& line : lines) {
        if (fm.horizontalAdvance(line) > budget)
            line = fm.elidedText(line, Qt::ElideMiddle, budget);
        // A stretch with no place to break that is wider than the box (a name of Latin letters
        // without a space) may break anywhere: a zero-width space after every few of its
        // characters. Other text wraps as it is.
        QString broken;
        QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, line);
        qsizetype from = 0;
        while (from < line.size()) {
            qsizetype to = breaks.toNextBoundary();
            if (to < 0) to = line.size();
            const QString piece = line.mid(from, to - from);
            if (fm.horizontalAdvance(piece) > lineWidth) {
                int count = 0;
                for (const QChar c : piece) {
                    broken += c;
                    // Never between the two halves of a character outside the BMP.
                    if (!c.isHighSurrogate() && ++count % 8 == 0) broken += QChar(0x200B);
                }
            } else {
                broken += piece;
            }
            from = to;
        }
        line = broken;
    }
    return lines.join(QChar('\n'));
}

QPoint framePosition(const QRect& screenArea, const QSize& frameSize) {
    const int x = screenArea.left() + (screenArea.width() - frameSize.width()) / 2;
    const int y = screenArea.top() + (screenArea.height() - frameSize.height()) / 2;
    return {std::max(screenArea.left(), x), std::max(screenArea.top(), y)};
}

}  // namespace skyvane::qtlook

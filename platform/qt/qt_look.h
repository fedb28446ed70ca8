// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// How the model's values look in Qt: colours, twips, fonts and plain text.

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <string>

#include "platform/element.h"

namespace skyvane::qtlook {

inline QColor colour(Colour c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// 15 twips to a pixel. Both edges are rounded, so elements that meet in twips meet on screen.
int px(int twips);
QRect rect(int left, int top, int width, int height);

// The face a layout names, mapped to the installed metric-compatible face; sizes are pixels at
// 96 dpi so the layout never depends on the screen's dpi. An empty face is the default font.
QFont font(const FontDesign& design);
QStringList familiesFor(const std::string& face);

// For display only: a carriage return, alone or before a line feed, breaks the line.
QString displayText(const std::string& text);
// A window title that shows "[*]" literally.
QString windowTitle(const std::string& text);
// A button caption that shows "&" literally.
QString buttonText(const std::string& text);

// A message for a box that must fit the screen: a line too long for it (a name of thousands of
// characters) loses its middle, and long runs without a space may break anywhere.
QString boxText(const std::string& text, const QFont& font, const QRect& screenArea);

// Where a window's frame goes to centre it on the screen area; a window larger than the screen
// keeps its top-left corner, and so its title bar, on the screen.
QPoint framePosition(const QRect& screenArea, const QSize& frameSize);

}  // namespace skyvane::qtlook

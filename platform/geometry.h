// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// How the layouts' measures become pixels, the same on every desktop: twips, 15 to a pixel,
// and points at 96 dots an inch.

#include <cmath>
#include <string>
#include <vector>

#include "platform/element.h"

namespace skyvane::geometry {

inline int px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

struct PxRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Both edges are rounded, so elements that meet in twips meet on the screen.
inline PxRect rect(int left, int top, int width, int height) {
    const int x = px(left), y = px(top);
    return {x, y, px(left + width) - x, px(top + height) - y};
}

// The window's default font is 8.25 points; a layout's font names its size.
inline constexpr double kDefaultPoints = 8.25;
inline int fontPixels(const FontDesign& font) {
    const double points = font.face.empty() ? kDefaultPoints : font.points;
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

// The installed faces that stand for a face the layouts name, the metric-compatible IPA face
// first; an empty face is the window's default font.
inline std::vector<std::string> familiesFor(const std::string& face) {
    if (face == faces::kGothic) return {"IPAGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP"};
    if (face == faces::kMincho) return {"IPAMincho", "Noto Serif CJK JP"};
    return {"IPAPGothic", "Noto Sans CJK JP"};
}

}  // namespace skyvane::geometry

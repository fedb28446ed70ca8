// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include "platform/form.h"

namespace skyvane {

// The three screens, element by element.
const FormDesign& missionLayout();
const FormDesign& titleLayout();
const FormDesign& closingLayout();

// The pictures, compiled in as resources.
namespace pictures {
inline constexpr const char* kSideLeft = ":/pictures/side-left.xpm";
inline constexpr const char* kSideRight = ":/pictures/side-right.xpm";
inline constexpr const char* kFront = ":/pictures/front.xpm";
inline constexpr const char* kRear = ":/pictures/rear.xpm";
inline constexpr const char* kTopLeft = ":/pictures/top-left.xpm";
inline constexpr const char* kTopRight = ":/pictures/top-right.xpm";
inline constexpr const char* kTopDown = ":/pictures/top-down.xpm";
inline constexpr const char* kTopUp = ":/pictures/top-up.xpm";
inline constexpr const char* kArrowUp = ":/pictures/arrow-up.xpm";
inline constexpr const char* kArrowDown = ":/pictures/arrow-down.xpm";
inline constexpr const char* kArrowRight = ":/pictures/arrow-right.xpm";
inline constexpr const char* kArrowLeft = ":/pictures/arrow-left.xpm";
inline constexpr const char* kExplosionSide = ":/pictures/explosion-side.xpm";
inline constexpr const char* kExplosionMap = ":/pictures/explosion-map.xpm";
inline constexpr const char* kRedCross = ":/pictures/red-cross.xpm";
inline constexpr const char* kWarningSign = ":/pictures/warning-sign.xpm";
inline constexpr const char* kPrologue = ":/pictures/prologue.png";
}  // namespace pictures

// The prologue's words, one paragraph a line with blank lines between, as the picture shows them.
extern const char kPrologueText[];

}  // namespace skyvane

#pragma once

#include "platform/form.h"

namespace skyvane {

// The three screens, element by element.
const FormSpec& missionLayout();
const FormSpec& titleLayout();
const FormSpec& closingLayout();

// The pictures, compiled in as resources.
namespace pictures {
inline constexpr const char* SideLeft = ":/pictures/side-left.xpm";
inline constexpr const char* SideRight = ":/pictures/side-right.xpm";
inline constexpr const char* Front = ":/pictures/front.xpm";
inline constexpr const char* Rear = ":/pictures/rear.xpm";
inline constexpr const char* TopLeft = ":/pictures/top-left.xpm";
inline constexpr const char* TopRight = ":/pictures/top-right.xpm";
inline constexpr const char* TopDown = ":/pictures/top-down.xpm";
inline constexpr const char* TopUp = ":/pictures/top-up.xpm";
inline constexpr const char* ArrowUp = ":/pictures/arrow-up.xpm";
inline constexpr const char* ArrowDown = ":/pictures/arrow-down.xpm";
inline constexpr const char* ArrowRight = ":/pictures/arrow-right.xpm";
inline constexpr const char* ArrowLeft = ":/pictures/arrow-left.xpm";
inline constexpr const char* ExplosionSide = ":/pictures/explosion-side.xpm";
inline constexpr const char* ExplosionMap = ":/pictures/explosion-map.xpm";
inline constexpr const char* RedCross = ":/pictures/red-cross.xpm";
inline constexpr const char* WarningSign = ":/pictures/warning-sign.xpm";
inline constexpr const char* Prologue = ":/pictures/prologue.png";
}  // namespace pictures

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The game's colours, as the layouts and handlers store them: 0x00BBGGRR.

#include "platform/element.h"

namespace skyvane::colours {

inline constexpr Colour kBlack = 0;
inline constexpr Colour kWhite = 16777215;
inline constexpr Colour kYellow = 65535;
inline constexpr Colour kRed = 255;
inline constexpr Colour kDarkRed = 64;            // the power lamp while no lift
inline constexpr Colour kBlue = 16711680;         // titles, the side view's ground line
inline constexpr Colour kNavy = 4194304;          // the title's dark blink phase
inline constexpr Colour kGrey = 8421504;          // pads, the panel's outline
inline constexpr Colour kDarkGrey = 4210752;      // borders of pads and the lamp
inline constexpr Colour kPaleCyan = 16777152;     // the side view's sky
inline constexpr Colour kLightViolet = 16744576;  // the map
inline constexpr Colour kOrange = 33023;          // the target mark
inline constexpr Colour kLightOrange = 8438015;   // the target mark's rim
inline constexpr Colour kDarkOrange = 16576;      // the target pad's border
// The system's colours, for elements that keep the defaults.
inline constexpr Colour kWindowText = 0;
inline constexpr Colour kButtonFace = 0xF0F0F0;

}  // namespace skyvane::colours

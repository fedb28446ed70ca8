// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The wave files, as the sound calls name them and as they lie beside the game.

namespace skyvane::mission_sounds {
inline constexpr const char* kRotor = "HERI3.wav";
inline constexpr const char* kExplosion = "BAKU.wav";
}  // namespace skyvane::mission_sounds

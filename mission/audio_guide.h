// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The audio guide's cues, from the state the mission screen keeps: what a player who cannot see
// the views hears of the flight (platform/sound.h says what each cue is).

#include "mission/mission_screen.h"
#include "platform/sound.h"

namespace skyvane {

Guide guideOf(const MissionScreen& mission);

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <string>

#include "platform/desktop_base.h"
#include "screens/game.h"

namespace skyvane {

// Where a run stands, as a player would say it.
enum class Phase {
    Title,     // the title screen asks for a name
    Briefing,  // the mission screen before the first GO
    Flight,    // a leg is under way
    Crashed,   // exploded on touching down
    Sunk,      // gone into the sea
    Target,    // landed at the target, BACK offered
    Base,      // delivered at the base, GO offered
    Won,       // the closing screen thanks the pilot
    Ended,     // the program has ended
};

Phase phaseOf(const Game& game, const DesktopBase& desktop);
const char* phaseName(Phase phase);

// One line that sums a run up: phase, people rescued, the fuel and altitude readouts and the
// last period.
std::string summary(const Game& game, const DesktopBase& desktop);

}  // namespace skyvane

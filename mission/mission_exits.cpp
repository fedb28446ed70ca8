// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The ways out of a mission: the close button's farewell, and the unload that ends the game
// however the mission screen is closed.

#include "mission/mission_screen.h"

namespace skyvane {

using namespace mission_text;

void MissionScreen::Command2_Click() {
    std::string message = texts_.tr(kRegret);
    message += '\r';
    message += texts_.tr(kRespectBefore);
    message += pilotName_.text();
    message += texts_.tr(kRespectAfter);
    desktop_.messageBox(message, kInformationOk, "");
    desktop_.unload(*this);
}

void MissionScreen::Form_Unload(std::int16_t& Cancel) {
    (void)Cancel;
    // Twice, as the game always has: whatever still plays is silenced.
    sound_.play(nullptr, kSoundSync);
    sound_.play(nullptr, kSoundSync);
    desktop_.end();
}

}  // namespace skyvane

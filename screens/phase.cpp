// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "screens/phase.h"

#include "mission/flight_rules.h"

namespace skyvane {

Phase phaseOf(const Game& game, const DesktopBase& desktop) {
    const MissionScreen& m = game.mission;
    if (desktop.ended()) return Phase::Ended;
    // From the delivery that brings the count to ten, through the box of thanks, to the end.
    if (game.closing.loaded() ||
        (m.loaded() && (!m.visible() || m.Rescued >= flight::kPeopleToRescue)))
        return Phase::Won;
    if (!m.loaded()) return Phase::Title;
    if (m.Timer1.enabled()) return Phase::Flight;
    if (m.Command3.visible()) return Phase::Target;
    if (m.Command2.visible() && !m.Command1.visible())
        return m.Image11.picture().isNull() ? Phase::Crashed : Phase::Sunk;
    return m.Command2.visible() ? Phase::Briefing : Phase::Base;
}

const char* phaseName(Phase phase) {
    switch (phase) {
        case Phase::Title:
            return "title";
        case Phase::Briefing:
            return "briefing";
        case Phase::Flight:
            return "flight";
        case Phase::Crashed:
            return "crashed";
        case Phase::Sunk:
            return "sunk";
        case Phase::Target:
            return "target";
        case Phase::Base:
            return "base";
        case Phase::Won:
            return "won";
        case Phase::Ended:
            return "ended";
    }
    return "?";
}

std::string summary(const Game& game, const DesktopBase& desktop) {
    const MissionScreen& m = game.mission;
    return std::string("phase=") + phaseName(phaseOf(game, desktop)) +
           " rescued=" + std::to_string(m.Rescued) + " fuel=" + m.Label16.caption() +
           " altitude=" + m.Label8.caption() + " period=" + std::to_string(desktop.period());
}

}  // namespace skyvane

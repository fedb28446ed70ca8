// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "mission/audio_guide.h"

#include <algorithm>
#include <cstdlib>

#include "mission/flight_rules.h"

namespace skyvane {

namespace {

// A distance in the guide's steps, held to its range.
int steps(int twips, int most) {
    return std::clamp(twips / Guide::kStep, -most, most);
}

}  // namespace

Guide guideOf(const MissionScreen& m) {
    Guide g;
    // Only in flight: between GO or BACK and the outcome, while the motion tick runs.
    if (!m.loaded() || !m.Timer1.enabled()) return g;
    g.flying = true;
    g.height = steps(flight::kGroundLine - m.HeliY, Guide::kTop);
    if (g.height < 0) g.height = 0;
    // HeliY grows downwards: positive is falling.
    const int falling = m.DirY * m.SpeedY;
    const int speed = std::abs(falling);
    if (speed > 0) g.tickEvery = std::clamp(flight::kGuideTicks / speed, 2, 64);
    g.rising = falling < 0;
    g.warning = falling > flight::kMaxLandingSpeed &&
                flight::kGroundLine - m.HeliY < flight::kGuideWarningHeight;
    // The leg's destination: the target going out, the base coming back.
    const auto& zone = m.Outbound != 0 ? flight::kTargetZone : flight::kBaseZone;
    const int x = (zone.left + zone.right) / 2, z = (zone.top + zone.bottom) / 2;
    g.pan = steps(x - m.HeliX, Guide::kSide);
    g.depth = steps(z - m.HeliZ, Guide::kSide);
    g.inZone = zone.contains(m.HeliX, m.HeliZ);
    return g;
}

}  // namespace skyvane

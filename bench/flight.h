// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A game held in flight on the headless desktop: joined, GO pressed, Shift tapped so the
// helicopter hovers, and the tank topped up now and then, so a period can be run for ever.

#include "platform/headless/headless_desktop.h"
#include "screens/game.h"

namespace skyvane::bench {

class Flight {
  public:
    Flight() {
        desktop_.invoke([&] { game_.start(); });
        game_.title.Text1.setText("Bench");
        desktop_.click(game_.title.Command1);
        desktop_.click(game_.mission.Command1);
    }
    // One period of the grid, the pilot's hand included.
    void period() {
        MissionScreen& m = game_.mission;
        // Lift while falling, none while rising: a hover around the same height.
        const bool lift = m.DirY * m.SpeedY > 0;
        if (lift != (m.KeyY == 1)) {
            if (lift) {
                desktop_.pressKey(m, vk::Shift);
            } else {
                desktop_.releaseKey(m, vk::Shift);
            }
        }
        // The hand of the bench, not the pilot's: the flight never ends.
        if (m.Fuel < 200) m.Fuel = 1000;
        if (m.HeliY > 2000 || m.HeliY < 1000) {
            m.HeliY = 1500;
            m.SpeedY = 0;
        }
        desktop_.runPeriod();
    }
    bool flying() const { return game_.mission.Timer1.enabled(); }
    HeadlessDesktop& desktop() { return desktop_; }

  private:
    HeadlessDesktop desktop_;
    NullSound sound_;
    Game game_{desktop_, sound_};
};

}  // namespace skyvane::bench

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A game on the headless desktop, joined by a named pilot and ready at the briefing.

#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless_desktop.h"
#include "screens/game.h"
#include "tests/recording_sound.h"

namespace skyvane::testing {

class GameFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.invoke([&] { game.start(); });
    }

    void join(const std::string& name) {
        game.title.Text1.setText(name);
        desktop.click(game.title.Command1);
    }
    void press(int key) { desktop.pressKey(m, key); }
    void release(int key) { desktop.releaseKey(m, key); }
    void go() { desktop.click(m.Command1); }
    void back() { desktop.click(m.Command3); }

    // Puts the helicopter somewhere in a flight and lets the landing rules judge it once.
    void judge(std::int16_t outbound, std::int16_t x, std::int16_t z, std::int16_t y,
               std::int16_t speedY) {
        m.Outbound = outbound;
        m.HeliX = x;
        m.HeliZ = z;
        m.HeliY = y;
        m.SpeedY = speedY;
        desktop.invoke([&] { m.Timer5_Timer(); });
    }

    HeadlessDesktop desktop;
    RecordingSound sound;
    Game game{desktop, sound};
    MissionScreen& m = game.mission;
};

}  // namespace skyvane::testing

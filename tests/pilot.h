// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A scripted pilot that flies the mission screen with real key-down and key-up events, one
// decision per period of the timer grid, from what a player can read off the state.

#include <algorithm>
#include <cstdlib>

#include "mission/mission_screen.h"
#include "platform/headless/headless_desktop.h"

namespace skyvane::testing {

// The keys a pilot holds: one arrow or none on each axis, and Shift or not.
struct Stick {
    int x = 0;
    int z = 0;
    bool lift = false;
};

// What to hold now to fly towards (x, z): descending at `landingSpeed` once above it when
// landing, else holding height `hoverY`.
inline Stick decide(const MissionScreen& m, int x, int z, bool land, int hoverY = 1800,
                    int landingSpeed = 12) {
    // Holds the arrow towards the target while a release now would still stop short of it.
    auto axis = [](int error, int dir, int speed, int lessKey, int moreKey) {
        int stop = 0;
        for (int s = speed; s >= 0; s -= 3) stop += dir * s;
        const int sign = error < 0 ? -1 : 1;
        const bool push = std::abs(error) > 25 && sign * stop < std::abs(error) - 20;
        return push ? (error < 0 ? lessKey : moreKey) : 0;
    };
    Stick stick;
    stick.x = axis(x - m.HeliX, m.DirX, m.SpeedX, vk::Left, vk::Right);
    stick.z = axis(z - m.HeliZ, m.DirZ, m.SpeedZ, vk::Up, vk::Down);
    // Vertical velocity, positive downwards: lift takes one off it per tick, gravity adds one.
    const int velocity = m.DirY * m.SpeedY;
    const bool overTarget = std::abs(x - m.HeliX) < 60 && std::abs(z - m.HeliZ) < 60;
    int wanted = (hoverY - m.HeliY) / 10;
    if (land && overTarget) wanted = landingSpeed;
    wanted = std::clamp(wanted, -15, 15);
    stick.lift = velocity > wanted;
    return stick;
}

class Pilot {
  public:
    Pilot(HeadlessDesktop& desktop, MissionScreen& m) : desktop_(desktop), m_(m) {}

    // Flies one period towards (x, z); descends once above it, or holds height `hoverY`.
    void steer(int x, int z, bool land, int hoverY = 1800) {
        const Stick want = decide(m_, x, z, land, hoverY);
        arrow(want.x, held_.x);
        arrow(want.z, held_.z);
        if (want.lift != held_.lift) {
            if (want.lift) {
                desktop_.pressKey(m_, vk::Shift);
            } else {
                desktop_.releaseKey(m_, vk::Shift);
            }
            held_.lift = want.lift;
        }
        desktop_.advance(1);
    }

    void letGo() {
        if (held_.lift) desktop_.releaseKey(m_, vk::Shift);
        arrow(0, held_.x);
        arrow(0, held_.z);
        held_ = {};
    }

  private:
    void arrow(int want, int& held) {
        if (held == want) return;
        if (held) desktop_.releaseKey(m_, held);
        if (want) desktop_.pressKey(m_, want);
        held = want;
    }

    HeadlessDesktop& desktop_;
    MissionScreen& m_;
    Stick held_;
};

}  // namespace skyvane::testing

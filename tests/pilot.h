#pragma once

// A scripted pilot that flies the mission screen with real key-down and key-up events, one
// decision per period of the timer grid, from what a player can read off the state.

#include <cstdlib>

#include "mission/mission_screen.h"
#include "platform/headless/headless_desktop.h"

namespace skyvane::testing {

class Pilot {
  public:
    Pilot(HeadlessDesktop& desktop, MissionScreen& m) : desktop_(desktop), m_(m) {}

    // Flies one period towards (x, z); descends once above it, or holds height `hoverY`.
    void steer(int x, int z, bool land, int hoverY = 1800) {
        const bool overTarget = std::abs(x - m_.HeliX) < 60 && std::abs(z - m_.HeliZ) < 60;
        axis(x - m_.HeliX, m_.DirX, m_.SpeedX, vk::Left, vk::Right, heldX_);
        axis(z - m_.HeliZ, m_.DirZ, m_.SpeedZ, vk::Up, vk::Down, heldZ_);
        // Vertical velocity, positive downwards: lift takes one off it per tick, gravity adds one.
        const int velocity = m_.DirY * m_.SpeedY;
        int wanted = (hoverY - m_.HeliY) / 10;
        if (land && overTarget) wanted = 12;
        wanted = std::max(-15, std::min(15, wanted));
        hold(vk::Shift, velocity > wanted, shift_);
        desktop_.advance(1);
    }

    void letGo() {
        hold(vk::Shift, false, shift_);
        hold(heldX_, false, heldX_);
        hold(heldZ_, false, heldZ_);
    }

  private:
    // Holds the arrow towards the target while a release now would still stop short of it.
    void axis(int error, int dir, int speed, int lessKey, int moreKey, int& held) {
        int stop = 0;
        for (int s = speed; s >= 0; s -= 3) stop += dir * s;
        const int toward = error < 0 ? lessKey : moreKey;
        const int sign = error < 0 ? -1 : 1;
        const bool push = std::abs(error) > 25 && sign * stop < std::abs(error) - 20;
        const int want = push ? toward : 0;
        if (held != want) {
            if (held) desktop_.releaseKey(m_, held);
            held = 0;
            if (want) {
                desktop_.pressKey(m_, want);
                held = want;
            }
        }
    }
    void hold(int key, bool down, int& state) {
        if (!key) return;
        if (down && !state) {
            desktop_.pressKey(m_, key);
            state = key;
        } else if (!down && state) {
            desktop_.releaseKey(m_, key);
            state = 0;
        }
    }

    HeadlessDesktop& desktop_;
    MissionScreen& m_;
    int heldX_ = 0, heldZ_ = 0, shift_ = 0;
};

}  // namespace skyvane::testing

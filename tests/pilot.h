// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A scripted pilot that flies the mission screen with real key-down and key-up events, one
// decision per period of the timer grid, from what a player can read off the state.

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>

#include "mission/flight_rules.h"
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

// A pilot who cannot see the views: it hears the audio guide's cues and what a screen reader
// says, presses only keys, and never reads the game's state.
class EarPilot {
  public:
    EarPilot(HeadlessDesktop& desktop, MissionScreen& m) : desktop_(desktop), m_(m) {}

    void hear(const Guide& guide) { guide_ = guide; }
    void hear(const std::string& said) { said_.push_back(said); }
    const std::vector<std::string>& said() const { return said_; }

    // One decision, after a period: between flights, Return once the orders or a landing are
    // heard; in flight, towards where the pan and the beacon say, at the height the tone says,
    // and down gently over the zone the bell rings for.
    void decide() {
        const Guide& g = guide_;
        if (!g.flying) {
            for (int key : {vk::Shift, vk::Left, vk::Right, vk::Up, vk::Down}) hold(key, false);
            past_.clear();
            // The words of a landing as a reader says them.
            const bool ready =
                said_.size() == 1 || (!said_.empty() && said_.back() == "ＯＫ！ＧＯＯＤ！！");
            if (ready && !pressed_) {
                desktop_.pressKey(m_, vk::Return);
                desktop_.releaseKey(m_, vk::Return);
            }
            pressed_ = ready;
            return;
        }
        pressed_ = false;
        past_.push_back(g);
        if (past_.size() > 8) past_.pop_front();
        const int x = axis(g.pan, past_.front().pan, vk::Left, vk::Right);
        const int z = axis(g.depth, past_.front().depth, vk::Up, vk::Down);
        for (int key : {vk::Left, vk::Right}) hold(key, key == x);
        for (int key : {vk::Up, vk::Down}) hold(key, key == z);
        // Falling speed from the ticks, positive down.
        const int falling =
            g.tickEvery ? (g.rising ? -1 : 1) * flight::kGuideTicks / g.tickEvery : 0;
        const int wanted = g.inZone ? 10 : std::clamp((g.height - 10) * Guide::kStep / 10, -15, 15);
        hold(vk::Shift, falling > wanted);
    }

  private:
    // An arrow towards the destination while letting go now would stop short of it; how fast
    // it comes nearer is heard over the last eight periods.
    static int axis(int error, int before, int less, int more) {
        const int now = error * Guide::kStep, speed = (before - error) * Guide::kStep / 8;
        const int stop = speed * std::abs(speed) / 6;  // braking takes three a period
        const bool push = std::abs(now) >= Guide::kStep && (now > 0 ? stop < now : stop > now);
        return push ? (now < 0 ? less : more) : 0;
    }
    void hold(int key, bool down) {
        if (held_[key] == down) return;
        held_[key] = down;
        if (down) {
            desktop_.pressKey(m_, key);
        } else {
            desktop_.releaseKey(m_, key);
        }
    }

    HeadlessDesktop& desktop_;
    MissionScreen& m_;
    Guide guide_;
    std::vector<std::string> said_;
    std::deque<Guide> past_;
    std::map<int, bool> held_;
    bool pressed_ = false;
};

}  // namespace skyvane::testing

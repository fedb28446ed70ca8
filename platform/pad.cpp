// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/pad.h"

#include <algorithm>

#include "platform/keys.h"

namespace skyvane {

namespace {

// How far a stick must lean to count as an arrow.
constexpr int kLean = 50;

}  // namespace

std::vector<std::pair<int, bool>> PadMapper::update(const PadState& now, bool buttonFocused) {
    const auto pressed = [&](unsigned b) { return (now.buttons & b) != 0; };
    if (pressed(PadState::A) && !(last_.buttons & PadState::A)) aPresses_ = buttonFocused;
    last_ = now;
    std::vector<int> want;
    if (pressed(PadState::Left) || now.stickX < -kLean) want.push_back(vk::Left);
    if (pressed(PadState::Right) || now.stickX > kLean) want.push_back(vk::Right);
    if (pressed(PadState::Up) || now.stickY < -kLean) want.push_back(vk::Up);
    if (pressed(PadState::Down) || now.stickY > kLean) want.push_back(vk::Down);
    const bool a = pressed(PadState::A);
    if ((a && !aPresses_) || pressed(PadState::B) || pressed(PadState::X) || pressed(PadState::Y) ||
        pressed(PadState::RightTrigger))
        want.push_back(vk::Shift);
    if (pressed(PadState::Start) || (a && aPresses_)) want.push_back(vk::Return);
    std::vector<std::pair<int, bool>> changes;
    for (int key : held_)
        if (std::find(want.begin(), want.end(), key) == want.end())
            changes.emplace_back(key, false);
    for (int key : want)
        if (std::find(held_.begin(), held_.end(), key) == held_.end())
            changes.emplace_back(key, true);
    held_ = std::move(want);
    return changes;
}

std::vector<std::pair<int, bool>> PadMapper::release() {
    std::vector<std::pair<int, bool>> changes;
    for (int key : held_) changes.emplace_back(key, false);
    held_.clear();
    last_ = {};
    aPresses_ = false;
    return changes;
}

}  // namespace skyvane

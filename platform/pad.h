// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A gamepad as the game's keys, the same in every player: the d-pad and the left stick are the
// arrows; the face buttons and the right trigger are the lift; Start, and A while a button of
// the window has the focus, press that button (Return). What a button means is fixed as it goes
// down, so that its up lets go of what its down held.

#include <cstdint>
#include <utility>
#include <vector>

namespace skyvane {

// A pad as the standard layout numbers its buttons.
struct PadState {
    enum Button : unsigned {
        A = 1u << 0,
        B = 1u << 1,
        X = 1u << 2,
        Y = 1u << 3,
        RightTrigger = 1u << 7,
        Start = 1u << 9,
        Up = 1u << 12,
        Down = 1u << 13,
        Left = 1u << 14,
        Right = 1u << 15,
    };
    std::uint32_t buttons = 0;
    int stickX = 0, stickY = 0;  // the left stick, -100 (left, up) to 100
};

class PadMapper {
  public:
    // The keys that go down (true) and up (false) as the pad comes to `now`; `buttonFocused`
    // says whether a button of the window has the focus.
    std::vector<std::pair<int, bool>> update(const PadState& now, bool buttonFocused);
    // Every key the pad holds goes up (the pad is gone, or the window lost the keyboard).
    std::vector<std::pair<int, bool>> release();

  private:
    PadState last_;
    std::vector<int> held_;
    bool aPresses_ = false;  // A went down on a focused button: it is Return until it comes up
};

}  // namespace skyvane

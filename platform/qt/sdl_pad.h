// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Gamepads through SDL's game controllers, on a thread of their own: each pad's buttons and
// left stick, as they change, handed to the Qt thread. Nothing starts before start(), and a
// player without a pad sees nothing of it.

#include <atomic>
#include <functional>
#include <thread>

#include "platform/pad.h"

namespace skyvane {

class SdlPad {
  public:
    // `changed` runs on the Qt thread; `gone` when the last pad goes.
    SdlPad(std::function<void(const PadState&)> changed, std::function<void()> gone);
    ~SdlPad();
    SdlPad(const SdlPad&) = delete;
    SdlPad& operator=(const SdlPad&) = delete;

    void start();
    // Whether SDL's game controllers are being watched (for the tests).
    bool watching() const { return watching_; }

  private:
    void run();

    std::function<void(const PadState&)> changed_;
    std::function<void()> gone_;
    std::thread worker_;
    std::atomic<bool> quit_{false}, watching_{false};
};

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/desktop_base.h"

namespace skyvane {

struct MessageBoxCall {
    std::string text;
    int style = 0;
    std::string title;
};

// A desktop without windows, in simulated time: the grid moves only when told to, message
// boxes are recorded and closed at once (or when a hook returns), and input is injected. A
// handler that fails with an exception is a fault here: the exception goes on up to the test.
class HeadlessDesktop : public DesktopBase {
  public:
    // Runs whole periods of the 64 Hz grid.
    void advance(std::uint64_t periods);
    // Ticks the timers due in a period in an order drawn from the seed, differently each period.
    void shuffleTimers(std::uint32_t seed);
    // Ticks the timers due in a period in the reverse of the order they were loaded.
    void reverseTimers();

    const std::vector<MessageBoxCall>& messageBoxes() const { return boxes_; }
    // Called while a message box is open; returning closes it. The grid may be advanced here.
    std::function<void(const MessageBoxCall&)> whileMessageBox;
    int quitCount() const { return quits_; }
    // What the game said to a screen reader (answers to questions), oldest first.
    const std::vector<std::string>& said() const { return said_; }

  protected:
    void attach(Form&) override {}
    void detach(Form&) override {}
    void present(Form&, bool) override {}
    void runMessageBox(const std::string& text, int style, const std::string& title) override;
    // The replay that closes a box runs inside whileMessageBox, which returns when it has.
    void closeMessageBox() override {}
    void quit() override { ++quits_; }
    void say(Form&, const std::string& words) override { said_.push_back(words); }
    [[noreturn]] void handlerFailed(const std::exception& error) override;

  private:
    std::vector<MessageBoxCall> boxes_;
    std::vector<std::string> said_;
    int quits_ = 0;
};

}  // namespace skyvane

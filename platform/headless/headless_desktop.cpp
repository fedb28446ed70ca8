// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/headless/headless_desktop.h"

#include <algorithm>
#include <exception>
#include <random>

namespace skyvane {

void HeadlessDesktop::advance(std::uint64_t periods) {
    for (std::uint64_t i = 0; i < periods && !ended(); ++i) runPeriod();
}

void HeadlessDesktop::shuffleTimers(std::uint32_t seed) {
    setTimerOrder([rng = std::mt19937(seed)](std::vector<Timer*>& timers) mutable {
        std::shuffle(timers.begin(), timers.end(), rng);
    });
}

void HeadlessDesktop::reverseTimers() {
    setTimerOrder([](std::vector<Timer*>& timers) { std::reverse(timers.begin(), timers.end()); });
}

void HeadlessDesktop::handlerFailed(const std::exception&) {
    throw;
}

void HeadlessDesktop::runMessageBox(const std::string& text, int style, const std::string& title) {
    boxes_.push_back({text, style, title});
    // A copy: the hook may open further boxes.
    if (whileMessageBox) whileMessageBox(MessageBoxCall(boxes_.back()));
}

}  // namespace skyvane

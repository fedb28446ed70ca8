// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The timer grid on a real clock, as the desktops with one pace it: the period that is due is
// the clock's reading over 15.625 ms, on absolute deadlines so the pace never drifts. Periods
// a stall passed over are dropped, not run in a burst (the desktop records a skip); a replay
// instead moves the clock's origin and goes on from where it was.

#include <cstdint>

#include "platform/desktop_base.h"

namespace skyvane {

class Pacer {
  public:
    static constexpr std::int64_t kPeriodNs = kPeriodUs * 1000;

    void setDropLate(bool drop) { dropLate_ = drop; }
    void setOrigin(std::int64_t clockNs) { origin_ = clockNs; }

    // Brings the desktop up to the clock: true if a period is due now, which the caller runs.
    bool catchUp(DesktopBase& desktop, std::int64_t clockNs) {
        const std::int64_t now = clockNs - origin_;
        auto due = static_cast<std::uint64_t>(now < 0 ? 0 : now / kPeriodNs);
        if (due > desktop.period() + 1) {
            if (dropLate_) {
                desktop.skipTo(due - 1);
            } else {
                origin_ += static_cast<std::int64_t>(due - desktop.period() - 1) * kPeriodNs;
                due = desktop.period() + 1;
            }
        }
        next_ = (due > desktop.period() ? due : desktop.period()) + 1;
        return due > desktop.period();
    }
    // The clock's reading at which the next period is due, after catchUp.
    std::int64_t nextDeadlineNs() const {
        return static_cast<std::int64_t>(next_) * kPeriodNs + origin_;
    }

  private:
    std::int64_t origin_ = 0;  // the clock's reading at period 0
    std::uint64_t next_ = 1;
    bool dropLate_ = true;
};

}  // namespace skyvane

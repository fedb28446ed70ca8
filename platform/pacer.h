// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The timer grid on a real clock, as the desktops with one pace it: the period that is due is
// the clock's reading over the period's length, on absolute deadlines so the pace never drifts.
// Periods a stall passed over are dropped, not run in a burst (the desktop records a skip); a
// replay instead moves the clock's origin and goes on from where it was. A replay may also be
// watched faster or slower: the grid's periods are the same, only shorter or longer on the clock.

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/desktop_base.h"

namespace skyvane {

class Pacer {
  public:
    static constexpr std::int64_t kPeriodNs = kPeriodUs * 1000;
    // The speeds a run may be watched at, the game's own being 1.
    static constexpr double kSlowest = 0.125;
    static constexpr double kFastest = 64;

    // A pace asked for in words ("2", "0.5", "1/2"): a finite number from kSlowest to kFastest,
    // or nullopt. The program's --speed and the page's ?speed= both read it so.
    static constexpr const char* kSpeedRefused = "--speed takes a number from 0.125 to 64, not ";
    static std::optional<double> parseSpeed(std::string_view s) {
        // Plain decimals: digits, and a point with more digits; read as a whole number over a
        // power of ten, so that 0.125 is 0.125.
        auto number = [](std::string_view t) -> std::optional<double> {
            if (t.empty() || t.size() > 18) return std::nullopt;
            double whole = 0, over = 1;
            bool digits = false, point = false;
            for (const char c : t) {
                if (c == '.' && !point) {
                    point = true;
                } else if (c >= '0' && c <= '9') {
                    digits = true;
                    whole = whole * 10 + (c - '0');
                    if (point) over *= 10;
                } else {
                    return std::nullopt;
                }
            }
            return digits ? std::optional<double>(whole / over) : std::nullopt;
        };
        const auto slash = s.find('/');
        auto v = number(s.substr(0, slash));
        if (v && slash != std::string_view::npos) {
            const auto below = number(s.substr(slash + 1));
            v = below && *below != 0 ? std::optional<double>(*v / *below) : std::nullopt;
        }
        if (!v || !std::isfinite(*v) || *v < kSlowest || *v > kFastest) return std::nullopt;
        return v;
    }

    // The clock's reading at period 0.
    void setOrigin(std::int64_t clockNs) { origin_ = static_cast<double>(clockNs); }
    // From the period the grid stands at, on this clock reading, at this speed (clamped to the
    // speeds there are).
    void setSpeed(double speed, std::int64_t clockNs, std::uint64_t period) {
        if (!(speed >= kSlowest)) speed = kSlowest;
        if (speed > kFastest) speed = kFastest;
        periodNs_ = static_cast<double>(kPeriodNs) / speed;
        origin_ = static_cast<double>(clockNs) - static_cast<double>(period) * periodNs_;
        next_ = period + 1;
    }
    double speed() const { return static_cast<double>(kPeriodNs) / periodNs_; }
    // One period on the clock, at this speed.
    std::int64_t periodNs() const { return static_cast<std::int64_t>(std::ceil(periodNs_)); }

    // Brings the desktop up to the clock: true if a period is due now, which the caller runs,
    // then asks again. In play, what a stall passed over is skipped, so one period at most is
    // due; a replay runs every period it is behind by, up to a sixteenth of a second of the
    // clock (at a fast pace, several periods fall between two wakes), and past that goes on
    // from where it stands.
    bool catchUp(DesktopBase& desktop, std::int64_t clockNs) {
        const double now = static_cast<double>(clockNs) - origin_;
        auto due = static_cast<std::uint64_t>(now < 0 ? 0 : std::floor(now / periodNs_));
        const std::uint64_t at = desktop.period();
        if (!desktop.playerLockedOut()) {
            if (due > at + 1) desktop.skipTo(due - 1);
        } else if (due > at + behindAtMost()) {
            origin_ += static_cast<double>(due - at - 1) * periodNs_;
            due = at + 1;
        }
        // After a period due now, the one after it; else the next.
        next_ = due > desktop.period() ? desktop.period() + 2 : desktop.period() + 1;
        return due > desktop.period();
    }
    // The most periods a replay runs back to back to keep up with the clock.
    std::uint64_t behindAtMost() const {
        return static_cast<std::uint64_t>(std::ceil(4 * speed()));
    }
    // The clock's reading at which the next period to wake for is due, after catchUp: rounded
    // up, for a wake at the deadline to find the period due (at a speed whose period is not a
    // whole number of nanoseconds, rounding to the nearest woke too early and for nothing).
    std::int64_t nextDeadlineNs() const {
        return static_cast<std::int64_t>(
            std::ceil(static_cast<double>(next_) * periodNs_ + origin_));
    }

  private:
    double origin_ = 0;
    double periodNs_ = static_cast<double>(kPeriodNs);
    std::uint64_t next_ = 1;
};

}  // namespace skyvane

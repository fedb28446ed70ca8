// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The pacer on simulated clocks, at every speed: a desktop woken at random moments (on time,
// late by a period, after a long stall, with a clock that jumps back) reaches the period the
// clock says, no sooner and no later; in play it runs one period a wake and skips what a stall
// passed over, a replay runs every period it is behind by up to its limit and then goes on from
// where it stands; and the deadline it arms is always the next period's, never in the past.
// The clocks are drawn from a seed, printed on a failure (SKYVANE_SEED=N draws them again).

#include "platform/pacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>

#include "platform/headless/headless_desktop.h"

namespace skyvane {
namespace {

std::uint64_t seed() {
    static const std::uint64_t s = [] {
        const char* given = std::getenv("SKYVANE_SEED");
        return given ? std::strtoull(given, nullptr, 10) : std::uint64_t{std::random_device{}()};
    }();
    return s;
}

// A replay that never ends: the desktop is locked to it, and the grid always goes on.
struct EndlessReplay : InputSource {
    bool beforePeriod() override { return true; }
    void periodStart() override {}
    void programEnded() override {}
};

struct Wake {
    std::int64_t clockNs;
    std::uint64_t ran = 0;        // periods run in this wake
    std::uint64_t skippedTo = 0;  // the period the desktop stood at after skipping, if it did
};

// One pacer on one desktop, woken as the Qt and web desktops wake it: catch up, run what is due,
// ask again, then arm the deadline.
struct Paced {
    Paced(double speed, bool replay) {
        if (replay) desktop.setInputSource(&source);
        pacer.setOrigin(0);
        pacer.setSpeed(speed, 0, 0);
    }
    Wake wake(std::int64_t clockNs) {
        Wake w{clockNs};
        const auto before = desktop.period();
        for (int guard = 0; guard < 100000 && pacer.catchUp(desktop, clockNs); ++guard) {
            if (desktop.period() != before + w.ran) w.skippedTo = desktop.period();
            desktop.runPeriod();
            ++w.ran;
        }
        return w;
    }
    HeadlessDesktop desktop;
    EndlessReplay source;
    Pacer pacer;
};

TEST(Pacer, EveryDesktopReachesThePeriodItsClockSaysAtEverySpeed) {
    SCOPED_TRACE("SKYVANE_SEED=" + std::to_string(seed()));
    std::mt19937_64 rnd(seed());
    for (const double speed : {0.125, 0.5, 1.0, 2.0, 4.0, 64.0}) {
        for (const bool replay : {false, true}) {
            const double period = static_cast<double>(Pacer::kPeriodNs) / speed;
            Paced p(speed, replay);
            std::int64_t clock = 0;
            double origin = 0;  // where the replay's period 0 stands on the clock, as it moves on
            std::ostringstream story;
            for (int i = 0; i < 400; ++i) {
                // On time, a little late, a period late, a long stall, or a clock that jumps back.
                const int kind = static_cast<int>(rnd() % 10);
                const auto deadline = p.pacer.nextDeadlineNs();
                std::int64_t next = deadline;
                if (kind < 4) next = deadline + static_cast<std::int64_t>(rnd() % 1000);
                if (kind == 4 || kind == 5) next = deadline + static_cast<std::int64_t>(period);
                if (kind == 6)
                    next = deadline + static_cast<std::int64_t>(period * (2 + rnd() % 400));
                if (kind == 7) next = clock - static_cast<std::int64_t>(rnd() % 50'000'000);
                if (kind >= 8) next = clock + static_cast<std::int64_t>(rnd() % 20'000'000);
                clock = std::max<std::int64_t>(next, 0);
                const auto at = p.desktop.period();
                const auto due = static_cast<std::uint64_t>(
                    std::max(0.0, std::floor((static_cast<double>(clock) - origin) / period)));
                const Wake w = p.wake(clock);
                story << " " << clock << ":" << at << "->" << p.desktop.period();
                SCOPED_TRACE("speed " + std::to_string(speed) + (replay ? " replay" : " play") +
                             ", wakes (clock:from->to):" + story.str());
                if (!replay) {
                    // In play the grid stands where the clock says, one period run at most: what
                    // a stall passed over is skipped, and a clock gone back waits.
                    ASSERT_EQ(p.desktop.period(), std::max(at, due));
                    ASSERT_LE(w.ran, 1u);
                    ASSERT_EQ(w.skippedTo, due > at + 1 ? due - 1 : 0u);
                } else {
                    // A replay skips nothing: behind by no more than its limit it catches up
                    // whole; further behind, it runs one period and goes on from there.
                    ASSERT_EQ(w.skippedTo, 0u);
                    const auto limit = static_cast<std::uint64_t>(std::ceil(4 * speed));
                    if (due <= at) {
                        ASSERT_EQ(w.ran, 0u);
                    } else if (due - at <= limit) {
                        ASSERT_EQ(p.desktop.period(), due);
                    } else {
                        ASSERT_EQ(p.desktop.period(), at + 1);
                        // The clock's origin moves on by the periods it passed over.
                        origin += static_cast<double>(due - at - 1) * period;
                    }
                }
                // The deadline armed is the next period's on the clock, after the clock unless
                // the clock went back.
                const auto armed = p.pacer.nextDeadlineNs();
                const double wanted = static_cast<double>(p.desktop.period() + 1) * period;
                if (!replay) {
                    ASSERT_NEAR(static_cast<double>(armed), wanted, 1.0);
                }
                if (due >= at) {
                    ASSERT_GT(armed, clock);
                    ASSERT_LE(static_cast<double>(armed), static_cast<double>(clock) + period + 1);
                }
            }
        }
    }
}

}  // namespace
}  // namespace skyvane

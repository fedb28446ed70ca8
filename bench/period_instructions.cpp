// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// One 64 Hz period of the game in flight on the headless desktop, run many times, for
// callgrind to count the instructions of DesktopBase::runPeriod: every timer of the mission and
// of the hidden title screen ticks as it does in a real flight.
// Usage: period_instructions [PERIODS]

#include <cstdio>
#include <cstdlib>

#include "bench/flight.h"

int main(int argc, char** argv) {
    const long periods = argc > 1 ? std::atol(argv[1]) : 64'000;
    skyvane::bench::Flight flight;
    for (long i = 0; i < periods; ++i) flight.period();
    std::printf("%ld periods, %s\n", periods,
                flight.flying() ? "still flying" : "no longer flying");
    return flight.flying() ? 0 : 1;
}

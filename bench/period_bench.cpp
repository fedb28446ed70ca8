// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The time of one 64 Hz period of the game in flight on the headless desktop.

#include <benchmark/benchmark.h>

#include "bench/flight.h"
#include "replay/headless_replay.h"

static void PeriodInFlight(benchmark::State& state) {
    skyvane::bench::Flight flight;
    for (auto _ : state) flight.period();
}
BENCHMARK(PeriodInFlight);

// A whole won mission, five trips, replayed headless.
static void WonMissionReplayed(benchmark::State& state) {
    const auto file =
        skyvane::readReplay(SKYVANE_SCRIPTED_REPLAYS "/five-trips-and-the-win.replay");
    if (file.error) {
        state.SkipWithError(file.error->what.c_str());
        return;
    }
    for (auto _ : state) {
        skyvane::NullSound sound;
        benchmark::DoNotOptimize(skyvane::replayHeadless(file.inputs, sound));
    }
}
BENCHMARK(WonMissionReplayed)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

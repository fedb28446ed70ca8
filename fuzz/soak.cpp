// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// A long run for leaks and slow growth: a random pilot plays game after game on the headless
// desktop for 24 hours of game time, with every rule of the fuzzer checked, while the resident
// memory is sampled. Usage: soak [PERIODS]   (default 5,529,600: a day at 64 a second)

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fuzz/game_driver.h"

namespace {

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

// A game's worth of bytes from a pilot that mostly flies: joins, presses GO, holds and
// releases the flying keys for a while, answers boxes, and now and then does anything at all.
std::vector<std::uint8_t> randomGame(std::mt19937& rng) {
    using namespace skyvane::fuzzing;
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> b{static_cast<std::uint8_t>(byte(rng))};
    b.insert(b.end(), {Name, 5, 0, 'S', 'o', 'a', 'k', 'y', Click, 0});
    for (int i = 0; i < 4000; ++i) {
        const int r = byte(rng);
        if (r < 40) {
            b.insert(b.end(), {Click, static_cast<std::uint8_t>(2 + byte(rng) % 2 * 2)});
        } else if (r < 150) {
            b.insert(b.end(), {static_cast<std::uint8_t>(r % 2 ? KeyDown : KeyUp), 1,
                               static_cast<std::uint8_t>(byte(rng) % 5)});
        } else if (r < 240) {
            b.insert(b.end(), {Periods, static_cast<std::uint8_t>(byte(rng))});
        } else {
            b.push_back(static_cast<std::uint8_t>(byte(rng)));
        }
    }
    return b;
}

// Long stretches of one game: the title left alone for hours, and a climb held for hours.
std::vector<std::uint8_t> longGame(bool climb) {
    using namespace skyvane::fuzzing;
    std::vector<std::uint8_t> b{0};
    if (climb) b.insert(b.end(), {Click, 0, Click, 2, KeyDown, 1, 0});
    for (int i = 0; i < 4000; ++i) b.insert(b.end(), {ManyPeriods, 255});  // ~16 M periods
    return b;
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint64_t total = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 5'529'600ull;
    std::mt19937 rng(20261208);
    std::uint64_t periods = 0, games = 0, nextSample = 0;
    std::vector<long> samples;
    while (periods < total) {
        // A tenth of the day each for an idle title and an endless climb; random flying after.
        std::vector<std::uint8_t> bytes;
        std::uint64_t cap = total - periods;
        if (games < 2) {
            bytes = longGame(games == 1);
            cap = std::min<std::uint64_t>(cap, total / 10);
        } else {
            bytes = randomGame(rng);
        }
        const auto report = skyvane::fuzzing::play(bytes.data(), bytes.size(), cap);
        if (!report.violation.empty()) {
            std::fprintf(stderr, "broken in game %llu: %s\n",
                         static_cast<unsigned long long>(games), report.violation.c_str());
            return 1;
        }
        periods += report.periods;
        ++games;
        if (periods >= nextSample) {
            samples.push_back(residentKiB());
            std::printf("%10llu periods %6llu games  resident %ld KiB\n",
                        static_cast<unsigned long long>(periods),
                        static_cast<unsigned long long>(games), samples.back());
            std::fflush(stdout);
            nextSample += total / 20;
        }
    }
    const long first = samples.size() > 1 ? samples[1] : samples.front();
    const long last = samples.back();
    std::printf("%llu games, %llu periods; resident %ld KiB after warming up, %ld KiB at the end\n",
                static_cast<unsigned long long>(games), static_cast<unsigned long long>(periods),
                first, last);
    // Flat: no more than a megabyte of growth over the whole day.
    return last - first <= 1024 ? 0 : 1;
}

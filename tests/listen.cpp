// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Listens to a PulseAudio sink for a while and says how much of that time held sound, for the
// scripts that test the real program. Usage: listen SINK SECONDS
// Prints "loud=<share of 20 ms windows with sound> peak=<loudest RMS>".

#include <cstdio>
#include <cstdlib>

#include "tests/recorder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SINK SECONDS\n", argv[0]);
        return 2;
    }
    skyvane::testing::Recorder recorder(argv[1]);
    std::this_thread::sleep_for(std::chrono::duration<double>(std::atof(argv[2])));
    const auto rms = recorder.stop();
    int loud = 0;
    double peak = 0;
    for (double r : rms) {
        loud += r > skyvane::testing::kLoud;
        peak = std::max(peak, r);
    }
    std::printf("loud=%.2f peak=%.4f\n", rms.empty() ? 0.0 : loud / static_cast<double>(rms.size()),
                peak);
    return 0;
}

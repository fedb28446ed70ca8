// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// libFuzzer: the whole game from a string of bytes, under ASan and UBSan.

#include <cstdio>
#include <cstdlib>

#include "fuzz/game_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto report = skyvane::fuzzing::play(data, size);
    if (!report.violation.empty()) {
        std::fprintf(stderr, "skyvane: broken after %llu periods: %s\n",
                     static_cast<unsigned long long>(report.periods), report.violation.c_str());
        std::abort();
    }
    return 0;
}

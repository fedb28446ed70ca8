// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Writes random replay files for the tests that hold every player of a file to one end:
// make_replays SEED COUNT FOLDER writes FOLDER/SEED-N.replay, N from 0, each from seed + N.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz/replay_generator.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SEED COUNT FOLDER\n", argv[0]);
        return 2;
    }
    const auto seed = std::strtoull(argv[1], nullptr, 10);
    const auto count = std::strtoull(argv[2], nullptr, 10);
    for (unsigned long long n = 0; n < count; ++n) {
        const std::string path =
            std::string(argv[3]) + "/" + std::to_string(seed) + "-" + std::to_string(n) + ".replay";
        std::ofstream out(path, std::ios::binary);
        out << skyvane::fuzzing::randomReplay(seed + n);
        if (!out) {
            std::fprintf(stderr, "make_replays: %s: cannot write it\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

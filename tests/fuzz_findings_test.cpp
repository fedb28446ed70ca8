// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Every input the game fuzzer keeps, its seeds and each finding it made, played again with all
// its checks: a finding, once mended, stays mended.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/game_driver.h"

namespace skyvane {
namespace {

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(dir))
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(FuzzFindings, EverySeedAndFindingPlaysWithoutBreakingARule) {
    auto files = filesIn(SKYVANE_SEEDS);
    const auto found = filesIn(SKYVANE_FINDINGS);
    files.insert(files.end(), found.begin(), found.end());
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        const auto report =
            fuzzing::play(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(report.violation, "") << file.filename() << " in phase " << report.phase;
    }
}

}  // namespace
}  // namespace skyvane

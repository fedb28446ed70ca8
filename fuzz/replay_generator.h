// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Random replay files that the reader takes, as a player, a stalled machine and a run that
// died might leave them: names in any Unicode, stalls, boxes opened and closed, keys held and
// repeated, clicks on buttons that are not there to click, files with and without their end.
// The same seed gives the same file.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace skyvane::fuzzing {

// One replay file, drawn from the seed.
std::string randomReplay(std::uint64_t seed);

// The smallest file, line by line, that still fails: lines are taken away, in chunks and then
// one at a time, as long as `fails` holds of what is left (the header stays).
std::string shrinkReplay(const std::string& file,
                         const std::function<bool(const std::string&)>& fails);

}  // namespace skyvane::fuzzing

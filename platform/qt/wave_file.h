// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Reading the game's wave files without letting a strange file hold the game: only regular
// files are read, with a cap on their size, and a wave must promise a sound of a sane length
// before it is decoded.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace skyvane {

// Far more than any sound of the game needs.
inline constexpr std::size_t kMaxWaveFileBytes = 4u << 20;
// What a decoded sound may take in memory, as 44.1 kHz 16-bit stereo.
inline constexpr std::size_t kMaxDecodedBytes = 64u << 20;

// True if something of that name is in the folder, whatever it is: a file, a folder, a pipe or
// a broken link. The first folder that has the name is the one meant.
bool entryExists(const std::string& path);

// The whole file, if it is a regular file of at most maxBytes; never waits on a pipe or a
// device.
std::optional<std::vector<char>> readRegularFile(const std::string& path, std::size_t maxBytes);

// A RIFF wave whose format is one the mixer can take and whose sound, decoded, fits in
// kMaxDecodedBytes. Anything else plays the default sound.
bool plausibleWave(const std::vector<char>& bytes);

}  // namespace skyvane

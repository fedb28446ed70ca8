// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Wave files made on the spot for tests: a tone of a given length in the formats the mixer
// takes.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace skyvane::testing {

enum class WaveFormat { Pcm8, Pcm16, Float32 };

inline std::vector<char> toneWave(double seconds, int rate, WaveFormat format) {
    const int bits = format == WaveFormat::Pcm8 ? 8 : format == WaveFormat::Pcm16 ? 16 : 32;
    const int frames = static_cast<int>(seconds * rate);
    std::vector<char> data;
    for (int i = 0; i < frames; ++i) {
        const double s = 0.5 * std::sin(2 * 3.14159265358979 * 440.0 * i / rate);
        if (format == WaveFormat::Pcm8) {
            data.push_back(static_cast<char>(static_cast<std::uint8_t>(128 + s * 127)));
        } else if (format == WaveFormat::Pcm16) {
            const auto v = static_cast<std::int16_t>(s * 32767);
            data.push_back(static_cast<char>(v & 0xFF));
            data.push_back(static_cast<char>((v >> 8) & 0xFF));
        } else {
            const float f = static_cast<float>(s);
            char b[4];
            std::memcpy(b, &f, 4);
            data.insert(data.end(), b, b + 4);
        }
    }
    std::vector<char> out;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto tag = [&](const char* t) { out.insert(out.end(), t, t + 4); };
    tag("RIFF");
    put(36 + static_cast<std::uint32_t>(data.size()), 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(format == WaveFormat::Float32 ? 3 : 1, 2);
    put(1, 2);
    put(static_cast<std::uint32_t>(rate), 4);
    put(static_cast<std::uint32_t>(rate * bits / 8), 4);
    put(static_cast<std::uint32_t>(bits / 8), 2);
    put(static_cast<std::uint32_t>(bits), 2);
    tag("data");
    put(static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

inline void writeFile(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace skyvane::testing

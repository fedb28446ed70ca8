// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Synthesises the game's three sounds as 16-bit PCM wave files: the rotor chop (a loop without a
// click at its seam), the explosion and the short default chime.
// Usage: make_sounds ASSETS_FOLDER

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "mission/mission_sounds.h"

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

struct Noise {
    std::uint32_t state = 12345;
    double next() {
        state = state * 1664525u + 1013904223u;
        return (static_cast<double>(state >> 8) / 8388608.0) - 1.0;
    }
};

void put16(std::ofstream& out, int v) {
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::ofstream& out, std::uint32_t v) {
    put16(out, static_cast<int>(v & 0xFFFF));
    put16(out, static_cast<int>(v >> 16));
}

bool writeWave(const std::string& path, const std::vector<double>& samples) {
    std::ofstream out(path, std::ios::binary);
    if (!out) return false;
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    out.write("RIFF", 4);
    put32(out, 36 + bytes);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, bytes);
    for (double s : samples)
        put16(out, static_cast<int>(std::lround(std::clamp(s, -1.0, 1.0) * 32767.0)));
    return static_cast<bool>(out);
}

// Ten blade passes in 0.8 s. Each chop rises from silence and dies back to silence before the
// next, and the turbine hum has a whole number of cycles in the loop, so the seam is clean.
std::vector<double> rotor() {
    const int length = kRate * 4 / 5;
    const int chops = 10;
    const int chop = length / chops;
    std::vector<double> out(length);
    Noise noise;
    double low = 0;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i % chop) / kRate;
        const double span = static_cast<double>(chop) / kRate;
        const double attack = std::min(1.0, t / 0.004);
        const double fade = 1.0 - t / span;
        const double env = attack * std::exp(-t / 0.022) * fade * fade;
        low += 0.12 * (noise.next() - low);
        const double thump = std::sin(2 * kPi * 85.0 * t) * env;
        const double time = static_cast<double>(i) / kRate;
        const double hum =
            0.06 * std::sin(2 * kPi * 437.5 * time) + 0.04 * std::sin(2 * kPi * 125.0 * time);
        out[i] = 0.55 * thump + 0.9 * low * env + hum;
    }
    return out;
}

// About a second and a half: a sharp blast that rumbles away to silence.
std::vector<double> explosion() {
    const int length = kRate * 3 / 2;
    std::vector<double> out(length);
    Noise noise;
    noise.state = 987654321;
    double low = 0, lower = 0;
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double cutoff = 0.05 + 0.5 * std::exp(-t / 0.12);
        low += cutoff * (noise.next() - low);
        lower += 0.02 * (noise.next() - lower);
        const double attack = std::min(1.0, t / 0.005);
        const double tail = 1.0 - t / 1.5;
        const double env = attack * (0.35 + 0.65 * std::exp(-t / 0.18)) * tail * tail;
        out[i] = 0.9 * env * (0.8 * low + 2.5 * lower);
    }
    return out;
}

// A short two-note chime, played for a sound that cannot be found.
std::vector<double> chime() {
    const int length = kRate * 7 / 20;
    std::vector<double> out(length);
    for (int i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = t < 0.15 ? 880.0 : 660.0;
        const double local = t < 0.15 ? t : t - 0.15;
        const double env = std::min(1.0, local / 0.005) * std::exp(-local / 0.08);
        out[i] = 0.5 * env * std::sin(2 * kPi * f * local);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ASSETS_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = writeWave(dir + "/" + skyvane::mission_sounds::kRotor, rotor()) &&
                    writeWave(dir + "/" + skyvane::mission_sounds::kExplosion, explosion()) &&
                    writeWave(dir + "/sounds/default.wav", chime());
    if (!ok) std::fprintf(stderr, "cannot write the sounds into %s\n", dir.c_str());
    return ok ? 0 : 1;
}

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/guide_voice.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace skyvane {

namespace {

constexpr double kPi = 3.14159265358979323846;
// One period of the timer grid, and the loudness of each voice against full scale: quiet
// beside the rotor, the alarm loudest.
constexpr double kPeriodSeconds = 1.0 / 64;
constexpr double kTone = 0.10, kTick = 0.22, kAlarm = 0.25, kBlip = 0.22, kBell = 0.16;
// The beacon sounds three times every two seconds, the bell twice a second.
constexpr double kBlipEvery = 0.75, kBellEvery = 0.5;

// A short sound of `seconds` at `hz`, dying away, `t` seconds after it began.
double ping(double t, double hz, double seconds) {
    if (t < 0 || t >= seconds) return 0;
    return std::sin(2 * kPi * hz * t) * (1 - t / seconds) * std::min(1.0, t * 400);
}

}  // namespace

void GuideVoice::set(const Guide& g) {
    // Each cue in a few bits: the sound's thread takes them whole or not at all.
    const auto u = [](int v, int bits) {
        return static_cast<std::uint32_t>(v) & ((1u << bits) - 1);
    };
    packed_.store(u(g.flying, 1) | u(g.height, 6) << 1 | u(g.tickEvery, 7) << 7 |
                      u(g.rising, 1) << 14 | u(g.warning, 1) << 15 | u(g.pan, 7) << 16 |
                      u(g.depth, 7) << 23 | u(g.inZone, 1) << 30,
                  std::memory_order_relaxed);
}

Guide GuideVoice::cues() const {
    const std::uint32_t p = packed_.load(std::memory_order_relaxed);
    const auto field = [&](int at, int bits) {
        return static_cast<int>((p >> at) & ((1u << bits) - 1));
    };
    const auto signedField = [&](int at, int bits) {
        const int v = field(at, bits);
        return v >= (1 << (bits - 1)) ? v - (1 << bits) : v;
    };
    return {.flying = field(0, 1) != 0,
            .height = field(1, 6),
            .tickEvery = field(7, 7),
            .rising = field(14, 1) != 0,
            .warning = field(15, 1) != 0,
            .pan = signedField(16, 7),
            .depth = signedField(23, 7),
            .inZone = field(30, 1) != 0};
}

double GuideVoice::toneHz(int height) {
    return 220 * std::pow(2.0, height / 12.0);
}

double GuideVoice::beaconHz(int depth) {
    // Up the map (a negative depth) is higher.
    return 880 * std::pow(2.0, -depth / 24.0);
}

void GuideVoice::mix(std::int16_t* samples, int frames, int channels) {
    const Guide g = cues();
    const double dt = 1.0 / rate_;
    // The beacon's place across: the right channel's share.
    const double right = 0.5 + 0.5 * g.pan / static_cast<double>(Guide::kSide);
    for (int f = 0; f < frames; ++f, ++clock_) {
        const double now = static_cast<double>(clock_) * dt;
        // The tone fades in and out over a hundredth of a second: no clicks as a flight begins
        // or ends.
        level_ += ((g.flying ? 1.0 : 0.0) - level_) * std::min(1.0, dt * 100);
        double centre = 0, beacon = 0;
        if (level_ > 1e-4) {
            tonePhase_ += 2 * kPi * toneHz(g.height) * dt;
            if (tonePhase_ > 2 * kPi) tonePhase_ -= 2 * kPi;
            centre += kTone * level_ * std::sin(tonePhase_);
        }
        if (g.flying) {
            if (g.warning) {
                // Two notes a quarter-second each, square: unlike anything else.
                const double hz = std::fmod(now, 0.5) < 0.25 ? 988 : 740;
                centre += kAlarm * (std::sin(2 * kPi * hz * now) > 0 ? 1 : -1) * 0.6;
            } else if (g.tickEvery > 0 && static_cast<double>(clock_ - lastTick_) * dt >=
                                              g.tickEvery * kPeriodSeconds) {
                lastTick_ = clock_;
                tickHz_ = g.rising ? 1760 : 587;
            }
            if (static_cast<double>(clock_ - lastBlip_) * dt >= kBlipEvery) lastBlip_ = clock_;
            if (g.inZone && static_cast<double>(clock_ - lastBell_) * dt >= kBellEvery)
                lastBell_ = clock_;
        }
        centre += kTick * ping(static_cast<double>(clock_ - lastTick_) * dt, tickHz_, 0.02);
        beacon +=
            kBlip * ping(static_cast<double>(clock_ - lastBlip_) * dt, beaconHz(g.depth), 0.06);
        const double bellT = static_cast<double>(clock_ - lastBell_) * dt;
        centre += kBell * (ping(bellT, 1319, 0.3) + 0.5 * ping(bellT, 2637, 0.3));
        const double left = centre + beacon * (1 - right), rightSide = centre + beacon * right;
        auto add = [](std::int16_t& s, double v) {
            s = static_cast<std::int16_t>(std::clamp(s + v * 32767, -32768.0, 32767.0));
        };
        if (channels == 2) {
            add(samples[2 * static_cast<std::ptrdiff_t>(f)], left);
            add(samples[2 * static_cast<std::ptrdiff_t>(f) + 1], rightSide);
        } else {
            add(samples[f], centre + beacon);
        }
    }
}

}  // namespace skyvane

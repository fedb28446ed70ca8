// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The lines and zones the landing rules judge by, in twips on the side view and the map.

#include <cstdint>

namespace skyvane::flight {

// HeliY grows downwards: below the ground line a touch-down is judged, below the sea line the
// helicopter sinks.
inline constexpr std::int16_t kGroundLine = 2350;
inline constexpr std::int16_t kSeaLine = 2600;
// The fastest safe touch-down, read off the vertical-speed gauge.
inline constexpr int kMaxLandingSpeed = 20;
// The altitude readout is this minus HeliY.
inline constexpr int kAltitudeZero = 2580;

// Every bound is strict.
struct Zone {
    std::int16_t left, right, top, bottom;
    bool contains(std::int16_t x, std::int16_t z) const {
        return x > left && x < right && z > top && z < bottom;
    }
};
// Beyond these the helicopter is off the map, and a pointer at that edge shows where it went.
inline constexpr std::int16_t kMapLeft = -100;
inline constexpr std::int16_t kMapRight = 4200;
inline constexpr std::int16_t kMapTop = -100;
inline constexpr std::int16_t kMapBottom = 2800;

inline constexpr Zone kTargetZone{480, 720, 1000, 1300};  // around the target mark □
inline constexpr Zone kBaseZone{3480, 3700, 2200, 2520};  // around the base mark ○

// Where GO puts the helicopter: standing on the base.
inline constexpr std::int16_t kBaseX = 3500;
inline constexpr std::int16_t kBaseZ = 2350;

// The audio guide: its ticks come kGuideTicks periods apart at a vertical speed of one (twice
// as often at two, ...); it warns of a fall too fast for a touch-down below this height.
inline constexpr int kGuideTicks = 256;
inline constexpr int kGuideWarningHeight = 600;

// GO and BACK throw the helicopter up at this vertical speed, and sideways at these.
inline constexpr std::int16_t kTakeOffSpeedY = 60;
inline constexpr std::int16_t kTakeOffSpeedX = 10;
inline constexpr std::int16_t kTakeOffSpeedZ = 10;

// The timers' intervals in milliseconds: the flight's ticks, the fuel's on the way out (half as
// fast as on the way back), and the blink of the warnings.
inline constexpr int kFlightTick = 10;
inline constexpr int kFuelTickOut = 20;
inline constexpr int kFuelTickBack = 10;
inline constexpr int kBlinkTick = 500;

inline constexpr std::int16_t kFullTank = 1000;
// What each fuel tick burns.
inline constexpr std::int16_t kFuelStep = 1;
// Below this much fuel the message line warns.
inline constexpr std::int16_t kLowFuel = 100;
inline constexpr std::int16_t kPeoplePerTrip = 2;
inline constexpr std::int16_t kPeopleToRescue = 10;

}  // namespace skyvane::flight

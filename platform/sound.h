// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

namespace skyvane {

// Play flags, as the classic call takes them.
inline constexpr unsigned kSoundSync = 0;
inline constexpr unsigned kSoundAsync = 1;
inline constexpr unsigned kSoundLoop = 8;

// What the audio guide plays, for a player who flies by ear, besides the game's own sounds: a tone
// whose pitch is the height above the ground, ticks as fast as the vertical speed (high rising,
// low falling) with a warning when coming down too fast near the ground, and where the leg's
// destination lies: across the map as the pan, up or down the map as a beacon's pitch; and a
// chime over the landing zone. Whole steps, so that a run's guide is the same in every player.
struct Guide {
    bool flying = false;   // silent otherwise
    int height = 0;        // 0 (the ground) to kTop, in steps of kStep twips: the tone's pitch
    int tickEvery = 0;     // periods between two ticks; 0: no vertical speed
    bool rising = false;   // the ticks' pitch
    bool warning = false;  // falling too fast for a touch-down, and near the ground
    int pan = 0;           // -kSide (far to the left) to kSide
    int depth = 0;         // -kSide (far up the map) to kSide: the beacon's pitch
    bool inZone = false;   // over the landing zone: the chime
    static constexpr int kStep = 64;
    static constexpr int kTop = 40;
    static constexpr int kSide = 32;
    friend bool operator==(const Guide&, const Guide&) = default;
};

// Plays one wave file at a time in the background. play("X.wav", kSoundAsync | kSoundLoop)
// loops it, play("X.wav", kSoundAsync) plays it once, play(nullptr, 0) stops. Starting a sound
// cuts off the one playing. It never blocks and never reports: a file that cannot be played
// gives the default sound, and without an audio device all is silent.
class Sound {
  public:
    virtual ~Sound() = default;
    virtual void play(const char* name, unsigned flags) = 0;
    // The audio guide's sounds from now on, over the game's own; never blocks either.
    virtual void guide(const Guide& guide) { (void)guide; }
};

// Silence: for runs nobody listens to (headless replays, fuzzing, benchmarks).
class NullSound : public Sound {
  public:
    void play(const char*, unsigned) override {}
};

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

namespace skyvane {

// Play flags, as the classic call takes them.
inline constexpr unsigned kSoundSync = 0;
inline constexpr unsigned kSoundAsync = 1;
inline constexpr unsigned kSoundLoop = 8;

// Plays one wave file at a time in the background. play("X.wav", kSoundAsync | kSoundLoop)
// loops it, play("X.wav", kSoundAsync) plays it once, play(nullptr, 0) stops. Starting a sound
// cuts off the one playing. It never blocks and never reports: a file that cannot be played
// gives the default sound, and without an audio device all is silent.
class Sound {
  public:
    virtual ~Sound() = default;
    virtual void play(const char* name, unsigned flags) = 0;
};

// Silence: for runs nobody listens to (headless replays, fuzzing, benchmarks).
class NullSound : public Sound {
  public:
    void play(const char*, unsigned) override {}
};

}  // namespace skyvane

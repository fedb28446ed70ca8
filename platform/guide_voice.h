// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The audio guide's sounds, drawn as they play: a sine tone whose pitch is the height, a click
// for each tick (high rising, low falling), a two-note alarm for a fall too fast near the
// ground, a blip for where the destination lies (panned across, its pitch up or down the map)
// and a bell over the landing zone. The game sets the cues from its thread; the sound's own
// thread draws them, and neither ever waits for the other.

#include <atomic>
#include <cstdint>

#include "platform/sound.h"

namespace skyvane {

class GuideVoice {
  public:
    explicit GuideVoice(int rate) : rate_(rate) {}
    void set(const Guide& guide);
    Guide cues() const;
    // Adds the guide into `frames` frames of 16-bit samples, `channels` (1 or 2) interleaved.
    void mix(std::int16_t* samples, int frames, int channels);

    // The pitches, in hertz: of the tone at a height, of the beacon at a depth.
    static double toneHz(int height);
    static double beaconHz(int depth);

  private:
    const int rate_;
    std::atomic<std::uint32_t> packed_{0};
    // The drawing's own, on the sound's thread.
    double tonePhase_ = 0, level_ = 0;
    std::int64_t clock_ = 0, lastTick_ = -1'000'000, lastBlip_ = -1'000'000, lastBell_ = -1'000'000;
    double tickHz_ = 0;
};

}  // namespace skyvane

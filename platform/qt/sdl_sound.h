// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound.h"

namespace skyvane {

// Sound on SDL2_mixer, one channel, so a new sound cuts off the one playing; the audio guide, if
// asked for, is drawn into the mix as it is played.
//
// Everything that can wait lives on a worker thread: loading SDL, opening the audio device (a
// sound server that has stopped answering holds it for a minute), reading and decoding the wave
// files, and closing the device. play() only leaves a request for the worker and returns; the
// worker plays the latest one, so a sound asked for before the device opens plays when it
// opens, unless a later call has replaced it.
//
// Nothing of it starts before start() or the first play(): a screen that makes no sound does not
// pay for the sound.
//
// SDL's mixer is one device for the whole process: make one SdlSound at a time.
class SdlSound : public Sound {
  public:
    enum class State { Dormant, Opening, Open, Unavailable, Closed };

    // Looks names up in each folder in turn (an empty folder is the working directory); the
    // default sound is a wave file in memory. The named files are loaded as soon as the device
    // opens, so starting them later does not touch the disk.
    // With `guided`, the audio guide plays too (in stereo, for its pan).
    SdlSound(std::vector<std::string> folders, std::vector<char> defaultWave,
             std::vector<std::string> preload = {}, bool guided = false);
    // Shuts down with the default grace.
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    void play(const char* name, unsigned flags) override;
    void guide(const Guide& guide) override;
    // Starts the worker, if it has not started: ahead of the first sound, so it is ready.
    void start();

    // Stops the sound and closes the device, waiting at most `grace` for the worker. False if
    // the worker is still held by the audio system: it is left behind, and the program should
    // leave without waiting for it.
    bool shutdown(std::chrono::milliseconds grace = kCloseGrace);
    static constexpr std::chrono::milliseconds kCloseGrace{250};

    State state() const;
    bool open() const { return state() == State::Open; }
    // Waits until the device is open or known to be unavailable; false if still opening or not
    // started.
    bool waitSettled(std::chrono::milliseconds timeout) const;

  private:
    struct Shared;
    static void run(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    bool started_ = false;
    bool shut_ = false;
};

}  // namespace skyvane

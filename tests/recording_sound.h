// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A sound that records every call, for the tests and the fuzzer: what was asked for, and what
// would be heard after it.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/sound.h"

namespace skyvane {

struct SoundCall {
    std::optional<std::string> name;  // none: the stop call
    unsigned flags = 0;
    friend bool operator==(const SoundCall&, const SoundCall&) = default;
    // As a failing test shows it: play("HERI3.wav", loop async) or stop.
    friend std::ostream& operator<<(std::ostream& out, const SoundCall& c) {
        if (!c.name) return out << "stop(flags " << c.flags << ")";
        out << "play(\"" << *c.name << "\"";
        if (c.flags & kSoundLoop) out << ", loop";
        if (c.flags & kSoundAsync) out << ", async";
        return out << ", flags " << c.flags << ")";
    }
};

class RecordingSound : public Sound {
  public:
    void play(const char* name, unsigned flags) override {
        calls_.push_back({name ? std::optional<std::string>(name) : std::nullopt, flags});
        if (name) {
            playing_ = name;
            looping_ = (flags & kSoundLoop) != 0;
        } else {
            playing_.reset();
            looping_ = false;
        }
    }
    const std::vector<SoundCall>& calls() const { return calls_; }
    // The file that would be heard now; a one-shot counts until the next call.
    const std::optional<std::string>& playing() const { return playing_; }
    bool looping() const { return looping_; }

  private:
    std::vector<SoundCall> calls_;
    std::optional<std::string> playing_;
    bool looping_ = false;
};

}  // namespace skyvane

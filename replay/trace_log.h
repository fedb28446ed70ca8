// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A run as lines of text: every handler call, property change and sound call, each with the
// period it happened in. Two runs that wrote the same lines did the same things in the same
// order; a replay is checked against the run it recorded by these lines.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/desktop_base.h"
#include "platform/input.h"
#include "platform/sound.h"

namespace skyvane {

class TraceHash;

// Hears the desktop's handler calls and the forms' changes as a Trace, and the game's sound
// calls as the Sound it passes them on to. Each event becomes a line for the sink, or, for runs
// too long to keep as text (the fuzzer's), goes straight into a hash.
class TraceLog : public Trace, public Sound {
  public:
    using LineSink = std::function<void(std::string_view line)>;
    explicit TraceLog(LineSink sink, Sound* sound = nullptr);
    explicit TraceLog(TraceHash& hash, Sound* sound = nullptr);
    // The desktop whose periods stamp the lines.
    void follow(const DesktopBase& desktop) { desktop_ = &desktop; }
    // The sound the game's calls go on to, once they are written down.
    void passOn(Sound* sound) { sound_ = sound; }

    void handlerCalled(const Form& form, std::string_view element, std::string_view event,
                       int code) override;
    void elementChanged(Element& element, Property property) override;
    void formChanged(Form& form, Property property) override;
    void play(const char* name, unsigned flags) override;
    void guide(const Guide& guide) override;

  private:
    void start();
    void word(std::string_view text, char before = ' ');
    void number(std::int64_t n);
    void finish();

    const DesktopBase* desktop_ = nullptr;
    LineSink sink_;
    TraceHash* hash_ = nullptr;
    Sound* sound_;
    std::string line_;
};

// A hash of a trace, for comparing runs too long to keep whole: two runs that hashed the same
// events in the same way have the same value. Not for adversaries.
class TraceHash {
  public:
    void add(std::string_view line) {
        text(line);
        endLine();
    }
    void text(std::string_view bytes);
    void number(std::int64_t n) { mix(static_cast<std::uint64_t>(n) ^ 0x9E3779B97F4A7C15ull); }
    void endLine() {
        mix(0xA5A5A5A5A5A5A5A5ull);
        ++lines_;
    }
    std::uint64_t value() const { return hash_; }
    std::uint64_t lines() const { return lines_; }

  private:
    void mix(std::uint64_t v) {
        hash_ = (hash_ ^ v) * 0x100000001B3ull;
        hash_ ^= hash_ >> 29;
    }
    std::uint64_t hash_ = 14695981039346656037ull;
    std::uint64_t lines_ = 0;
};

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A run recorded through the real replay writer and played again from what it wrote: the
// property every recording must keep, checked by the fuzzer and by the tests.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/headless_desktop.h"
#include "replay/format.h"
#include "replay/output_file.h"
#include "replay/trace_log.h"
#include "screens/game.h"
#include "tests/recording_sound.h"

namespace skyvane::fuzzing {

// A trace as its hash, and as lines too when asked, to say where two runs part.
class TraceSum {
  public:
    explicit TraceSum(bool keepLines = false) : keep_(keepLines) {}
    void add(std::string_view line);
    bool sameAs(const TraceSum& other) const {
        return hash_.value() == other.hash_.value() && hash_.lines() == other.hash_.lines();
    }
    std::uint64_t lines() const { return hash_.lines(); }
    // Where the two traces part, as far as the lines kept tell.
    std::string firstDifference(const TraceSum& other) const;
    // A log that adds every event to this sum: as lines if they are kept, else straight into
    // the hash, which is much quicker.
    TraceLog log(Sound* sound);

  private:
    bool keep_;
    TraceHash hash_;
    std::vector<std::string> lines_;
};

// The real replay writer, writing into memory.
class MemoryRecording {
  public:
    MemoryRecording();
    ~MemoryRecording();
    MemoryRecording(const MemoryRecording&) = delete;
    MemoryRecording& operator=(const MemoryRecording&) = delete;
    replay::Writer& writer() { return *writer_; }
    // What the writer has written so far.
    std::string text() const;

  private:
    int fd_ = -1;
    std::unique_ptr<replay::Writer> writer_;
};

// A headless game whose every input goes through the real writer into memory, and whose trace
// is summed. The trace is set on the desktop; a caller with a trace of its own passes every
// call on to `log`.
class RecordedGame {
  public:
    explicit RecordedGame(bool keepLines = false);
    ~RecordedGame();

    HeadlessDesktop desktop;
    RecordingSound sound;
    TraceSum trace;
    TraceLog log;
    Game game;

    // What the writer has written so far.
    std::string file() const { return recording_.text(); }

  private:
    MemoryRecording recording_;
};

struct Replayed {
    std::optional<replay::Error> error;
    TraceSum trace;
    std::string summary;
    // What the replaying desktop recorded of the inputs it applied: the file again.
    std::string rerecorded;
};

// Reads the text with the real reader and plays it on a fresh headless game; prepare sets the
// new desktop up as the recorded one was (the order of its timers).
Replayed replayText(const std::string& text, bool keepLines = false,
                    const std::function<void(HeadlessDesktop&)>& prepare = {});

}  // namespace skyvane::fuzzing

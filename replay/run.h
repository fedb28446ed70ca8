// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// One run of the game on a desktop, wired from what it was asked for: the game itself, the trace
// that hears it, the recording that keeps its inputs and the recorded run it watches instead of
// the player's hands. The program on Qt, the page and the headless player each build one; each
// desktop keeps only what is its own.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/catalog.h"
#include "platform/desktop_base.h"
#include "platform/sound.h"
#include "replay/format.h"
#include "replay/player.h"
#include "replay/trace_log.h"
#include "screens/game.h"

namespace skyvane {

struct RunOptions {
    // A recorded run to watch.
    std::optional<replay::Recording> replay{};
    // Hears every input the game takes: a recording.
    InputSink* record = nullptr;
    // Hears every handler call, property change and sound call, and passes the sound calls on.
    TraceLog* trace = nullptr;
    // The language of the game's texts; unless one is asked for, a replay plays in the one it
    // was recorded in, and a game in the game's own.
    std::optional<std::string> language{};
    // The audio guide; unless asked for, a replay plays as it was recorded, and a game without.
    std::optional<bool> guide{};
};

// The catalog a run with these options shows its texts from; nullptr if the program does not
// carry its language.
const Catalog* catalogFor(const RunOptions& options);

// Reads a replay file, or a file's bytes, checking every window and element it names against
// the game's, and its language unless it is to be shown in another.
replay::ReadResult readReplay(const std::string& path, bool shownInAnother = false);
replay::ReadResult readReplayBytes(std::string_view bytes);

class Run {
  public:
    Run(DesktopBase& desktop, Sound& sound, RunOptions options);
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    Game& game() { return game_; }
    // Shows the title screen; a replay starts playing with it.
    void start();
    // Where the run stands, as one line: phase, people rescued, fuel, altitude, period.
    std::string endLine() const;

    // The replay watched, if any.
    replay::Player* player() { return player_.get(); }
    // The replay's end line, told once, at the moment it ends.
    std::function<void(const std::string& line)> onReplayEnded;

    // Whether the audio guide plays.
    bool guided() const { return guided_; }

  private:
    DesktopBase& desktop_;
    InputSink* record_;
    TraceLog* trace_;
    Sound& sound_;
    Game game_;
    bool guided_;
    Guide guide_;
    std::unique_ptr<replay::Player> player_;
};

}  // namespace skyvane

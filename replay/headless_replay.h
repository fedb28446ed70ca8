#pragma once

// Replays on the headless desktop: a recorded run, as fast as the machine goes.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/replay.h"
#include "platform/sound.h"

namespace skyvane {

// Plays the inputs on a new game and returns the one-line summary of where the run ended.
// The trace, if any, hears every handler call and property change.
std::string replayHeadless(const std::vector<Input>& inputs, Sound& sound, Trace* trace = nullptr);

// Reads a replay file and checks every window and element it names against the game.
replay::ReadResult readReplay(const std::string& path);

// Reads the replay file and plays it: prints the summary on out and returns 0, or prints why
// the file cannot be replayed, with its name and line, on err and returns 2.
int replayFile(const std::string& path, std::FILE* out, std::FILE* err);

}  // namespace skyvane

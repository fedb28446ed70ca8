// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Replays on the headless desktop: a recorded run, as fast as the machine goes.

#include <cstdio>
#include <functional>
#include <string>

#include "platform/input.h"
#include "platform/replay.h"
#include "platform/sound.h"

namespace skyvane {

class HeadlessDesktop;

// Plays the inputs on a new game and returns the one-line summary of where the run ended.
// The trace, if any, hears every handler call and property change; prepare, if any, sets the
// desktop up before the game starts (the fuzzer's order of timers).
std::string replayHeadless(replay::Recording inputs, Sound& sound, Trace* trace = nullptr,
                           const std::function<void(HeadlessDesktop&)>& prepare = {});

// Reads a replay file and checks every window and element it names against the game.
replay::ReadResult readReplay(const std::string& path);

// Says on err why the file cannot be replayed, or that it can only be replayed approximately;
// true if it can be replayed.
bool reportReplay(const std::string& path, const replay::ReadResult& file, std::FILE* err);

// Reads the replay file and plays it: prints the summary on out and returns 0, or prints why
// the file cannot be replayed, with its name and line, on err and returns 2.
int replayFile(const std::string& path, std::FILE* out, std::FILE* err);

}  // namespace skyvane

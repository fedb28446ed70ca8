// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Replays on the headless desktop: a recorded run, as fast as the machine goes.

#include <cstdio>
#include <functional>
#include <string>

#include "platform/sound.h"
#include "replay/format.h"
#include "replay/run.h"
#include "replay/trace_log.h"

namespace skyvane {

class HeadlessDesktop;

// Plays the inputs on a new game until the replay ends, and returns its end line. The trace, if
// any, hears every handler call, property change and sound call, and passes the sound calls on
// to `sound`; prepare, if any, sets the desktop up before the game starts (the fuzzer's order of
// timers, a sink that records the inputs again).
std::string replayHeadless(replay::Recording inputs, Sound& sound, TraceLog* trace = nullptr,
                           const std::function<void(HeadlessDesktop&)>& prepare = {});

// Says on err why the file cannot be replayed, or that it can only be replayed approximately;
// true if it can be replayed.
bool reportReplay(const std::string& path, const replay::ReadResult& file, std::FILE* err);

}  // namespace skyvane

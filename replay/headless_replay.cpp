// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "replay/headless_replay.h"

#include "platform/headless/headless_desktop.h"
#include "replay/run.h"

namespace skyvane {

std::string replayHeadless(replay::Recording inputs, Sound& sound, TraceLog* trace,
                           const std::function<void(HeadlessDesktop&)>& prepare) {
    HeadlessDesktop desktop;
    if (prepare) prepare(desktop);
    Run run(desktop, sound, {.replay = std::move(inputs), .trace = trace});
    std::string line;
    // Nobody watches: at its end the program ends too, and a box the file left open goes with
    // it; what the desktop does in ending is no part of the run.
    run.onReplayEnded = [&](const std::string& end) {
        line = end;
        desktop.setInputSink(nullptr);
        desktop.endFromOutside();
    };
    auto runPeriod = [&] { desktop.runPeriod(); };
    desktop.whileMessageBox = [&](const MessageBoxCall&) { run.player()->pump(runPeriod); };
    run.start();
    run.player()->pump(runPeriod);
    return line;
}

bool reportReplay(const std::string& path, const replay::ReadResult& file, std::FILE* err) {
    if (file.error) {
        std::fprintf(err, "skyvane: %s\n", replay::message(path, *file.error).c_str());
        return false;
    }
    if (file.warning)
        std::fprintf(err, "skyvane: %s\n", replay::message(path, *file.warning).c_str());
    return true;
}

}  // namespace skyvane

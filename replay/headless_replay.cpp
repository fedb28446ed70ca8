// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "replay/headless_replay.h"

#include "platform/headless/headless_desktop.h"
#include "platform/replay.h"
#include "screens/game.h"
#include "screens/phase.h"

namespace skyvane {

std::string replayHeadless(replay::Recording inputs, Sound& sound, Trace* trace,
                           const std::function<void(HeadlessDesktop&)>& prepare) {
    HeadlessDesktop desktop;
    if (prepare) prepare(desktop);
    Game game(desktop, sound);
    if (trace) desktop.setTrace(trace);
    replay::Replayer replayer(desktop, game.forms(), std::move(inputs));
    auto runPeriod = [&] { desktop.runPeriod(); };
    desktop.whileMessageBox = [&](const MessageBoxCall&) { replayer.pump(runPeriod); };
    desktop.invoke([&] { game.start(); });
    replayer.pump(runPeriod);
    return summary(game, desktop);
}

replay::ReadResult readReplay(const std::string& path) {
    HeadlessDesktop desktop;
    NullSound silence;
    Game game(desktop, silence);
    const auto forms = game.forms();
    return replay::readFile(path, &forms);
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

int replayFile(const std::string& path, std::FILE* out, std::FILE* err) {
    auto file = readReplay(path);
    if (!reportReplay(path, file, err)) return 2;
    NullSound silence;
    const std::string line = replayHeadless(std::move(file.inputs), silence);
    std::fprintf(out, "%s\n", line.c_str());
    return 0;
}

}  // namespace skyvane

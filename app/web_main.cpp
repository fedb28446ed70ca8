// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Skyvane in a web page: the web desktop, Web Audio and the title screen, or a recorded run the
// page was given (?replay=URL). Every run is recorded, for the page to offer as a download;
// with ?trace the page keeps every handler call, property change and sound call.

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

#include "platform/replay.h"
#include "platform/trace_log.h"
#include "platform/web/page.h"
#include "platform/web/web_desktop.h"
#include "screens/game.h"
#include "screens/phase.h"

namespace {

// Hands each input the game takes to the page, which keeps the run.
class PageRecording : public skyvane::InputSink {
  public:
    void input(const skyvane::Input& input) override {
        sv_record(skyvane::replay::encode(input).c_str());
    }
};

std::string takeString(char* text) {
    if (!text) return {};
    std::string s = text;
    std::free(text);
    return s;
}

}  // namespace

int main() {
    using namespace skyvane;
    web::WebSound sound;
    web::WebDesktop desktop;
    std::unique_ptr<TraceLog> trace;
    if (sv_option("trace")) {
        trace = std::make_unique<TraceLog>(
            [](std::string_view line) { sv_trace(std::string(line).c_str()); }, &sound);
        trace->follow(desktop);
        desktop.setTrace(trace.get());
    }
    Game game(desktop, trace ? static_cast<Sound&>(*trace) : sound);
    desktop.setForms(game.forms());

    std::unique_ptr<replay::Replayer> replayer;
    PageRecording recording;
    char* replayText = sv_replay_text();
    if (replayText) {
        std::istringstream in(takeString(replayText));
        const auto forms = game.forms();
        auto file = replay::read(in, &forms);
        if (file.error) {
            sv_show_error(replay::message("the replay", *file.error).c_str());
            return 2;
        }
        if (file.warning) sv_show_error(replay::message("the replay", *file.warning).c_str());
        replayer =
            std::make_unique<replay::Replayer>(desktop, game.forms(), std::move(file.inputs));
        // Where the run ended; from there the game goes on at its own pace.
        replayer->onFinished = [&] {
            sv_show_summary(summary(game, desktop).c_str());
            desktop.setFastForward(false);
        };
        replayer->attach();
        desktop.setDropLatePeriods(false);
        desktop.setFastForward(sv_option("fast"));
    } else {
        desktop.setInputSink(&recording);
    }

    desktop.invoke([&] { game.start(); });
    desktop.run();
    desktop.setInputSink(nullptr);
    desktop.setTrace(nullptr);
    // A replay that the player ended before its last input says where it stood.
    if (replayer && !replayer->finished()) sv_show_summary(summary(game, desktop).c_str());
    return 0;
}

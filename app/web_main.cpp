// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Skyvane in a web page: the web desktop, Web Audio and the title screen, or a recorded run the
// page was given (?replay=URL). Every run is recorded, for the page to offer as a download;
// with ?trace the page keeps every handler call, property change and sound call.

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/pacer.h"
#include "platform/web/page.h"
#include "platform/web/web_desktop.h"
#include "replay/run.h"

namespace {

// Hands each input the game takes to the page, which keeps the run.
class PageRecording : public skyvane::InputSink {
  public:
    void input(const skyvane::Input& input) override {
        sv_record(skyvane::replay::encode(input).c_str());
    }
};

struct Game {
    skyvane::web::WebSound sound;
    skyvane::web::WebDesktop desktop;
    std::unique_ptr<skyvane::TraceLog> trace;
    PageRecording recording;
    std::unique_ptr<skyvane::Run> run;
};

// The game the page asked for, or null once the page says why there is none.
[[gnu::noinline]] std::unique_ptr<Game> setUp() {
    using namespace skyvane;
    auto game = std::make_unique<Game>();
    auto& sound = game->sound;
    auto& desktop = game->desktop;
    auto& trace = game->trace;
    if (sv_option("trace"))
        trace = std::make_unique<TraceLog>(
            [](std::string_view line) { sv_trace(std::string(line).c_str()); }, &sound);

    // The replay's bytes as the file holds them, through the native game's own reader.
    std::optional<replay::Recording> watch;
    auto& recording = game->recording;
    std::size_t size = 0;
    if (char* bytes = sv_replay_bytes(&size)) {
        auto file = readReplayBytes(std::string_view(bytes, size));
        std::free(bytes);
        const std::string name = sv_replay_name();
        if (file.error) {
            sv_show_error(replay::message(name, *file.error).c_str());
            return nullptr;
        }
        if (file.warning) sv_show_error(replay::message(name, *file.warning).c_str());
        watch = std::move(file.inputs);
    }
    const bool watching = watch.has_value();
    // The pace, read as the native game reads --speed, and refused as it refuses it.
    double speed = 1;
    if (const auto asked = sv_speed()) {
        const auto v = Pacer::parseSpeed(*asked);
        if (!v) {
            sv_show_error(
                ("speed=" + *asked + ": " + Pacer::kSpeedRefused + "'" + *asked + "'").c_str());
            return nullptr;
        }
        speed = *v;
    }
    RunOptions options{.replay = std::move(watch),
                       .record = watching ? nullptr : &recording,
                       .trace = trace.get(),
                       .language = sv_language(),
                       .guide = sv_option("guide") ? std::optional<bool>(true) : std::nullopt};
    const Catalog* texts = catalogFor(options);
    std::string spoken, said;
    for (const auto& l : Catalog::languages()) {
        spoken += (spoken.empty() ? "" : " ") + l;
        said += (said.empty() ? "" : ", ") + l;
    }
    if (!texts) {
        // As the native game says it.
        sv_show_error(("no language '" + *options.language + "'; the game speaks " + said).c_str());
        return nullptr;
    }
    sv_languages(spoken.c_str(), texts->language().c_str());
    game->run = std::make_unique<Run>(desktop, sound, std::move(options));
    auto& run = *game->run;
    // The page keeps the run with its guide, and its choice in the bar shows it.
    sv_guided(run.guided() ? 1 : 0);
    desktop.setForms(run.game().forms());
    // A test's live pilot is given a game paced for it; the recording is the same at any pace.
    if (const auto pace = sv_test_pace(); pace && !watching)
        if (const auto v = Pacer::parseSpeed(*pace)) desktop.setSpeed(*v);
    if (watching) {
        desktop.setSpeed(speed);
        // Where the run ended; the last frame stays until the page is left or reloaded.
        run.onReplayEnded = [](const std::string& line) { sv_show_summary(line.c_str()); };
    }
    run.start();
    return game;
}

}  // namespace

int main() {
    // Small: it is on the stack through every turn of the page (see WebDesktop::step). The
    // set-up is called through a pointer, or the linker's optimiser would inline it here.
    auto* volatile build = &setUp;
    auto game = build();
    if (!game) return 2;
    game->desktop.run();
    return 0;
}

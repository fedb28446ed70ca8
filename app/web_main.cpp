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

}  // namespace

int main() {
    using namespace skyvane;
    web::WebSound sound;
    web::WebDesktop desktop;
    std::unique_ptr<TraceLog> trace;
    if (sv_option("trace"))
        trace = std::make_unique<TraceLog>(
            [](std::string_view line) { sv_trace(std::string(line).c_str()); }, &sound);

    // The replay's bytes as the file holds them, through the native game's own reader.
    std::optional<replay::Recording> watch;
    PageRecording recording;
    std::size_t size = 0;
    if (char* bytes = sv_replay_bytes(&size)) {
        auto file = readReplayBytes(std::string_view(bytes, size));
        std::free(bytes);
        const std::string name = sv_replay_name();
        if (file.error) {
            sv_show_error(replay::message(name, *file.error).c_str());
            return 2;
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
            return 2;
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
        return 2;
    }
    sv_languages(spoken.c_str(), texts->language().c_str());
    Run run(desktop, sound, std::move(options));
    // The page keeps the run with its guide, and its choice in the bar shows it.
    sv_guided(run.guided() ? 1 : 0);
    desktop.setForms(run.game().forms());
    // A test's live pilot is given a game paced for it; the recording is the same at any pace.
    if (const auto pace = sv_test_pace(); pace && !watching)
        if (const auto v = Pacer::parseSpeed(*pace)) desktop.setSpeed(*v);
    if (watching) {
        desktop.setSpeed(speed);
        // Where the run ended; the last frame stays until the page is left or reloaded.
        run.onReplayEnded = [&](const std::string& line) { sv_show_summary(line.c_str()); };
    }
    run.start();
    desktop.run();
    return 0;
}

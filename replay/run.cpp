// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "replay/run.h"

#include "mission/audio_guide.h"
#include "screens/phase.h"

namespace skyvane {

namespace {

// Enough of a desktop to build the game's windows on, to learn their names.
class NoDesktop : public Desktop {
  public:
    void load(Form&) override {}
    void show(Form&) override {}
    void hide(Form&) override {}
    void unload(Form&) override {}
    void messageBox(const std::string&, int, const std::string&) override {}
    [[noreturn]] void end() override { throw ProgramEnded{}; }
};

template <class Read>
replay::ReadResult checkedAgainstTheGame(Read&& read, bool shownInAnother = false) {
    NoDesktop desktop;
    NullSound silence;
    Game game(desktop, silence);
    const auto forms = game.forms();
    auto result = read(&forms);
    if (!result.error && !shownInAnother && !Catalog::of(result.inputs.language())) {
        std::string spoken;
        for (const auto& l : Catalog::languages()) spoken += (spoken.empty() ? "" : ", ") + l;
        result.error =
            replay::Error{0, "recorded in the language '" + result.inputs.language() +
                                 "', which this game does not speak (it speaks " + spoken + ")"};
        result.inputs = replay::Recording{};
    }
    return result;
}

}  // namespace

replay::ReadResult readReplay(const std::string& path, bool shownInAnother) {
    return checkedAgainstTheGame([&](const auto* forms) { return replay::readFile(path, forms); },
                                 shownInAnother);
}

replay::ReadResult readReplayBytes(std::string_view bytes) {
    return checkedAgainstTheGame(
        [&](const auto* forms) { return replay::readBytes(bytes, forms); });
}

const Catalog* catalogFor(const RunOptions& options) {
    if (options.language) return Catalog::of(*options.language);
    return Catalog::of(options.replay ? options.replay->language() : replay::kSourceLanguage);
}

namespace {
const Catalog& catalogOrSource(const RunOptions& options) {
    const auto* texts = catalogFor(options);
    return texts ? *texts : Catalog::source();
}
}  // namespace

Run::Run(DesktopBase& desktop, Sound& sound, RunOptions options)
    : desktop_(desktop),
      record_(options.record),
      trace_(options.trace),
      sound_(trace_ ? static_cast<Sound&>(*trace_) : sound),
      game_(desktop, sound_, catalogOrSource(options)),
      guided_(options.guide.value_or(options.replay && options.replay->guided())) {
    if (trace_) {
        trace_->follow(desktop_);
        desktop_.setTrace(trace_);
    }
    if (options.replay) {
        player_ =
            std::make_unique<replay::Player>(desktop_, game_.forms(), std::move(*options.replay));
        player_->onEnded = [this] {
            if (onReplayEnded) onReplayEnded(endLine());
        };
    }
    if (record_) desktop_.setInputSink(record_);
    if (guided_) {
        // The guide's cues change as the flight does; a player who listens may ask questions.
        desktop_.setReaderKeys(true);
        desktop_.afterPeriod = [this] {
            const auto guide = guideOf(game_.mission);
            if (guide == guide_) return;
            guide_ = guide;
            sound_.guide(guide);
        };
    }
}

Run::~Run() {
    desktop_.afterPeriod = nullptr;
    // Whatever the desktop does after the run (closing its windows) is no part of it.
    if (record_) desktop_.setInputSink(nullptr);
    player_.reset();
    if (trace_) desktop_.setTrace(nullptr);
}

void Run::start() {
    desktop_.invoke([&] { game_.start(); });
}

std::string Run::endLine() const {
    return summary(game_, desktop_);
}

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Writes the scripted playthroughs of the tests as the game fuzzer's seeds and as replay files,
// each replay with the line its headless replay must print. Every build runs it (into
// build/fuzz/seeds and build/fuzz/scripted-replays); the replays are played by the tests and
// seed the replay fuzzer. Usage: make_seeds GAME_DIR REPLAY_DIR

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "fuzz/game_driver.h"
#include "mission/audio_guide.h"
#include "platform/headless/headless_desktop.h"
#include "replay/format.h"
#include "replay/output_file.h"
#include "screens/game.h"
#include "screens/phase.h"
#include "tests/pilot.h"
#include "tests/recording_sound.h"

namespace {

using namespace skyvane;
using namespace skyvane::fuzzing;

// Turns the inputs the desktop takes into the game fuzzer's bytes.
class Encoder : public InputSink {
  public:
    explicit Encoder(Game& game) : game_(game) {}
    std::vector<std::uint8_t> bytes{0};  // the timers tick in loading order

    void input(const Input& in) override {
        if (in.kind == Input::Kind::Repeat || in.kind == Input::Kind::BoxClosed ||
            in.kind == Input::Kind::End || in.kind == Input::Kind::Skip)
            return;  // the desktop makes these itself
        gap(in.period);
        if (in.kind == Input::Kind::Wait) return;
        switch (in.kind) {
            case Input::Kind::KeyDown:
            case Input::Kind::KeyUp: {
                const auto* k = std::find(std::begin(kKeys), std::end(kKeys), in.code);
                if (k == std::end(kKeys)) return;
                put(in.kind == Input::Kind::KeyDown ? KeyDown : KeyUp, formIndex(in.form),
                    static_cast<int>(k - std::begin(kKeys)));
                break;
            }
            case Input::Kind::Click: {
                const std::vector<std::string> buttons = {"Form2.Command1", "Form2.Command2",
                                                          "Form1.Command1", "Form1.Command2",
                                                          "Form1.Command3", "Form3.Command1"};
                const auto it =
                    std::find(buttons.begin(), buttons.end(), in.form + "." + in.element);
                put(Click, static_cast<int>(it - buttons.begin()));
                break;
            }
            case Input::Kind::Close:
                put(Close, formIndex(in.form));
                break;
            case Input::Kind::Text:
                put(Name, static_cast<int>(std::min<std::size_t>(in.text.size(), 255)), 0);
                bytes.insert(
                    bytes.end(), in.text.begin(),
                    in.text.begin() +
                        std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(in.text.size()), 255));
                break;
            case Input::Kind::LostKeyboard:
                put(LoseKeyboard);
                break;
            default:
                break;
        }
    }
    // A box closes at once, with no input aimed behind it.
    void boxOpened() { put(0, Periods); }

  private:
    template <class... B>
    void put(B... b) {
        (bytes.push_back(static_cast<std::uint8_t>(b)), ...);
    }
    void gap(std::uint64_t period) {
        auto d = period - last_;
        last_ = period;
        while (d >= 64) {
            const auto n = std::min<std::uint64_t>(d / 64, 255);
            put(ManyPeriods, static_cast<int>(n));
            d -= n * 64;
        }
        if (d) put(Periods, static_cast<int>(d));
    }
    int formIndex(const std::string& name) {
        const auto forms = game_.forms();
        for (std::size_t i = 0; i < forms.size(); ++i)
            if (forms[i]->design().name == name) return static_cast<int>(i);
        return 0;
    }

    Game& game_;
    std::uint64_t last_ = 0;
};

class Both : public InputSink {
  public:
    Both(InputSink& a, InputSink& b) : a_(a), b_(b) {}
    void input(const Input& in) override {
        a_.input(in);
        b_.input(in);
    }

  private:
    InputSink &a_, &b_;
};

struct Scenario {
    const char* name;
    std::function<void(HeadlessDesktop&, Game&, testing::Pilot&)> play;
    bool guided = false;  // played with the audio guide
};

void join(HeadlessDesktop& d, Game& g, const std::string& name) {
    d.editText(g.title.Text1, name);
    d.click(g.title.Command1);
}

void returnKey(HeadlessDesktop& d, Form& f) {
    d.pressKey(f, vk::Return);
    d.releaseKey(f, vk::Return);
}

bool fly(HeadlessDesktop& d, Game& g, testing::Pilot& p, int x, int z, bool land,
         int hover = 1800) {
    for (int period = 0; period < 64 * 60; ++period) {
        if (!g.mission.Timer1.enabled() || d.ended()) {
            p.letGo();
            return true;
        }
        p.steer(x, z, land, hover);
    }
    return false;
}

const Scenario kScenarios[] = {
    {"five-trips-and-the-win",
     [](HeadlessDesktop& d, Game& g, testing::Pilot& p) {
         d.advance(100);
         join(d, g, "Kestrel");
         for (int trip = 0; trip < 5; ++trip) {
             returnKey(d, g.mission);
             fly(d, g, p, 600, 1150, true);
             d.advance(10);
             returnKey(d, g.mission);
             fly(d, g, p, 3590, 2360, true);
         }
     }},
    // The whole mission flown by ear, on the guide's cues and what a screen reader says.
    {"flown-by-ear",
     [](HeadlessDesktop& d, Game& g, testing::Pilot&) {
         testing::EarPilot ears(d, g.mission);
         d.afterPeriod = [&] { ears.hear(guideOf(g.mission)); };
         d.setListened(true);
         join(d, g, "Owl");
         for (int period = 0; period < 64 * 600 && !g.closing.visible() && !d.ended(); ++period) {
             d.runPeriod();
             for (const auto& n : d.takeNews(d.period()))
                 if (n.kind == Notice::Kind::Said) ears.hear(n.words);
             ears.decide();
         }
         d.afterPeriod = nullptr;
     },
     true},
    {"a-crash",
     [](HeadlessDesktop& d, Game& g, testing::Pilot&) {
         join(d, g, "");
         d.click(g.mission.Command1);
         d.advance(640);  // ten seconds
     }},
    {"a-sinking",
     [](HeadlessDesktop& d, Game& g, testing::Pilot& p) {
         join(d, g, "Gull");
         d.click(g.mission.Command1);
         fly(d, g, p, 2000, 500, true);
     }},
    {"running-dry",
     [](HeadlessDesktop& d, Game& g, testing::Pilot& p) {
         join(d, g, "Moth");
         d.click(g.mission.Command1);
         fly(d, g, p, 600, 1150, false, 1200);
     }},
    {"going-home",
     [](HeadlessDesktop& d, Game& g, testing::Pilot&) {
         d.advance(40);
         d.click(g.title.Command2);
     }},
    {"the-farewell",
     [](HeadlessDesktop& d, Game& g, testing::Pilot&) {
         join(d, g, "「鳥」<b>&amp;</b>");
         d.advance(20);
         d.click(g.mission.Command2);
     }},
    {"closing-in-flight",
     [](HeadlessDesktop& d, Game& g, testing::Pilot&) {
         join(d, g, "Wren");
         d.click(g.mission.Command1);
         d.pressKey(g.mission, vk::Shift);
         d.advance(50);
         d.closeWindow(g.mission);
     }},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s GAME_DIR REPLAY_DIR\n", argv[0]);
        return 2;
    }
    for (const auto& s : kScenarios) {
        HeadlessDesktop desktop;
        RecordingSound sound;
        Game game(desktop, sound);
        testing::Pilot pilot(desktop, game.mission);
        Encoder encoder(game);
        const std::string replayPath = std::string(argv[2]) + "/" + s.name + ".replay";
        std::string why;
        const auto writer =
            replay::Writer::open(replayPath, why, {}, replay::kSourceLanguage, s.guided);
        if (!writer) {
            std::fprintf(stderr, "make_seeds: %s: %s\n", replayPath.c_str(), why.c_str());
            return 1;
        }
        Both both(encoder, *writer);
        desktop.setInputSink(&both);
        desktop.whileMessageBox = [&](const MessageBoxCall&) { encoder.boxOpened(); };
        desktop.invoke([&] { game.start(); });
        s.play(desktop, game, pilot);
        if (!desktop.ended()) both.input({.period = desktop.period(), .kind = Input::Kind::Wait});
        desktop.setInputSink(nullptr);
        if (std::FILE* f = std::fopen(replayPath.c_str(), "ab")) {
            std::fprintf(f, "# expect: %s\n", summary(game, desktop).c_str());
            std::fclose(f);
        }
        std::ofstream out(std::string(argv[1]) + "/" + s.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(encoder.bytes.data()),
                  static_cast<std::streamsize>(encoder.bytes.size()));
        const auto report = play(encoder.bytes.data(), encoder.bytes.size());
        std::printf("%-24s %6zu bytes, %6llu periods, ends %s%s%s\n", s.name, encoder.bytes.size(),
                    static_cast<unsigned long long>(report.periods), report.phase.c_str(),
                    report.violation.empty() ? "" : ": ", report.violation.c_str());
    }
    return 0;
}

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "fuzz/game_driver.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>
#include <type_traits>

#include "fuzz/round_trip.h"
#include "platform/headless/headless_desktop.h"
#include "screens/game.h"
#include "screens/phase.h"
#include "tests/recording_sound.h"

namespace skyvane::fuzzing {

namespace {

class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    std::uint8_t next() { return empty() ? 0 : data_[at_++]; }
    std::string take(std::size_t n) {
        n = std::min(n, size_ - std::min(at_, size_));
        std::string s(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return s;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A broken rule ends the run with its description.
struct Broken {
    std::string what;
};

// Hears every handler call: none may run after the end, and no click, key or close reaches a
// window while a message box is open. Everything is passed on to the run's trace.
class Watch : public Trace {
  public:
    Watch(const DesktopBase& desktop, Trace& next) : desktop_(desktop), next_(next) {}
    void handlerCalled(const Form& form, std::string_view element, std::string_view event,
                       int code) override {
        next_.handlerCalled(form, element, event, code);
        auto name = [&] { return std::string(element) + "_" + std::string(event); };
        if (desktop_.ended()) throw Broken{"handler " + name() + " ran after the end"};
        const bool player =
            event == "Click" || event == "KeyDown" || event == "KeyUp" || event == "Unload";
        if (desktop_.modal() && player)
            throw Broken{"handler " + name() + " of " + form.design().name +
                         " ran behind a message box"};
        if (element == "Timer5" && event == "Timer") ++judged;
        if (event == "Click" && (element == "Command1" || element == "Command3") &&
            form.design().name == "Form1")
            judged = 0;
    }
    void elementChanged(Element& e, Property p) override { next_.elementChanged(e, p); }
    void formChanged(Form& f, Property p) override { next_.formChanged(f, p); }

    int judged = 0;  // ticks of the landing rules since the leg began

  private:
    const DesktopBase& desktop_;
    Trace& next_;
};

// The order of the timers within a period, drawn from the order byte and the period: a replay
// that knows when each byte was chosen orders them the same.
void orderTimers(std::vector<Timer*>& timers, std::uint8_t order, std::uint64_t period) {
    if (order == 0) return;
    if (order == 1) {
        std::reverse(timers.begin(), timers.end());
        return;
    }
    std::mt19937 rng(static_cast<std::uint32_t>(std::uint64_t{order} * 1'000'003u + period));
    std::shuffle(timers.begin(), timers.end(), rng);
}

// The order bytes a run chose, each with the period after which it holds.
using OrderSchedule = std::vector<std::pair<std::uint64_t, std::uint8_t>>;

void followSchedule(HeadlessDesktop& desktop, const OrderSchedule& schedule) {
    desktop.setTimerOrder([&desktop, &schedule](std::vector<Timer*>& timers) {
        std::uint8_t order = 0;
        for (const auto& [after, byte] : schedule)
            if (after < desktop.period()) order = byte;
        orderTimers(timers, order, desktop.period());
    });
}

class Driver {
  public:
    Driver(Bytes& in, std::uint64_t maxPeriods)
        : in_(in), maxPeriods_(maxPeriods), watch_(desktop_, run_.log) {
        desktop_.setTrace(&watch_);
        desktop_.whileMessageBox = [this](const MessageBoxCall&) { answerBox(); };
        followSchedule(desktop_, orders_);
        order(in_.next());
        desktop_.invoke([&] { game_.start(); });
    }

    Report run() {
        Report report;
        try {
            check();
            while (!in_.empty() && !desktop_.ended()) {
                step();
                check();
            }
            // Whatever the input left running runs a while longer.
            desktop_.advance(64);
            check();
            report.phase = phaseName(phaseOf(game_, desktop_));
            report.periods = desktop_.period();
            replayed();
        } catch (const Broken& b) {
            report.violation = b.what;
        }
        if (report.phase.empty()) {
            report.phase = phaseName(phaseOf(game_, desktop_));
            report.periods = desktop_.period();
        }
        return report;
    }

  private:
    Form& form(std::uint8_t b) { return *game_.forms()[b % 3]; }

    void order(std::uint8_t b) { orders_.emplace_back(desktop_.period(), b); }

    // The run, ended here, goes through the real writer and reader and plays again the same.
    void replayed() {
        desktop_.endFromOutside();
        const std::string file = run_.file();
        const auto again =
            replayText(file, false, [&](HeadlessDesktop& d) { followSchedule(d, orders_); });
        if (again.error)
            throw Broken{"the recording is refused: line " + std::to_string(again.error->line) +
                         ": " + again.error->what};
        if (!again.trace.sameAs(run_.trace))
            throw Broken{"the replay of the recording differs from the run (" +
                         std::to_string(again.trace.lines()) + " trace lines against " +
                         std::to_string(run_.trace.lines()) + ")"};
        if (again.rerecorded != file)
            throw Broken{"the replay, recorded again, wrote another file"};
        if (again.summary != summary(game_, desktop_))
            throw Broken{"the replay ends '" + again.summary + "', the run '" +
                         summary(game_, desktop_) + "'"};
    }

    std::vector<Button*> buttons() {
        return {&game_.title.Command1,   &game_.title.Command2,   &game_.mission.Command1,
                &game_.mission.Command2, &game_.mission.Command3, &game_.closing.Command1};
    }

    void step() { input(in_.next() % kOps); }

    void input(std::uint8_t op) {
        switch (op) {
            case KeyDown:
            case KeyUp: {
                Form& f = form(in_.next());
                const int key = kKeys[in_.next() % kKeyCount];
                if (op == KeyDown) {
                    desktop_.pressKey(f, key);
                } else {
                    desktop_.releaseKey(f, key);
                }
                break;
            }
            case Click: {
                const auto all = buttons();
                desktop_.click(*all[in_.next() % all.size()]);
                break;
            }
            case Close:
                desktop_.closeWindow(form(in_.next()));
                break;
            case Name: {
                const std::size_t length = in_.next();
                const std::size_t repeats = 1 + in_.next();
                const std::string piece = in_.take(length);
                std::string name;
                for (std::size_t i = 0; i < repeats; ++i) name += piece;
                desktop_.editText(game_.title.Text1, name);
                break;
            }
            case Periods:
                advance(in_.next());
                break;
            case ManyPeriods:
                advance(std::uint64_t{in_.next()} * 64);
                break;
            case Focus: {
                Form& f = form(in_.next());
                std::vector<Focusable*> focusables;
                for (const auto& e : f.elements())
                    if (auto* fe = dynamic_cast<Focusable*>(e.get())) focusables.push_back(fe);
                desktop_.moveFocus(*focusables[in_.next() % focusables.size()]);
                break;
            }
            case LoseKeyboard:
                desktop_.loseKeyboard();
                break;
            case TimerOrder:
                order(in_.next());
                break;
            case Stall: {
                // A stall of any length, up to a minute and more, as a busy machine makes.
                const std::uint64_t n = in_.next();
                const auto to = desktop_.period() + 1 + n * n;
                desktop_.skipTo(std::min(to, std::max(maxPeriods_, desktop_.period())));
                break;
            }
            default:
                break;
        }
    }

    void advance(std::uint64_t periods) {
        periods = std::min(periods, maxPeriods_ - std::min(maxPeriods_, desktop_.period()));
        for (std::uint64_t i = 0; i < periods && !desktop_.ended(); ++i) {
            desktop_.runPeriod();
            if (i % 16 == 15) check();
        }
    }

    // Open for as many periods as the input says, while the player tries one input behind it.
    void answerBox() {
        const int periods = in_.next();
        const std::uint8_t op = in_.next() % kOps;
        const auto period = desktop_.period();
        if (op != Periods && op != ManyPeriods && op != TimerOrder) input(op);
        for (int i = 0; i < periods && !desktop_.ended(); ++i) desktop_.runPeriod();
        if (desktop_.period() < period) throw Broken{"time went backwards behind a box"};
    }

    // The description is made only when a rule is broken: the checks run after every event.
    template <class What>
    void expect(bool holds, What&& what) const {
        if (holds) return;
        std::string text;
        if constexpr (std::is_invocable_v<What>) {
            text = what();
        } else {
            text = what;
        }
        throw Broken{text + " (" + phaseName(phaseOf(game_, desktop_)) + ")"};
    }

    void check() {
        const MissionScreen& m = game_.mission;
        const Phase phase = phaseOf(game_, desktop_);
        const auto& playing = sound_.playing();

        expect(game_.title.ScrollTop >= -6000 && game_.title.ScrollTop <= 1400,
               "the prologue scrolled out of its range");
        expect(m.Rescued >= 0 && m.Rescued <= 10 && m.Rescued % 2 == 0,
               [&] { return "Rescued is " + std::to_string(m.Rescued); });
        if (m.loaded()) {
            expect(m.Label18.caption() == std::to_string(m.Rescued),
                   [&] { return "the rescued count shows " + m.Label18.caption(); });
            expect(m.KeyX >= -1 && m.KeyX <= 1 && m.KeyZ >= -1 && m.KeyZ <= 1 &&
                       (m.KeyY == 0 || m.KeyY == 1),
                   "a key variable out of range");
            expect(m.SpeedX >= -3 && m.SpeedX <= 101 && m.SpeedZ >= -3 && m.SpeedZ <= 101,
                   "a horizontal speed out of range");
            expect(m.Fuel >= -1 && m.Fuel <= 1000,
                   [&] { return "Fuel is " + std::to_string(m.Fuel); });
            expect((m.EngineOn == 0 || m.EngineOn == -1) && (m.Outbound == 0 || m.Outbound == -1),
                   "a flag is neither -1 nor 0");
        }

        auto buttonsAre = [&](bool go, bool close, bool back) {
            expect(m.Command1.visible() == go && m.Command2.visible() == close &&
                       m.Command3.visible() == back,
                   "the wrong buttons show");
        };
        auto timersAre = [&](bool flight, bool judging) {
            expect(m.Timer1.enabled() == flight && m.Timer3.enabled() == flight &&
                       m.Timer6.enabled() == flight && m.Timer5.enabled() == judging,
                   "the wrong timers run");
        };
        auto silent = [&] { expect(!playing.has_value(), "a sound plays"); };

        switch (phase) {
            case Phase::Title:
                expect(game_.title.visible() && game_.title.Timer1.enabled() &&
                           game_.title.Timer2.enabled(),
                       "the title screen is not running");
                silent();
                break;
            case Phase::Briefing:
                buttonsAre(true, true, false);
                timersAre(false, false);
                expect(m.Timer7.enabled(), "the fuel warning does not run");
                silent();
                break;
            case Phase::Flight:
                buttonsAre(false, false, false);
                timersAre(true, true);
                expect(m.Timer7.enabled(), "the fuel warning does not run");
                expect(playing && *playing == mission_sounds::kRotor && sound_.looping(),
                       "the rotor does not loop in flight");
                if (watch_.judged > 0) {
                    const int shown = std::atoi(m.Label5.caption().c_str());
                    expect(std::abs(shown - std::abs(static_cast<int>(m.SpeedY))) <= 1, [&] {
                        return "the vertical-speed readout shows " + m.Label5.caption();
                    });
                }
                break;
            case Phase::Target:
                buttonsAre(false, false, true);
                timersAre(false, true);
                expect(m.Label23.caption() == "2" && m.Label8.caption() == "0",
                       "the readouts after a pick-up");
                silent();
                break;
            case Phase::Base:
                buttonsAre(true, false, false);
                timersAre(false, false);
                expect(m.Label23.caption() == "0" && m.Rescued > 0 && m.Rescued < 10,
                       "the readouts after a delivery");
                silent();
                break;
            case Phase::Crashed:
            case Phase::Sunk:
                buttonsAre(false, true, false);
                timersAre(false, false);
                expect(!m.Timer7.enabled(), "the fuel warning runs after the loss");
                expect(m.Label8.caption() == "-1", "the altitude after the loss");
                if (phase == Phase::Sunk) silent();
                if (phase == Phase::Crashed)
                    expect(playing && *playing == mission_sounds::kExplosion && !sound_.looping(),
                           "the explosion does not play once");
                break;
            case Phase::Won:
                expect(!desktop_.modal() || m.visible(), "the mission hid before the box closed");
                if (!desktop_.modal()) {
                    expect(game_.closing.visible() && !m.visible(),
                           "the closing screen does not show");
                    expect(game_.closing.Label4.caption() == game_.title.Text1.text(),
                           "the closing screen does not name the pilot");
                }
                timersAre(false, false);
                expect(m.Rescued >= 10, [&] { return "won with " + std::to_string(m.Rescued); });
                silent();
                break;
            case Phase::Ended:
                silent();
                break;
        }
    }

    Bytes& in_;
    std::uint64_t maxPeriods_;
    RecordedGame run_;
    HeadlessDesktop& desktop_ = run_.desktop;
    RecordingSound& sound_ = run_.sound;
    Game& game_ = run_.game;
    OrderSchedule orders_;
    Watch watch_;
};

}  // namespace

Report play(const std::uint8_t* data, std::size_t size, std::uint64_t maxPeriods) {
    Bytes in(data, size);
    Driver driver(in, maxPeriods);
    return driver.run();
}

}  // namespace skyvane::fuzzing

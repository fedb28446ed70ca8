// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The desktop's rules against a small model of them, written from HACKING.md and the design
// rather than from the code: random sequences of the player's inputs and of replayed repeats,
// with periods passing between them, go to the headless desktop and to the model, and after
// every input the handlers called, the focus, the keys held, what shows and whether the program
// ended must agree. Seeded (SKYVANE_SEED=N draws the same again); a failure prints the seed and
// the shortest sequence that still fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "layouts/builders.h"
#include "platform/headless/headless_desktop.h"
#include "platform/keys.h"

namespace skyvane {
namespace {

using namespace layout;

constexpr int kShowAll = 65;  // A: shows the buttons and the box again
constexpr int kQuit = 81;     // Q: the window unloads, and the program ends

// A window with two buttons and a text box in tab order: Ok (0), Hide (1), Name (2). Hide hides
// all three, so that the keys reach the window; A shows them again; Q unloads the window.
FormDesign modelDesign() {
    FormDesign f;
    f.name = "Model";
    f.clientWidth = 3000;
    f.clientHeight = 3000;
    f.elements = {
        button({.name = "Ok", .role = "", .box = {0, 0, 900, 375}, .caption = "OK", .tab = 0}),
        button({.name = "Hide", .role = "", .box = {1000, 0, 900, 375}, .caption = "H", .tab = 1}),
        textBox({.name = "Name", .role = "", .box = {0, 500, 900, 375}, .tab = 2}),
    };
    return f;
}

struct ModelForm : Form {
    explicit ModelForm(Desktop& desktop)
        : Form(design()),
          ok(get<Button>("Ok")),
          hide(get<Button>("Hide")),
          name(get<TextBox>("Name")),
          desktop_(desktop) {
        ok.onClick = [this] { log.push_back("click Ok"); };
        hide.onClick = [this] {
            log.push_back("click Hide");
            for (Control* c : std::initializer_list<Control*>{&ok, &hide, &name})
                c->setVisible(false);
        };
    }
    static const FormDesign& design() {
        static const FormDesign s = modelDesign();
        return s;
    }
    void Form_KeyDown(std::int16_t key, std::int16_t) override {
        log.push_back("down " + std::to_string(key));
        if (key == kShowAll)
            for (Control* c : std::initializer_list<Control*>{&ok, &hide, &name})
                c->setVisible(true);
        if (key == kQuit) desktop_.unload(*this);
    }
    void Form_KeyUp(std::int16_t key, std::int16_t) override {
        log.push_back("up " + std::to_string(key));
    }
    Button& ok;
    Button& hide;
    TextBox& name;
    std::vector<std::string> log;

  private:
    Desktop& desktop_;
};

// ---- The model ----
const std::vector<std::string> kTabOrder = {"Ok", "Hide", "Name"};

struct Model {
    std::map<std::string, bool> visible{{"Ok", true}, {"Hide", true}, {"Name", true}};
    std::string focus = "Ok";
    std::vector<int> held;
    int repeatKey = 0;
    std::int64_t nextRepeatUs = 0;
    std::string spaceArmed;
    bool ended = false;
    std::uint64_t period = 0;
    std::string text;
    std::vector<std::string> log;

    bool isHeld(int k) const { return std::find(held.begin(), held.end(), k) != held.end(); }
    // A hidden focus passes to the next shown element in tab order, else the first shown.
    void refocus() {
        if (!focus.empty() && visible[focus]) return;
        const auto at = std::find(kTabOrder.begin(), kTabOrder.end(), focus);
        std::string next;
        if (at != kTabOrder.end())
            for (auto it = at + 1; it != kTabOrder.end() && next.empty(); ++it)
                if (visible[*it]) next = *it;
        for (auto it = kTabOrder.begin(); it != kTabOrder.end() && next.empty(); ++it)
            if (visible[*it]) next = *it;
        focus = next;
    }
    void show(bool v) {
        for (const auto& e : kTabOrder) {
            if (visible[e] == v) continue;
            visible[e] = v;
            refocus();
        }
    }
    void clicked(const std::string& button) {
        log.push_back("click " + button);
        if (button == "Hide") show(false);
    }
    void keyDownHandler(int k) {
        log.push_back("down " + std::to_string(k));
        if (k == kShowAll) show(true);
        if (k == kQuit) ended = true;
    }
    // The key reaches the focused button (Return presses it, Space arms it) or, with no focus,
    // the window; a repeat never presses a button.
    void deliverDown(int k, bool repeat) {
        if (ended) return;
        if (!focus.empty()) {
            if (focus == "Name" || repeat) return;
            if (k == vk::Return) clicked(focus);
            if (k == vk::Space) spaceArmed = focus;
            return;
        }
        keyDownHandler(k);
    }
    void deliverUp(int k) {
        if (ended) return;
        if (!focus.empty()) {
            const auto armed = spaceArmed;
            spaceArmed.clear();
            if (k == vk::Space && armed == focus) clicked(armed);
            return;
        }
        log.push_back("up " + std::to_string(k));
    }
    std::int64_t nowUs() const { return static_cast<std::int64_t>(period) * kPeriodUs; }

    // A code no key has (1 to 255 are the keys) is nothing.
    static bool noKey(int k) { return k < 1 || k >= vk::kCount; }
    void press(int k) {
        if (ended || noKey(k) || isHeld(k) || focus == "Name") return;
        held.push_back(k);
        repeatKey = k;
        nextRepeatUs = nowUs() + kRepeatDelayUs;
        deliverDown(k, false);
    }
    void release(int k) {
        if (ended || noKey(k) || !isHeld(k)) return;
        held.erase(std::find(held.begin(), held.end(), k));
        if (k == repeatKey) repeatKey = 0;
        deliverUp(k);
    }
    void click(const std::string& b) {
        if (ended || !visible.count(b) || !visible[b] || b == "Name") return;
        focus = b;
        clicked(b);
    }
    void moveFocus(const std::string& e) {
        if (ended || !visible.count(e) || !visible[e]) return;
        focus = e;
    }
    void edit(const std::string& box, const std::string& t) {
        if (!ended && box == "Name" && visible[box]) text = t;
    }
    void loseKeyboard() {
        if (ended || (held.empty() && !repeatKey && spaceArmed.empty())) return;
        const auto keys = held;
        held.clear();
        repeatKey = 0;
        spaceArmed.clear();
        for (int k : keys) deliverUp(k);
    }
    // A repeat a replay brings: only of the key pressed last, while it is held.
    void replayedRepeat(int k) {
        if (ended || k != repeatKey || repeatKey == 0) return;
        deliverDown(k, true);
    }
    void stall(int periods) {
        if (!ended) period += static_cast<std::uint64_t>(periods);
    }
    // A period: the key pressed last repeats half a second after it went down, then thirty
    // times a second, never in a burst.
    void runPeriod() {
        if (ended) return;
        ++period;
        if (!repeatKey || nextRepeatUs > nowUs()) return;
        nextRepeatUs = std::max(nextRepeatUs + kRepeatEveryUs, nowUs() + 1);
        deliverDown(repeatKey, true);
    }
};

// ---- Steps, drawn from a seed ----
struct Step {
    enum Kind { Press, Release, Click, Focus, Edit, Lose, Repeat, Periods, Stall } kind = Press;
    int key = 0;
    std::string element;
    int periods = 0;
};

std::string describe(const Step& s) {
    static const char* names[] = {"press",         "release", "click",   "focus", "edit",
                                  "lose keyboard", "repeat",  "periods", "stall"};
    std::ostringstream o;
    o << names[s.kind];
    if (s.kind == Step::Press || s.kind == Step::Release || s.kind == Step::Repeat)
        o << " " << s.key;
    if (!s.element.empty()) o << " " << s.element;
    if (s.periods) o << " " << s.periods;
    return o.str();
}

std::vector<Step> draw(std::uint64_t seed) {
    std::mt19937_64 rnd(seed);
    // The game's keys, the window's own, and the codes at the edges of the keys and beyond.
    const int keys[] = {vk::Shift, vk::Left, vk::Return, vk::Space,      kShowAll,   kQuit,
                        90,        0,        1,          vk::kCount - 1, vk::kCount, -1};
    const char* elements[] = {"Ok", "Hide", "Name", "Missing"};
    std::vector<Step> steps;
    const int n = 20 + static_cast<int>(rnd() % 60);
    for (int i = 0; i < n; ++i) {
        Step s;
        s.kind = static_cast<Step::Kind>(rnd() % 9);
        s.key = keys[rnd() % std::size(keys)];
        // Quitting is rare, or every run would end at once.
        if (s.key == kQuit && rnd() % 4) s.key = vk::Left;
        if (s.kind == Step::Click || s.kind == Step::Focus || s.kind == Step::Edit) {
            s.key = 0;
            s.element = elements[rnd() % std::size(elements)];
        }
        if (s.kind == Step::Lose) s.key = 0;
        if (s.kind == Step::Periods || s.kind == Step::Stall) {
            s.key = 0;
            s.periods = 1 + static_cast<int>(rnd() % 60);
        }
        steps.push_back(s);
    }
    return steps;
}

// Plays the steps on the desktop and the model; the first disagreement, or "".
std::string disagreement(const std::vector<Step>& steps) {
    HeadlessDesktop desktop;
    ModelForm form(desktop);
    const std::vector<Form*> forms{&form};
    desktop.invoke([&] { desktop.show(form); });
    Model model;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        Input in{.period = desktop.period(), .form = "Model"};
        switch (s.kind) {
            case Step::Press:
                in.kind = Input::Kind::KeyDown;
                in.code = s.key;
                model.press(s.key);
                break;
            case Step::Release:
                in.kind = Input::Kind::KeyUp;
                in.code = s.key;
                model.release(s.key);
                break;
            case Step::Click:
                in.kind = Input::Kind::Click;
                in.element = s.element;
                model.click(s.element);
                break;
            case Step::Focus:
                in.kind = Input::Kind::Focus;
                in.element = s.element;
                model.moveFocus(s.element);
                break;
            case Step::Edit:
                in.kind = Input::Kind::Text;
                in.element = s.element;
                in.text = "edit " + std::to_string(i);
                model.edit(s.element, in.text);
                break;
            case Step::Lose:
                in.kind = Input::Kind::LostKeyboard;
                model.loseKeyboard();
                break;
            case Step::Repeat:
                in.kind = Input::Kind::Repeat;
                in.code = s.key;
                model.replayedRepeat(s.key);
                break;
            case Step::Stall:
                // The machine stalled: the periods are passed over, and the repeat due in them
                // comes once, not in a burst.
                desktop.skipTo(desktop.period() + static_cast<std::uint64_t>(s.periods));
                model.stall(s.periods);
                break;
            case Step::Periods:
                for (int p = 0; p < s.periods; ++p) {
                    desktop.runPeriod();
                    model.runPeriod();
                }
                break;
        }
        if (s.kind != Step::Periods && s.kind != Step::Stall)
            desktop.apply(
                in, forms,
                s.kind == Step::Repeat ? DesktopBase::From::Replay : DesktopBase::From::Player);
        std::ostringstream why;
        const std::string focus = form.focus() ? form.focus()->name() : "";
        if (form.log != model.log)
            why << "handlers called: desktop " << form.log.size() << ", model " << model.log.size();
        else if (desktop.ended() != model.ended)
            why << "ended: desktop " << desktop.ended();
        else if (form.name.text() != model.text)
            why << "text: desktop '" << form.name.text() << "'";
        else if (!model.ended && focus != model.focus)
            why << "focus: desktop '" << focus << "', model '" << model.focus << "'";
        else if (!model.ended)
            for (int k : {vk::Shift, vk::Left, vk::Return, vk::Space, kShowAll, 90})
                if (desktop.keyHeld(k) != model.isHeld(k))
                    why << "key " << k << " held: desktop " << desktop.keyHeld(k);
        if (!why.str().empty())
            return "after step " + std::to_string(i + 1) + " (" + describe(s) + "): " + why.str();
    }
    return "";
}

std::uint64_t seed() {
    static const std::uint64_t s = [] {
        const char* given = std::getenv("SKYVANE_SEED");
        return given ? std::strtoull(given, nullptr, 10) : std::uint64_t{std::random_device{}()};
    }();
    return s;
}

TEST(DesktopModel, TheDesktopKeepsTheRulesOfTheModelOverRandomInputs) {
    for (std::uint64_t run = 0; run < 500; ++run) {
        auto steps = draw(seed() + run);
        auto why = disagreement(steps);
        if (why.empty()) continue;
        // The shortest sequence that still disagrees: steps taken away one at a time.
        for (std::size_t i = steps.size(); i-- > 0;) {
            auto fewer = steps;
            fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(i));
            if (!disagreement(fewer).empty()) steps = fewer;
        }
        std::ostringstream shown;
        for (const auto& s : steps) shown << "\n  " << describe(s);
        FAIL() << "SKYVANE_SEED=" << seed() << " run " << run << ": " << disagreement(steps)
               << "\nshrunk to:" << shown.str();
    }
}

}  // namespace
}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The rules every desktop keeps, on the headless desktop: the 64 Hz timer grid, the end of the
// program, focus and key routing, and key repeat.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "layouts/builders.h"
#include "platform/guide_voice.h"
#include "platform/headless/headless_desktop.h"
#include "platform/pad.h"
#include "replay/format.h"
#include "screens/game.h"
#include "tests/recording_sound.h"

namespace skyvane {
namespace {

using namespace layout;

FormDesign testDesign() {
    FormDesign f;
    f.name = "Test";
    f.clientWidth = 3000;
    f.clientHeight = 3000;
    f.elements = {
        button({.name = "Ok", .role = "", .box = {0, 0, 900, 375}, .caption = "OK", .tab = 1}),
        button({.name = "Cancel",
                .role = "",
                .box = {1000, 0, 900, 375},
                .caption = "Cancel",
                .tab = 0}),
        timer({.name = "A", .role = "", .interval = 10}),
        timer({.name = "B", .role = "", .interval = 10}),
        timer({.name = "Slow", .role = "", .interval = 500}),
    };
    return f;
}

struct TestForm : Form {
    TestForm()
        : Form(design()),
          ok(get<Button>("Ok")),
          cancel(get<Button>("Cancel")),
          a(get<Timer>("A")),
          b(get<Timer>("B")) {
        ok.onClick = [this] { log.push_back("click Ok"); };
        cancel.onClick = [this] { log.push_back("click Cancel"); };
    }
    static const FormDesign& design() {
        static const FormDesign s = testDesign();
        return s;
    }
    void Form_KeyDown(std::int16_t key, std::int16_t) override {
        log.push_back("down " + std::to_string(key));
    }
    void Form_KeyUp(std::int16_t key, std::int16_t) override {
        log.push_back("up " + std::to_string(key));
    }
    Button& ok;
    Button& cancel;
    Timer& a;
    Timer& b;
    std::vector<std::string> log;
};

struct Grid : ::testing::Test {
    void SetUp() override {
        desktop.invoke([&] { desktop.show(form); });
        form.a.setEnabled(false);
        form.b.setEnabled(false);
        form.a.onTimer = [&] { ++aTicks; };
        form.b.onTimer = [&] { ++bTicks; };
    }
    HeadlessDesktop desktop;
    TestForm form;
    int aTicks = 0;
    int bTicks = 0;
};

TEST(TimerGrid, IntervalsRoundUpToWholePeriods) {
    const struct {
        int ms, periods;
    } cases[] = {{0, 0},  {1, 1},  {10, 1},   {15, 1},   {16, 2},   {20, 2},
                 {31, 2}, {32, 3}, {190, 13}, {500, 32}, {1000, 64}};
    for (const auto& c : cases) EXPECT_EQ(Timer::periodsFor(c.ms), c.periods) << c.ms << " ms";
}

TEST_F(Grid, TicksPerSecondFollowTheRoundedInterval) {
    const struct {
        int ms, ticksPerSecond;
    } cases[] = {{1, 64}, {10, 64}, {20, 32}, {500, 2}, {1000, 1}};
    for (const auto& c : cases) {
        aTicks = 0;
        form.a.setInterval(c.ms);
        form.a.setEnabled(true);
        desktop.advance(64);
        form.a.setEnabled(false);
        EXPECT_EQ(aTicks, c.ticksPerSecond) << c.ms << " ms";
    }
}

TEST_F(Grid, ZeroIntervalNeverTicks) {
    form.a.setInterval(0);
    form.a.setEnabled(true);
    desktop.advance(200);
    EXPECT_EQ(aTicks, 0);
}

TEST_F(Grid, SettingTheIntervalOrEnablingRestartsTheCount) {
    form.a.setInterval(500);
    form.a.setEnabled(true);
    desktop.advance(20);
    form.a.setInterval(500);  // same value: still a restart
    desktop.advance(31);
    EXPECT_EQ(aTicks, 0);
    desktop.advance(1);
    EXPECT_EQ(aTicks, 1);

    form.a.setEnabled(false);
    desktop.advance(10);
    form.a.setEnabled(true);
    desktop.advance(31);
    EXPECT_EQ(aTicks, 1);
    desktop.advance(1);
    EXPECT_EQ(aTicks, 2);
}

TEST_F(Grid, ATimerStoppedEarlierInAPeriodDoesNotTickInIt) {
    form.a.onTimer = [&] {
        ++aTicks;
        form.b.setEnabled(false);
    };
    form.a.setEnabled(true);
    form.b.setEnabled(true);
    desktop.advance(3);  // loading order: A first
    EXPECT_EQ(aTicks, 3);
    EXPECT_EQ(bTicks, 0);

    form.b.setEnabled(true);
    desktop.reverseTimers();  // B first: it ticks once before A stops it
    desktop.advance(3);
    EXPECT_EQ(bTicks, 1);
}

TEST_F(Grid, ATimerStartedInAPeriodWaitsForItsFullInterval) {
    form.a.onTimer = [&] {
        ++aTicks;
        form.b.setEnabled(true);
    };
    form.a.setEnabled(true);
    desktop.reverseTimers();
    desktop.advance(1);
    EXPECT_EQ(bTicks, 0);
    desktop.advance(1);
    EXPECT_EQ(bTicks, 1);
}

TEST_F(Grid, TimersTickDuringAMessageBoxButNeverReenterTheirHandler) {
    int boxes = 0;
    form.a.onTimer = [&] {
        ++aTicks;
        desktop.messageBox("hello", kInformationOk, "");
    };
    desktop.whileMessageBox = [&](const MessageBoxCall&) {
        ++boxes;
        desktop.advance(10);
    };
    form.a.setEnabled(true);
    form.b.setEnabled(true);
    desktop.advance(1);
    EXPECT_EQ(aTicks, 1);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(bTicks, 10);  // once in each period the box was open, not again after it
}

TEST_F(Grid, NoHandlerRunsAfterTheEndAndTheEndingHandlerStops) {
    bool after = false;
    form.a.onTimer = [&] {
        ++aTicks;
        desktop.end();
        after = true;
    };
    form.a.setEnabled(true);
    form.b.setEnabled(true);
    desktop.advance(5);
    EXPECT_TRUE(desktop.ended());
    EXPECT_FALSE(after);
    EXPECT_EQ(aTicks, 1);
    EXPECT_EQ(bTicks, 0);
    desktop.pressKey(form, vk::Left);
    desktop.click(form.ok);
    EXPECT_TRUE(form.log.empty());
    EXPECT_EQ(desktop.quitCount(), 1);
}

TEST_F(Grid, UnloadingTheLastFormEndsTheProgram) {
    struct Changes : Trace {
        void handlerCalled(const Form&, std::string_view, std::string_view, int) override {}
        void elementChanged(Element&, Property) override { ++n; }
        void formChanged(Form&, Property) override { ++n; }
        int n = 0;
    } changes;
    desktop.setTrace(&changes);
    TestForm other;
    desktop.invoke([&] { desktop.show(other); });
    desktop.closeWindow(other);
    EXPECT_FALSE(desktop.ended()) << "a window was left";
    EXPECT_FALSE(other.visible());
    const int before = changes.n;
    other.ok.setVisible(false);  // a window gone is no longer heard
    EXPECT_EQ(changes.n, before);
    desktop.setTrace(nullptr);
    desktop.closeWindow(form);
    EXPECT_TRUE(desktop.ended());
    EXPECT_FALSE(form.loaded());
}

// A window loaded later starts its timers then, not at the start of the program.
TEST_F(Grid, ATimerCountsFromTheLoadOfItsWindow) {
    desktop.advance(100);
    TestForm later;
    int ticks = 0;
    later.get<Timer>("Slow").onTimer = [&] { ++ticks; };
    desktop.invoke([&] { desktop.show(later); });
    desktop.advance(31);
    EXPECT_EQ(ticks, 0);
    desktop.advance(1);
    EXPECT_EQ(ticks, 1);
}

// What the desktop takes it records, and a replay must read back: key codes outside the
// virtual keys and time that goes back are neither taken nor recorded.
TEST_F(Grid, OnlyWhatAReplayCanHoldIsTakenAndRecorded) {
    struct Count : InputSink {
        void input(const Input&) override { ++n; }
        int n = 0;
    } sink;
    desktop.setInputSink(&sink);
    form.ok.setVisible(false);
    form.cancel.setVisible(false);
    desktop.advance(10);
    for (int code : {0, -1, vk::kCount}) {
        desktop.pressKey(form, code);
        desktop.releaseKey(form, code);
    }
    desktop.skipTo(5);
    desktop.skipTo(10);
    EXPECT_EQ(desktop.period(), 10u);
    EXPECT_TRUE(form.log.empty());
    EXPECT_EQ(sink.n, 0);
    desktop.endFromOutside();
    desktop.skipTo(20);
    EXPECT_EQ(desktop.period(), 10u);
    EXPECT_EQ(sink.n, 1);  // the end
    desktop.setInputSink(nullptr);
}

// ---- Focus and keys ----

// The keyboard, a finger and a pad hold the same key: the game hears it go down when the first
// takes it and up when the last lets go, in every order, once each.
TEST_F(Grid, AKeyHeldByManySourcesGoesUpWhenTheLastLetsGo) {
    form.ok.setVisible(false);
    form.cancel.setVisible(false);
    using S = DesktopBase::Source;
    std::vector<S> order{S::Keyboard, S::Touch, S::Pad};
    do {
        form.log.clear();
        for (S s : {S::Pad, S::Keyboard, S::Touch}) desktop.holdKey(form, vk::Shift, s, true);
        for (std::size_t i = 0; i < order.size(); ++i) {
            desktop.holdKey(form, vk::Shift, order[i], false);
            desktop.holdKey(form, vk::Shift, order[i], false);  // a second up is nothing
            EXPECT_EQ(desktop.keyHeld(vk::Shift), i + 1 < order.size());
        }
        EXPECT_EQ(form.log, (std::vector<std::string>{"down 16", "up 16"}));
    } while (std::next_permutation(order.begin(), order.end()));
    // A source's key that another let go of directly (a box took the keyboard) starts afresh.
    desktop.holdKey(form, vk::Left, S::Pad, true);
    desktop.loseKeyboard();
    desktop.holdKey(form, vk::Left, S::Keyboard, true);
    EXPECT_TRUE(desktop.keyHeld(vk::Left));
}

// A pad's buttons and stick as keys: the d-pad and the stick are the arrows, the face buttons and
// the right trigger the lift, Start and A on a focused button press it; what A means is fixed as
// it goes down.
TEST(Pad, ButtonsAndStickAreTheGamesKeys) {
    PadMapper pad;
    using P = PadState;
    const auto keys = [&](P state, bool focused) {
        std::vector<std::pair<int, bool>> c = pad.update(state, focused);
        return c;
    };
    using C = std::vector<std::pair<int, bool>>;
    EXPECT_EQ(keys({.buttons = P::Left | P::Up}, false), (C{{vk::Left, true}, {vk::Up, true}}));
    EXPECT_EQ(keys({.stickX = 80, .stickY = -80}, false),
              (C{{vk::Left, false}, {vk::Right, true}}));
    EXPECT_EQ(keys({.stickX = 30}, false), (C{{vk::Right, false}, {vk::Up, false}}));
    for (unsigned lift : {P::A, P::B, P::X, P::Y, P::RightTrigger}) {
        EXPECT_EQ(keys({.buttons = lift}, false), (C{{vk::Shift, true}})) << lift;
        EXPECT_EQ(keys({}, false), (C{{vk::Shift, false}})) << lift;
    }
    EXPECT_EQ(keys({.buttons = P::A}, true), (C{{vk::Return, true}}));
    EXPECT_EQ(keys({.buttons = P::A}, false), C{});  // still Return, though the focus is gone
    EXPECT_EQ(keys({}, false), (C{{vk::Return, false}}));
    EXPECT_EQ(keys({.buttons = P::Start | P::B}, false),
              (C{{vk::Shift, true}, {vk::Return, true}}));
    EXPECT_EQ(pad.release(), (C{{vk::Shift, false}, {vk::Return, false}}));
}

TEST_F(Grid, FocusStartsOnTheFirstTabStopAndMovesOnWhenItHides) {
    EXPECT_EQ(form.focus(), &form.cancel);
    form.cancel.setVisible(false);
    EXPECT_EQ(form.focus(), &form.ok);
    form.ok.setVisible(false);
    EXPECT_EQ(form.focus(), nullptr);
    form.ok.setVisible(true);
    EXPECT_EQ(form.focus(), &form.ok);
}

TEST_F(Grid, KeysReachTheFormOnlyWhileNoButtonShows) {
    desktop.pressKey(form, vk::Left);
    desktop.releaseKey(form, vk::Left);
    EXPECT_TRUE(form.log.empty());

    form.ok.setVisible(false);
    form.cancel.setVisible(false);
    desktop.pressKey(form, vk::Left);
    desktop.releaseKey(form, vk::Left);
    EXPECT_EQ(form.log, (std::vector<std::string>{"down 37", "up 37"}));
}

TEST_F(Grid, ReturnAndSpacePressTheFocusedButton) {
    desktop.pressKey(form, vk::Return);
    desktop.advance(96);  // a held Return repeats, but presses the button once
    desktop.releaseKey(form, vk::Return);
    form.ok.setFocus();
    desktop.pressKey(form, vk::Space);
    EXPECT_EQ(form.log, (std::vector<std::string>{"click Cancel"}));
    desktop.releaseKey(form, vk::Space);  // a button is pressed when Space comes up
    EXPECT_EQ(form.log, (std::vector<std::string>{"click Cancel", "click Ok"}));
    // Only Space, pressed on that button, presses it when it comes up; another key coming up
    // first lets the button go.
    desktop.pressKey(form, vk::Space);
    desktop.pressKey(form, vk::Left);
    desktop.releaseKey(form, vk::Left);
    desktop.releaseKey(form, vk::Space);
    desktop.releaseKey(form, vk::Space);
    EXPECT_EQ(form.log.size(), 2u);
    // A Space that comes up after its window was hidden presses nothing.
    desktop.pressKey(form, vk::Space);
    desktop.hide(form);
    desktop.releaseKey(form, vk::Space);
    EXPECT_EQ(form.log.size(), 2u);
}

TEST_F(Grid, TheKeyPressedLastRepeatsAfterHalfASecondThenThirtyTimesASecond) {
    form.ok.setVisible(false);
    form.cancel.setVisible(false);
    desktop.pressKey(form, vk::Up);
    form.log.clear();
    desktop.advance(31);  // 484 ms
    EXPECT_TRUE(form.log.empty());
    desktop.advance(1);  // 500 ms
    EXPECT_EQ(form.log, (std::vector<std::string>{"down 38"}));
    form.log.clear();
    desktop.advance(64);  // the next second
    EXPECT_EQ(std::count(form.log.begin(), form.log.end(), "down 38"), 30);
}

// A window that loses the keyboard lets go of every key held in it, in the order they went
// down, as the player would; nothing is let go twice.
TEST_F(Grid, LosingTheKeyboardReleasesEveryHeldKeyInOrder) {
    form.ok.setVisible(false);
    form.cancel.setVisible(false);
    for (int key : {vk::Shift, vk::Left, vk::Up}) desktop.pressKey(form, key);
    desktop.releaseKey(form, vk::Left);
    form.log.clear();
    desktop.loseKeyboard();
    EXPECT_EQ(form.log, (std::vector<std::string>{"up 16", "up 38"}));
    EXPECT_FALSE(desktop.keyHeld(vk::Shift));
    desktop.loseKeyboard();
    desktop.advance(96);
    EXPECT_EQ(form.log.size(), 2u);
}

// Only the key pressed last repeats, as on the classic keyboard: releasing it stops all repeat
// until a new key goes down, and releasing any other key changes nothing.
TEST_F(Grid, OnlyTheKeyPressedLastRepeats) {
    form.ok.setVisible(false);
    form.cancel.setVisible(false);
    enum Op { Press, Release, LoseKeyboard };
    const struct {
        const char* name;
        std::vector<std::pair<Op, int>> steps;
        int repeating;  // the key whose repeats come in the next second, 0 for none
    } cases[] = {
        {"left held, right tapped",
         {{Press, vk::Left}, {Press, vk::Right}, {Release, vk::Right}},
         0},
        {"shift held, then an arrow held", {{Press, vk::Shift}, {Press, vk::Left}}, vk::Left},
        {"shift held, an arrow tapped",
         {{Press, vk::Shift}, {Press, vk::Up}, {Release, vk::Up}},
         0},
        {"two arrows held, the later one released",
         {{Press, vk::Left}, {Press, vk::Up}, {Release, vk::Up}},
         0},
        {"two arrows held, the earlier one released",
         {{Press, vk::Left}, {Press, vk::Up}, {Release, vk::Left}},
         vk::Up},
        {"a key pressed again repeats again",
         {{Press, vk::Left},
          {Press, vk::Right},
          {Release, vk::Right},
          {Release, vk::Left},
          {Press, vk::Left}},
         vk::Left},
        {"the window loses the keyboard", {{Press, vk::Down}, {LoseKeyboard, 0}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [op, key] : c.steps) {
            if (op == Press) desktop.pressKey(form, key);
            if (op == Release) desktop.releaseKey(form, key);
            if (op == LoseKeyboard) desktop.loseKeyboard();
        }
        form.log.clear();
        desktop.advance(96);  // a second and a half after the last key
        std::vector<std::string> downs;
        for (const auto& line : form.log)
            if (line.rfind("down", 0) == 0) downs.push_back(line);
        if (c.repeating == 0) {
            EXPECT_TRUE(downs.empty()) << downs.front();
        } else {
            EXPECT_GE(downs.size(), 30u);
            EXPECT_EQ(std::count(downs.begin(), downs.end(), "down " + std::to_string(c.repeating)),
                      static_cast<long>(downs.size()));
        }
        desktop.loseKeyboard();
    }
}

// A key's down and its up reach the game as a pair, or neither does, whatever holds the focus:
// the recording of each path holds what the desktop took.
TEST(KeyPairs, EveryPathAKeyTakesLeavesAPairOrNothing) {
    using Step = std::function<void(HeadlessDesktop&, Game&)>;
    auto join = [](HeadlessDesktop& d, Game& g) { d.click(g.title.Command1); };
    const struct {
        const char* what;
        Step steps;
        std::vector<std::string> recorded;
    } cases[] = {
        {"Return typed into the name box is the box's own",
         [](HeadlessDesktop& d, Game& g) {
             d.moveFocus(g.title.Text1);
             d.pressKey(g.title, vk::Return);
             d.releaseKey(g.title, vk::Return);
         },
         {"0 focus Form2 Text1"}},
        {"a key down in the name box comes up on a button",
         [](HeadlessDesktop& d, Game& g) {
             d.moveFocus(g.title.Text1);
             d.pressKey(g.title, vk::Left);
             d.moveFocus(g.title.Command1);
             d.releaseKey(g.title, vk::Left);
         },
         {"0 focus Form2 Text1", "0 focus Form2 Command1"}},
        {"Return on the join button comes up in the mission window",
         [](HeadlessDesktop& d, Game& g) {
             d.pressKey(g.title, vk::Return);
             d.releaseKey(g.mission, vk::Return);
         },
         {"0 down Form2 13", "0 up Form1 13"}},
        {"a press of a key already down is the window system's repeat",
         [&](HeadlessDesktop& d, Game& g) {
             join(d, g);
             d.pressKey(g.mission, vk::Left);
             d.pressKey(g.mission, vk::Left);
             d.releaseKey(g.mission, vk::Left);
         },
         {"0 click Form2 Command1", "0 down Form1 37", "0 up Form1 37"}},
        {"an up whose down went elsewhere",
         [&](HeadlessDesktop& d, Game& g) {
             join(d, g);
             d.releaseKey(g.mission, vk::Shift);
         },
         {"0 click Form2 Command1"}},
        {"a box opened with a key held lets go of it",
         [&](HeadlessDesktop& d, Game& g) {
             join(d, g);
             d.pressKey(g.mission, vk::Shift);
             d.whileMessageBox = [&](const MessageBoxCall&) { d.releaseKey(g.mission, vk::Shift); };
             d.click(g.mission.Command2);
         },
         {"0 click Form2 Command1", "0 down Form1 16", "0 click Form1 Command2", "0 lostkeys",
          "0 box", "0 end"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        struct Lines : InputSink {
            void input(const Input& in) override { lines.push_back(replay::encode(in)); }
            std::vector<std::string> lines;
        } sink;
        HeadlessDesktop desktop;
        RecordingSound sound;
        Game game(desktop, sound);
        desktop.invoke([&] { game.start(); });
        desktop.setInputSink(&sink);
        c.steps(desktop, game);
        EXPECT_EQ(sink.lines, c.recorded);
        for (const int key : {vk::Return, vk::Left, vk::Shift}) EXPECT_FALSE(desktop.keyHeld(key));
        desktop.setInputSink(nullptr);
    }
}

}  // namespace
}  // namespace skyvane

namespace skyvane {
namespace {

// The audio guide as it sounds: the tone's pitch follows the height, the ticks come as often as
// their cue says, the beacon stands on the side the pan says, the alarm is louder than the
// ticks it replaces, and nothing sounds out of flight.
TEST(GuideVoice, EachCueSoundsAsItSays) {
    constexpr int kRate = 22050;
    auto draw = [](Guide g, int channels = 1) {
        GuideVoice voice(kRate);
        voice.set(g);
        std::vector<std::int16_t> s(static_cast<std::size_t>(kRate * channels));
        voice.mix(s.data(), kRate, channels);
        return s;
    };
    // Between two blips of the beacon, the tone alone: its pitch from its zero crossings.
    for (int height : {0, 12, 24}) {
        const auto s = draw({.flying = true, .height = height});
        int crossings = 0;
        for (int i = kRate / 10; i < kRate * 7 / 10; ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
        EXPECT_NEAR(crossings / 2 / 0.6, GuideVoice::toneHz(height),
                    GuideVoice::toneHz(height) * 0.03);
    }
    // Ticks: what differs from the same flight without vertical speed comes in bursts.
    for (int every : {8, 16, 32}) {
        const auto ticking = draw({.flying = true, .tickEvery = every});
        const auto still = draw({.flying = true});
        int bursts = 0;
        for (int i = 1, quiet = kRate; i < kRate; ++i, ++quiet)
            if (std::abs(ticking[i] - still[i]) > 1000)
                bursts += std::exchange(quiet, 0) > kRate / 200;
        EXPECT_EQ(bursts, 64 / every) << every;
    }
    // The beacon: left of the tone for a destination on the left, right for one on the right.
    double leftWard = 0, rightWard = 0;
    for (const auto& [pan, sum] :
         {std::pair{-Guide::kSide, &leftWard}, {Guide::kSide, &rightWard}}) {
        const auto s = draw({.flying = true, .pan = pan}, 2);
        for (int i = 0; i < kRate; ++i) *sum += std::abs(s[2 * i]) - std::abs(s[2 * i + 1]);
    }
    EXPECT_GT(leftWard, 0);
    EXPECT_LT(rightWard, 0);
    auto loudness = [](const std::vector<std::int16_t>& s) {
        double e = 0;
        for (auto v : s) e += double(v) * v;
        return e;
    };
    EXPECT_GT(loudness(draw({.flying = true, .tickEvery = 4, .warning = true})),
              2 * loudness(draw({.flying = true, .tickEvery = 4})));
    const auto grounded = draw({.flying = false, .height = 10, .tickEvery = 4, .inZone = true});
    EXPECT_EQ(loudness(grounded), 0);
}

}  // namespace
}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Whole games on the headless desktop: a scripted pilot types a name, joins and flies with
// real key events and timer ticks, under several orders of the timers within a period.

#include <string>

#include "layouts/colours.h"
#include "replay/run.h"
#include "tests/behind_box.h"
#include "tests/game_fixture.h"
#include "tests/pilot.h"

namespace skyvane {
namespace {

using testing::GameFixture;
using testing::Pilot;

constexpr int kTargetX = 600, kTargetZ = 1150;
constexpr int kBaseX = 3590, kBaseZ = 2360;

class Playthrough : public GameFixture, public ::testing::WithParamInterface<std::uint32_t> {
  protected:
    void SetUp() override {
        GameFixture::SetUp();
        if (GetParam() != 0) desktop.shuffleTimers(GetParam());
    }
    // Flies until the leg ends; false if it takes longer than a minute.
    bool fly(int x, int z, bool land, int hoverY = 1800) {
        for (int period = 0; period < 64 * 60; ++period) {
            if (!m.Timer1.enabled()) {
                pilot.letGo();
                return true;
            }
            pilot.steer(x, z, land, hoverY);
        }
        return false;
    }
    Pilot pilot{desktop, m};
};

TEST_P(Playthrough, FiveRoundTripsWinTheMission) {
    desktop.advance(100);  // the prologue scrolls a while
    join("Kestrel");
    ASSERT_TRUE(m.visible());
    EXPECT_EQ(m.caption(), "ＳＶ  パイロット　Kestrel");
    for (int trip = 1; trip <= 5; ++trip) {
        SCOPED_TRACE("trip " + std::to_string(trip));
        press(vk::Return);  // GO has the focus
        release(vk::Return);
        ASSERT_TRUE(fly(kTargetX, kTargetZ, true));
        ASSERT_TRUE(m.Command3.visible()) << m.Label9.caption();
        EXPECT_EQ(m.Label23.caption(), "2");
        desktop.advance(10);
        press(vk::Return);  // BACK has the focus
        release(vk::Return);
        ASSERT_TRUE(fly(kBaseX, kBaseZ, true));
        ASSERT_EQ(m.Rescued, 2 * trip) << m.Label9.caption();
        EXPECT_EQ(m.Label18.caption(), std::to_string(2 * trip));
    }
    EXPECT_FALSE(m.visible());
    ASSERT_TRUE(game.closing.visible());
    EXPECT_EQ(game.closing.Label4.caption(), "Kestrel");
    EXPECT_EQ(desktop.messageBoxes().size(), 1u);
    EXPECT_FALSE(sound.playing().has_value());
    desktop.pressKey(game.closing, vk::Return);  // its only button has the focus
    EXPECT_TRUE(desktop.ended());
}

TEST_P(Playthrough, LettingGoAfterTakeOffCrashes) {
    join("");
    EXPECT_EQ(game.title.Text1.text(), "名無し");
    go();
    desktop.advance(640);  // ten seconds
    EXPECT_EQ(m.Label9.caption(), "爆発炎上中！！　昇降速度が速すぎました！");
    EXPECT_EQ(m.focus(), &m.Command2);
    EXPECT_EQ(sound.playing(), std::optional<std::string>(mission_sounds::kExplosion));
}

TEST_P(Playthrough, ComingDownGentlyOutsideTheZonesSinks) {
    join("Gull");
    go();
    ASSERT_TRUE(fly(2000, 500, true));
    EXPECT_EQ(m.Label9.caption(), "失敗！！海に沈みました！");
    EXPECT_FALSE(m.Image11.picture().isNull());
    EXPECT_FALSE(sound.playing().has_value());
}

TEST_P(Playthrough, RunningDryOverTheTargetBringsItDown) {
    join("Moth");
    go();
    // Hover high over the target, never landing, until the tank is empty.
    ASSERT_TRUE(fly(kTargetX, kTargetZ, false, 1200));
    EXPECT_EQ(m.EngineOn, 0);
    EXPECT_EQ(m.Fuel, -1);
    EXPECT_EQ(m.Label16.caption(), "-2");
    EXPECT_TRUE(m.Command2.visible());
    EXPECT_EQ(m.Label8.caption(), "-1");
}

INSTANTIATE_TEST_SUITE_P(TimerOrders, Playthrough, ::testing::Values(0u, 7u, 1234u));

// ---- The title screen and the ways out ----

class Screens : public GameFixture {};

// A pilot who cannot see the views flies the whole mission by ear, on the guide's cues and what
// a screen reader says. (The test reads the state, to judge.)
TEST(ByEar, ABlindPilotFliesTheWholeMissionOnTheGuideAndTheReader) {
    HeadlessDesktop desktop;
    struct Ears : Sound {
        void play(const char*, unsigned) override {}
        void guide(const Guide& g) override { pilot->hear(g); }
        testing::EarPilot* pilot = nullptr;
    } ears;
    skyvane::Run run(desktop, ears, {.guide = true});
    auto& m = run.game().mission;
    testing::EarPilot pilot(desktop, m);
    ears.pilot = &pilot;
    desktop.setListened(true);
    run.start();
    desktop.pressKey(run.game().title, vk::Return);  // join: the button has the focus
    desktop.releaseKey(run.game().title, vk::Return);
    for (int period = 0; period < 64 * 600 && !run.game().closing.visible(); ++period) {
        desktop.runPeriod();
        for (const auto& n : desktop.takeNews(desktop.period()))
            if (n.kind == Notice::Kind::Said) pilot.hear(n.words);
        pilot.decide();
    }
    EXPECT_TRUE(run.game().closing.visible()) << (pilot.said().empty() ? "" : pilot.said().back());
    EXPECT_EQ(m.Rescued, 10);
}

TEST_F(Screens, TitleBlinksAndScrollsThePrologue) {
    auto& t = game.title;
    EXPECT_EQ(t.Label2.foreColour(), colours::kNavy);
    EXPECT_EQ(t.Image1.top(), 1800);
    desktop.advance(1);
    EXPECT_EQ(t.Image1.top(), 995);
    desktop.advance(31);
    EXPECT_EQ(t.Label2.foreColour(), colours::kBlue);
    desktop.advance(32);
    EXPECT_EQ(t.Label2.foreColour(), colours::kNavy);
    desktop.advance(1399 - 63);
    EXPECT_EQ(t.ScrollTop, -6000);
    desktop.advance(1);
    EXPECT_EQ(t.ScrollTop, 1400);
    EXPECT_EQ(t.Image1.top(), -6000);
    desktop.advance(1);
    EXPECT_EQ(t.Image1.top(), 1395);
}

TEST_F(Screens, GoingHomeSaysGoodbyeWhileTheTitleKeepsBlinkingThenEnds) {
    auto& t = game.title;
    int blinks = 0;
    desktop.whileMessageBox = [&](const MessageBoxCall&) {
        const auto before = t.Label2.foreColour();
        desktop.advance(32);
        blinks += t.Label2.foreColour() != before;
    };
    desktop.click(t.Command2);
    ASSERT_EQ(desktop.messageBoxes().size(), 1u);
    EXPECT_EQ(desktop.messageBoxes()[0].text,
              "残念ながら君の協力が無かったため、被害は甚大な\r"
              "ものとなりました。次回のミッションに期待します。");
    EXPECT_EQ(desktop.messageBoxes()[0].style, 64);
    EXPECT_EQ(desktop.messageBoxes()[0].title, "");
    EXPECT_EQ(blinks, 1);
    EXPECT_TRUE(desktop.ended());
    EXPECT_TRUE(sound.calls().empty());
}

TEST_F(Screens, TheNameIsReadFromTheNameBoxAsTyped) {
    const struct {
        const char* typed;
        const char* shown;
    } cases[] = {{"", "名無し"},
                 {"   ", "   "},
                 {"「鳥」", "「鳥」"},
                 {"<b>x</b>&x[*]\r", "<b>x</b>&x[*]\r"}};
    for (const auto& c : cases) {
        HeadlessDesktop d;
        RecordingSound s;
        Game g(d, s);
        d.invoke([&] { g.start(); });
        g.title.Text1.setText(c.typed);
        d.click(g.title.Command1);
        EXPECT_EQ(g.mission.caption(), std::string("ＳＶ  パイロット　") + c.shown);
        d.click(g.mission.Command2);
        ASSERT_EQ(d.messageBoxes().size(), 1u);
        EXPECT_EQ(
            d.messageBoxes()[0].text,
            std::string("残念ながら今回のミッションを遂行出来なかったことは、誠に遺憾であります\r"
                        "しかしながら、「") +
                c.shown + "」の勇気には心より敬意を表します");
        EXPECT_TRUE(d.ended());
        EXPECT_EQ(s.calls(), (std::vector<SoundCall>{{std::nullopt, 0}, {std::nullopt, 0}}));
    }
}

TEST_F(Screens, ClosingTheMissionWindowInFlightStopsTheRotorAndEnds) {
    join("Wren");
    go();
    desktop.advance(20);
    ASSERT_TRUE(sound.looping());
    desktop.closeWindow(m);
    EXPECT_TRUE(desktop.messageBoxes().empty());
    EXPECT_FALSE(sound.playing().has_value());
    EXPECT_TRUE(desktop.ended());
    const auto y = m.HeliY;
    desktop.advance(20);
    EXPECT_EQ(m.HeliY, y);
}

TEST_F(Screens, ClosingTheTitleWindowEndsWithoutAWord) {
    desktop.closeWindow(game.title);
    EXPECT_TRUE(desktop.ended());
    EXPECT_TRUE(desktop.messageBoxes().empty());
}

// While a box waits for the player, every click, key and close box aimed at the windows behind
// it is refused, as on the real desktop; the timers go on.
TEST(MessageBoxes, InputBehindEveryBoxIsRefused) {
    using namespace testing;
    for (const auto& box : kBoxes) {
        for (const auto& input : kInputsBehindABox) {
            SCOPED_TRACE(std::string(box.name) + ": " + describe(input));
            HeadlessDesktop d;
            RecordingSound s;
            Game g(d, s);
            PlayerHandlers handlers;
            d.setTrace(&handlers);
            d.invoke([&] { g.start(); });
            bool opened = false;
            d.whileMessageBox = [&](const MessageBoxCall&) {
                opened = true;
                const int before = handlers.count;
                const auto scroll = g.title.ScrollTop;
                Form* form = formNamed(g, input.form);
                const Focusable* focus = form->focus();
                if (input.kind == BehindBox::Click) {
                    d.click(form->get<Button>(input.element));
                } else if (input.kind == BehindBox::Key) {
                    d.pressKey(*form, input.key);
                    d.releaseKey(*form, input.key);
                } else if (input.kind == BehindBox::Focus) {
                    EXPECT_FALSE(d.moveFocus(form->get<Focusable>(input.element)));
                } else {
                    d.closeWindow(*form);
                }
                EXPECT_EQ(handlers.count, before);
                EXPECT_EQ(form->focus(), focus);
                EXPECT_FALSE(d.ended());
                d.advance(3);  // the title's timers still tick behind the box
                EXPECT_NE(g.title.ScrollTop, scroll);
            };
            openBox(d, g, box.box);
            EXPECT_TRUE(opened);
        }
    }
}

TEST(Handlers, AFailingHandlerIsAFaultOnTheHeadlessDesktop) {
    HeadlessDesktop d;
    RecordingSound s;
    Game g(d, s);
    d.invoke([&] { g.start(); });
    g.title.Timer1.onTimer = [] { throw std::runtime_error("broken tick"); };
    EXPECT_THROW(d.advance(64), std::runtime_error);
}

}  // namespace
}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Scenarios of the mission screen on the headless desktop: setup, flight, keys, landings,
// crashes, fuel and the rescued count.

#include <string>
#include <vector>

#include "layouts/colours.h"
#include "mission/flight_rules.h"
#include "tests/game_fixture.h"

namespace skyvane {
namespace {

using testing::GameFixture;
using namespace mission_text;

using namespace colours;

class Mission : public GameFixture {
  protected:
    void SetUp() override {
        GameFixture::SetUp();
        join("Ace");
    }
    // Runs one motion tick with the given axis state and returns the horizontal displacement.
    int stepX() {
        const int before = m.HeliX;
        m.Timer1_Timer();
        return m.HeliX - before;
    }
    std::vector<SoundCall> soundsSince(size_t start) const {
        return {sound.calls().begin() + static_cast<long>(start), sound.calls().end()};
    }
};

const SoundCall kStop{std::nullopt, 0};
const SoundCall kRotor{std::string(mission_sounds::kRotor), kSoundAsync | kSoundLoop};
const SoundCall kBoom{std::string(mission_sounds::kExplosion), kSoundAsync};

// ---- Setup ----

TEST_F(Mission, LoadShowsTheBriefingWithThePilotsNameInTheCaption) {
    EXPECT_EQ(m.caption(), "ＳＶ  パイロット　Ace");
    EXPECT_EQ(m.Label9.caption(),
              "昇降速度20以内で、基地と目的地を往復し取り残された１０名を救出せよ！\r"
              "なお、１回に救助できる人数は２名である");
    EXPECT_EQ(m.Label9.foreColour(), kYellow);
    EXPECT_EQ(m.Fuel, 100);
    EXPECT_EQ(m.PerTrip, 2);
    EXPECT_EQ(m.Rescued, 0);
    EXPECT_EQ(m.EngineOn, -1);
    EXPECT_TRUE(m.Command1.visible());
    EXPECT_TRUE(m.Command2.visible());
    EXPECT_FALSE(m.Command3.visible());
    EXPECT_EQ(m.focus(), &m.Command1);
    for (Image* i : {&m.Image4, &m.Image5, &m.Image6, &m.Image7, &m.Image8, &m.Image9})
        EXPECT_FALSE(i->visible()) << i->name();
    EXPECT_TRUE(m.Image2.visible() && m.Image3.visible()) << "the helicopter in both views";
    // The key lamps stay as laid out until the first flight.
    EXPECT_TRUE(m.Image20.visible());
    for (Timer* t : {&m.Timer1, &m.Timer3, &m.Timer5, &m.Timer6}) EXPECT_FALSE(t->enabled());
    EXPECT_TRUE(m.Timer7.enabled());
    EXPECT_EQ(m.Timer7.interval(), 500);
    EXPECT_FALSE(game.title.visible());
    EXPECT_TRUE(game.title.loaded());

    desktop.advance(200);  // the warning tick runs, but 100 units are no warning
    EXPECT_EQ(m.Label9.caption().substr(0, 12), "昇降速度");
    EXPECT_EQ(m.Label16.caption(), "0");
    EXPECT_TRUE(sound.calls().empty());
}

TEST_F(Mission, GoAndBackStartALegFromTheBaseOrFromWhereTheHelicopterStands) {
    press(vk::Left);  // reaches GO, not the form: a button has the focus
    go();
    EXPECT_EQ(m.focus(), nullptr);
    const struct {
        const char* name;
        int value, expected;
    } afterGo[] = {{"Outbound", m.Outbound, -1}, {"HeliX", m.HeliX, 3500}, {"HeliZ", m.HeliZ, 2350},
                   {"HeliY", m.HeliY, 2350},     {"DirX", m.DirX, 1},      {"DirZ", m.DirZ, -1},
                   {"DirY", m.DirY, -1},         {"SpeedX", m.SpeedX, 10}, {"SpeedZ", m.SpeedZ, 10},
                   {"SpeedY", m.SpeedY, 60},     {"KeyX", m.KeyX, 0},      {"Fuel", m.Fuel, 1000},
                   {"EngineOn", m.EngineOn, -1}};
    for (const auto& c : afterGo) EXPECT_EQ(c.value, c.expected) << c.name;
    EXPECT_EQ(m.Label9.caption(), kGoOrder);
    EXPECT_EQ(m.Timer6.interval(), 20);
    for (Timer* t : {&m.Timer1, &m.Timer3, &m.Timer5, &m.Timer6, &m.Timer7})
        EXPECT_TRUE(t->enabled()) << t->name();
    for (Button* b : {&m.Command1, &m.Command2, &m.Command3}) EXPECT_FALSE(b->visible());
    EXPECT_FALSE(m.Image20.visible());
    EXPECT_EQ(sound.calls(), std::vector<SoundCall>{kRotor});

    // Land at the target, then BACK keeps the spot and the fuel.
    m.Fuel = 640;
    judge(-1, 600, 1150, 2360, 12);
    back();
    EXPECT_EQ(m.Outbound, 0);
    EXPECT_EQ(m.HeliX, 600);
    EXPECT_EQ(m.HeliZ, 1150);
    EXPECT_EQ(m.HeliY, 2350);
    EXPECT_EQ(m.Fuel, 640);
    EXPECT_EQ(m.SpeedY, 60);
    EXPECT_EQ(m.Timer6.interval(), 10);
    EXPECT_EQ(m.Label9.caption(), kBackOrder);
}

// Every number the flight is tuned by, where it lives (flight_rules.h), against the value it was
// tuned to: the take-off above and the flight below use them, so a changed one shows here first.
TEST(FlightRules, EveryNumberIsTheOneTheFlightWasTunedTo) {
    const struct {
        const char* name;
        int value, tuned;
    } rules[] = {{"ground line", flight::kGroundLine, 2350},
                 {"sea line", flight::kSeaLine, 2600},
                 {"fastest safe touch-down", flight::kMaxLandingSpeed, 20},
                 {"altitude zero", flight::kAltitudeZero, 2580},
                 {"take-off vertical speed", flight::kTakeOffSpeedY, 60},
                 {"take-off speed across", flight::kTakeOffSpeedX, 10},
                 {"take-off speed up the map", flight::kTakeOffSpeedZ, 10},
                 {"flight tick, ms", flight::kFlightTick, 10},
                 {"fuel tick out, ms", flight::kFuelTickOut, 20},
                 {"fuel tick back, ms", flight::kFuelTickBack, 10},
                 {"warning blink, ms", flight::kBlinkTick, 500},
                 {"full tank", flight::kFullTank, 1000},
                 {"fuel a tick", flight::kFuelStep, 1},
                 {"low fuel", flight::kLowFuel, 100},
                 {"people a trip", flight::kPeoplePerTrip, 2},
                 {"people to rescue", flight::kPeopleToRescue, 10},
                 {"base x", flight::kBaseX, 3500},
                 {"base z", flight::kBaseZ, 2350}};
    for (const auto& r : rules) EXPECT_EQ(r.value, r.tuned) << r.name;
}

// ---- Flight ----

TEST_F(Mission, HorizontalThrustAndBrakingMoveAsTheGameWasTuned) {
    go();
    const struct {
        const char* name;
        std::int16_t dir, speed, key;
        std::vector<int> moves;
        std::int16_t endSpeed;
    } cases[] = {
        {"idle after GO", 1, 10, 0, {10, 7, 4, 1, -2, -2}, -2},
        {"idle at exactly 0 creeps back", 1, 0, 0, {0, -3, -3}, -3},
        {"right from a creep", 1, -2, 1, {-2, -1, 0, 1, 2, 3}, 4},
        {"left from a creep", 1, -2, -1, {-2, 1, 0, -1, -2, -3}, 4},
        {"left while moving right at 50", 1, 50, -1, {50, -51, -52}, 53},
        {"capped at 101", 1, 99, 1, {99, 100, 101, 101, 101}, 101},
        {"left at 101 keeps going right", 1, 101, -1, {101, 101, 101}, 101},
    };
    for (const auto& c : cases) {
        m.HeliX = 1000;
        m.DirX = c.dir;
        m.SpeedX = c.speed;
        m.KeyX = c.key;
        std::vector<int> moves;
        for (size_t i = 0; i < c.moves.size(); ++i) moves.push_back(stepX());
        EXPECT_EQ(moves, c.moves) << c.name;
        EXPECT_EQ(m.SpeedX, c.endSpeed) << c.name;
    }
}

TEST_F(Mission, DepthAxisFollowsTheSameRulesUpAndDownTheMap) {
    go();
    std::vector<int> zs;
    for (int i = 0; i < 5; ++i) {
        m.Timer1_Timer();
        zs.push_back(m.HeliZ);
    }
    EXPECT_EQ(zs, (std::vector<int>{2340, 2333, 2329, 2328, 2330}));
    EXPECT_EQ(m.Image3.top(), 2330);
    // Both sprites follow: the map's at (HeliX, HeliZ), the side view's at the height.
    EXPECT_EQ(m.Image3.left(), m.HeliX);
    EXPECT_EQ(m.Image2.top(), m.HeliY);
}

TEST_F(Mission, VerticalSpeedChangesByOneAndReversesOnlyAtZero) {
    go();
    const struct {
        const char* name;
        std::int16_t dir, speed, key, endDir, endSpeed;
    } cases[] = {
        {"gravity slows a climb", -1, 60, 0, -1, 59},
        {"the top of a climb", -1, 1, 0, 1, 0},
        {"falling from rest", 1, 0, 0, 1, 1},
        {"gravity speeds a fall", 1, 20, 0, 1, 21},
        {"lift speeds a climb", -1, 5, 1, -1, 6},
        {"lift slows a fall", 1, 5, 1, 1, 4},
        {"lift stops a fall and turns", 1, 1, 1, -1, 0},
        {"shift released just after the turn", -1, 0, 0, -1, -1},
        {"and the fall gets faster", -1, -5, 0, -1, -6},
        {"shift pressed at the top", 1, 0, 1, 1, -1},
        {"back up to zero turns again", 1, -1, 0, -1, 0},
    };
    for (const auto& c : cases) {
        m.DirY = c.dir;
        m.SpeedY = c.speed;
        m.KeyY = c.key;
        m.Timer3_Timer();
        EXPECT_EQ(m.DirY, c.endDir) << c.name;
        EXPECT_EQ(m.SpeedY, c.endSpeed) << c.name;
    }
}

TEST_F(Mission, AltitudeReadout) {
    go();
    const struct {
        std::int16_t heliY;
        const char* text;
    } cases[] = {{2350, "230"}, {2580, "0"}, {2600, "-20"}, {-30000, "32580"}, {-32768, "35348"}};
    for (const auto& c : cases) {
        m.HeliY = c.heliY;
        m.Timer3_Timer();
        EXPECT_EQ(m.Label8.caption(), c.text) << c.heliY;
    }
}

TEST_F(Mission, OffMapPointersShowJustBeyondEachEdge) {
    go();
    const struct {
        std::int16_t x, z;
        bool up, down, right, left;
    } cases[] = {
        {4200, 1000, false, false, false, false}, {4201, 1000, false, false, true, false},
        {-100, 1000, false, false, false, false}, {-101, 1000, false, false, false, true},
        {1000, -100, false, false, false, false}, {1000, -101, true, false, false, false},
        {1000, 2800, false, false, false, false}, {1000, 2801, false, true, false, false},
    };
    for (const auto& c : cases) {
        m.HeliX = c.x;
        m.HeliZ = c.z;
        m.SpeedX = m.SpeedZ = 0;
        m.KeyX = m.KeyZ = 0;
        m.Timer1_Timer();
        EXPECT_EQ(m.Image4.visible(), c.up) << c.x << "," << c.z;
        EXPECT_EQ(m.Image5.visible(), c.down) << c.x << "," << c.z;
        EXPECT_EQ(m.Image6.visible(), c.right) << c.x << "," << c.z;
        EXPECT_EQ(m.Image7.visible(), c.left) << c.x << "," << c.z;
    }
}

TEST_F(Mission, FlyingOffTheMapOrClimbingForeverStopsAtTheEndsOfTheRange) {
    go();
    m.HeliX = 32700;
    m.SpeedX = 101;
    m.KeyX = 1;
    m.HeliY = -32700;
    m.SpeedY = 32767;
    m.DirY = -1;
    m.KeyY = 1;
    for (int i = 0; i < 10; ++i) {
        m.Timer1_Timer();
        m.Timer3_Timer();
        m.Timer5_Timer();
    }
    EXPECT_EQ(m.HeliX, 32767);
    EXPECT_EQ(m.HeliY, -32768);
    EXPECT_EQ(m.SpeedY, 32767);
    EXPECT_EQ(m.Label8.caption(), "35348");
    EXPECT_EQ(m.Label5.caption(), "32767");
    EXPECT_TRUE(m.Timer1.enabled());  // still flying
}

// ---- Keys ----

TEST_F(Mission, ArrowKeysSetOneVariablePerAxisAndLightTheirLamps) {
    go();
    const struct {
        int key;
        std::int16_t keyX, keyZ;
        const char *label2, *label3;
        Image *map, *side, *lamp;
    } cases[] = {
        {vk::Right, 1, 0, "1", "0", &m.Image17, &m.Image13, &m.Image23},
        {vk::Left, -1, 0, "-1", "0", &m.Image16, &m.Image12, &m.Image22},
        {vk::Down, 0, 1, "0", "1", &m.Image18, &m.Image14, &m.Image21},
        {vk::Up, 0, -1, "0", "-1", &m.Image19, &m.Image15, &m.Image20},
    };
    for (const auto& c : cases) {
        press(c.key);
        EXPECT_EQ(m.KeyX, c.keyX) << c.key;
        EXPECT_EQ(m.KeyZ, c.keyZ) << c.key;
        EXPECT_EQ(m.Label2.caption(), c.label2) << c.key;
        EXPECT_EQ(m.Label3.caption(), c.label3) << c.key;
        EXPECT_EQ(m.Image3.picture(), c.map->picture()) << c.key;
        EXPECT_EQ(m.Image2.picture(), c.side->picture()) << c.key;
        EXPECT_TRUE(c.lamp->visible()) << c.key;
        release(c.key);
        EXPECT_EQ(m.KeyX, 0);
        EXPECT_EQ(m.KeyZ, 0);
        EXPECT_FALSE(c.lamp->visible()) << c.key;
        // The sprites keep the last arrow's pictures.
        EXPECT_EQ(m.Image3.picture(), c.map->picture()) << c.key;
    }
}

TEST_F(Mission, ReleasingEitherArrowOfAnAxisClearsIt) {
    go();
    press(vk::Left);
    press(vk::Right);
    release(vk::Right);
    EXPECT_EQ(m.KeyX, 0);
    EXPECT_TRUE(m.Image22.visible());
    EXPECT_FALSE(m.Image23.visible());
    // Left is still down, but only the key pressed last repeats: the helicopter brakes.
    desktop.advance(64);
    EXPECT_EQ(m.KeyX, 0);
    EXPECT_TRUE(m.Image22.visible());
    release(vk::Left);
    press(vk::Left);  // a new key-down of Left counts again
    EXPECT_EQ(m.KeyX, -1);
}

// Shift held, an arrow tapped: Shift no longer repeats, so on a dry tank the lift stays on
// until the next key-down, as the game has always done.
TEST_F(Mission, ATappedArrowEndsShiftsRepeatSoADryTankKeepsItsLift) {
    go();
    press(vk::Shift);
    press(vk::Up);
    release(vk::Up);
    m.EngineOn = 0;
    desktop.advance(64);
    EXPECT_EQ(m.KeyY, 1);
    press(vk::Down);
    EXPECT_EQ(m.KeyY, 0);
}

TEST_F(Mission, ShiftGivesLiftOnlyWhileTheEngineRuns) {
    go();
    press(vk::Shift);
    EXPECT_EQ(m.KeyY, 1);
    EXPECT_EQ(m.Label1.caption(), "1");
    EXPECT_EQ(m.Shape8.fillColour(), kRed);
    release(vk::Shift);
    EXPECT_EQ(m.KeyY, 0);
    EXPECT_EQ(m.Shape8.fillColour(), kDarkRed);

    press(vk::Space);  // other keys change nothing while the engine runs
    release(vk::Space);
    EXPECT_EQ(m.KeyY, 0);
    EXPECT_EQ(m.KeyX, 0);

    m.EngineOn = 0;
    press(vk::Shift);
    EXPECT_EQ(m.KeyY, 0);
    EXPECT_EQ(m.Label1.caption(), "0");
    EXPECT_EQ(m.Shape8.fillColour(), kDarkRed);
    press(vk::Left);  // arrows still steer a dry helicopter
    EXPECT_EQ(m.KeyX, -1);
}

// A held Shift loses its lift at the next repeat after the tank runs dry, whatever order the
// timers tick in within a period.
TEST_F(Mission, HeldShiftLosesLiftAtTheNextRepeatWhenTheTankRunsDry) {
    for (std::uint32_t seed : {1u, 2u, 3u, 4u}) {
        desktop.shuffleTimers(seed);
        go();
        m.Fuel = 3;
        press(vk::Shift);
        desktop.advance(6);  // three fuel ticks: 2, 1, 0
        EXPECT_EQ(m.EngineOn, -1) << seed;
        desktop.advance(2);
        EXPECT_EQ(m.EngineOn, 0) << seed;
        EXPECT_EQ(m.KeyY, 1) << seed;  // no key-down yet since the engine stopped
        EXPECT_EQ(m.Shape8.fillColour(), kRed) << seed;
        desktop.advance(32);  // the first repeat of the held Shift
        EXPECT_EQ(m.KeyY, 0) << seed;
        EXPECT_EQ(m.Shape8.fillColour(), kRed) << seed;  // red until Shift comes up
        release(vk::Shift);
        EXPECT_EQ(m.Shape8.fillColour(), kDarkRed) << seed;
        judge(-1, 2000, 2000, 2360, 30);  // end this flight with a crash
        m.Command1.setVisible(true);
    }
}

// A player who listens asks with keys of their own: how high, how fast and which way (the
// gauge shows no sign), how much fuel, how many are safe. The answer is the panel's words; the
// key never reaches the game, so on a dry tank it takes no lift away, and no run records it.
TEST_F(Mission, QuestionsAreAnsweredFromThePanelAndAreNoKeysOfTheGame) {
    go();
    desktop.advance(20);
    m.EngineOn = 0;
    m.KeyY = 1;
    desktop.setReaderKeys(true);
    const struct {
        std::int16_t dirY, speedY;
        const char* way;
    } ways[] = {{-1, 7, " 上昇中"}, {1, 7, " 下降中"}, {1, 0, ""}, {-1, -3, " 下降中"}};
    const auto ask = [&](int key) {
        desktop.apply({.kind = Input::Kind::KeyDown, .form = "Form1", .code = key}, game.forms(),
                      DesktopBase::From::Player);
    };
    for (const auto& w : ways) {
        m.DirY = w.dirY;
        m.SpeedY = w.speedY;
        ask('V');
        release('V');
        EXPECT_EQ(desktop.said().back(), "昇降速度 " + m.Label5.caption() + w.way);
    }
    const struct {
        int key;
        std::string words;
    } asked[] = {{'A', "高度 " + m.Label8.caption()},
                 {'F', "燃料 " + m.Label16.caption()},
                 {'R', "救助人数 0 搭乗 0"}};
    for (const auto& a : asked) {
        ask(a.key);
        EXPECT_EQ(desktop.said().back(), a.words);
    }
    EXPECT_EQ(m.KeyY, 1);
    // A replay's A is its run's: it reaches the game, as does the player's once nobody listens.
    desktop.apply({.kind = Input::Kind::KeyDown, .form = "Form1", .code = 'A'}, game.forms());
    EXPECT_EQ(m.KeyY, 0);
    m.KeyY = 1;
    desktop.setReaderKeys(false);
    ask('F');
    EXPECT_EQ(m.KeyY, 0);
    EXPECT_EQ(desktop.said().size(), 7u);
}

// ---- Landing, crash and rescue ----

enum class Outcome { None, PickUp, Delivery, Crash, Sink, CrashThenSink };

// The lines and zones are the game's own numbers, and the landing rules judge by them.
TEST(FlightRules, TheLinesAndZonesAreTheGamesOwn) {
    EXPECT_EQ(flight::kGroundLine, 2350);
    EXPECT_EQ(flight::kSeaLine, 2600);
    const struct {
        flight::Zone zone;
        int left, right, top, bottom;
    } zones[] = {{flight::kTargetZone, 480, 720, 1000, 1300},
                 {flight::kBaseZone, 3480, 3700, 2200, 2520}};
    for (const auto& z : zones) {
        EXPECT_EQ(z.zone.left, z.left);
        EXPECT_EQ(z.zone.right, z.right);
        EXPECT_EQ(z.zone.top, z.top);
        EXPECT_EQ(z.zone.bottom, z.bottom);
    }
}

// The orders quote the rules in the game's own words: a rule changed in one place alone leaves
// the texts saying what the game no longer does.
TEST(FlightRules, TheOrdersQuoteTheRulesAsTheyAre) {
    auto fullWidth = [](int n) {
        std::string s;
        for (const char c : std::to_string(n))
            s += std::string("０１２３４５６７８９").substr(std::size_t(c - '0') * 3, 3);
        return s;
    };
    const std::string limit = "昇降速度" + std::to_string(flight::kMaxLandingSpeed) + "以内";
    for (const char* order : {kBriefing, kGoOrder, kBackOrder})
        EXPECT_NE(std::string(order).find(limit), std::string::npos) << order;
    const std::string briefing = kBriefing;
    EXPECT_NE(briefing.find(fullWidth(flight::kPeopleToRescue) + "名を救出"), std::string::npos);
    EXPECT_NE(briefing.find(fullWidth(flight::kPeoplePerTrip) + "名である"), std::string::npos);
}

TEST_F(Mission, TouchDownsAreJudgedAtTheLinesAndZoneEdges) {
    constexpr auto T = flight::kTargetZone;
    constexpr auto B = flight::kBaseZone;
    constexpr auto G = flight::kGroundLine;
    constexpr auto S = flight::kSeaLine;
    constexpr auto L = static_cast<std::int16_t>(flight::kMaxLandingSpeed);
    const struct {
        const char* name;
        std::int16_t outbound, x, z, y, speed;
        Outcome outcome;
    } cases[] = {
        {"target at the limit", -1, 600, 1150, G + 1, L, Outcome::PickUp},
        {"target just over it", -1, 600, 1150, G + 1, L + 1, Outcome::Crash},
        {"target at minus the limit", -1, 600, 1150, G + 1, -L, Outcome::PickUp},
        {"climbing just over it: the gauge reads it", -1, 600, 1150, G + 1, -L - 1, Outcome::Crash},
        {"on the landing line", -1, 600, 1150, G, 60, Outcome::None},
        {"target, left edge inside", -1, T.left + 1, 1150, 2400, 5, Outcome::PickUp},
        {"target, left edge", -1, T.left, 1150, 2400, 5, Outcome::None},
        {"target, right edge inside", -1, T.right - 1, 1150, 2400, 5, Outcome::PickUp},
        {"target, right edge", -1, T.right, 1150, 2400, 5, Outcome::None},
        {"target, top edge inside", -1, 600, T.top + 1, 2400, 5, Outcome::PickUp},
        {"target, top edge", -1, 600, T.top, 2400, 5, Outcome::None},
        {"target, bottom edge inside", -1, 600, T.bottom - 1, 2400, 5, Outcome::PickUp},
        {"target, bottom edge", -1, 600, T.bottom, 2400, 5, Outcome::None},
        {"base while outbound", -1, 3590, 2360, 2400, 5, Outcome::None},
        {"base at the limit", 0, 3590, 2360, G + 1, L, Outcome::Delivery},
        {"base just over it", 0, 3590, 2360, G + 1, L + 1, Outcome::Crash},
        {"base, left edge inside", 0, B.left + 1, 2360, 2400, 5, Outcome::Delivery},
        {"base, left edge", 0, B.left, 2360, 2400, 5, Outcome::None},
        {"base, right edge inside", 0, B.right - 1, 2360, 2400, 5, Outcome::Delivery},
        {"base, right edge", 0, B.right, 2360, 2400, 5, Outcome::None},
        {"base, top edge inside", 0, 3590, B.top + 1, 2400, 5, Outcome::Delivery},
        {"base, top edge", 0, 3590, B.top, 2400, 5, Outcome::None},
        {"base, bottom edge inside", 0, 3590, B.bottom - 1, 2400, 5, Outcome::Delivery},
        {"base, bottom edge", 0, 3590, B.bottom, 2400, 5, Outcome::None},
        {"target while returning", 0, 600, 1150, 2400, 5, Outcome::None},
        {"a fast climb below the line", -1, 2000, 2000, 2400, -30, Outcome::Crash},
        {"the sea line", -1, 2000, 2000, S, 5, Outcome::None},
        {"below the sea line", -1, 2000, 2000, S + 1, 5, Outcome::Sink},
        {"fast and below the sea line", 0, 2000, 2000, 2700, 40, Outcome::CrashThenSink},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessDesktop d;
        RecordingSound s;
        Game g(d, s);
        d.invoke([&] { g.start(); });
        d.click(g.title.Command1);
        d.click(g.mission.Command1);
        auto& mm = g.mission;
        mm.Outbound = c.outbound;
        mm.HeliX = c.x;
        mm.HeliZ = c.z;
        mm.HeliY = c.y;
        mm.SpeedY = c.speed;
        d.invoke([&] { mm.Timer5_Timer(); });

        const bool flying = mm.Timer1.enabled();
        EXPECT_EQ(flying, c.outcome == Outcome::None);
        EXPECT_EQ(mm.Command3.visible(), c.outcome == Outcome::PickUp);
        EXPECT_EQ(mm.Command1.visible(), c.outcome == Outcome::Delivery);
        const bool lost = c.outcome == Outcome::Crash || c.outcome == Outcome::Sink ||
                          c.outcome == Outcome::CrashThenSink;
        EXPECT_EQ(mm.Command2.visible(), lost);
        EXPECT_EQ(mm.Image8.visible(),
                  c.outcome == Outcome::Crash || c.outcome == Outcome::CrashThenSink);
        EXPECT_EQ(mm.Image11.picture().isNull(),
                  c.outcome != Outcome::Sink && c.outcome != Outcome::CrashThenSink);
        EXPECT_EQ(mm.Label5.caption(), std::to_string(std::abs(static_cast<int>(c.speed))));
    }
}

TEST_F(Mission, PickUpKeepsTheSpeedOnTheGaugeAndHandsBackTheFocus) {
    go();
    const size_t before = sound.calls().size();
    judge(-1, 600, 1150, 2360, 17);
    EXPECT_EQ(m.Label9.caption(), "ＯＫ！　　　ＧＯＯＤ！！");
    EXPECT_EQ(m.Label9.backColour(), kBlack);
    EXPECT_EQ(m.Label23.caption(), "2");
    EXPECT_EQ(m.Label8.caption(), "0");
    EXPECT_EQ(m.Label5.caption(), "17");
    EXPECT_EQ(m.SpeedY, 17);
    EXPECT_EQ(m.Outbound, 0);
    EXPECT_EQ(m.focus(), &m.Command3);
    EXPECT_TRUE(m.Image2.visible() && m.Image3.visible()) << "the helicopter stands in both views";
    EXPECT_TRUE(m.Timer5.enabled());
    for (Timer* t : {&m.Timer1, &m.Timer3, &m.Timer6, &m.Timer7}) EXPECT_FALSE(t->enabled());
    EXPECT_EQ(soundsSince(before), std::vector<SoundCall>{kStop});

    // Timer5 goes on judging with the base rules and finds nothing to do.
    desktop.advance(20);
    EXPECT_TRUE(m.Command3.visible());

    // Return presses BACK.
    press(vk::Return);
    release(vk::Return);
    EXPECT_TRUE(m.Timer1.enabled());
    EXPECT_EQ(m.Outbound, 0);
    EXPECT_EQ(sound.calls().back(), kRotor);
}

TEST_F(Mission, CrashAndSinkingEndTheMission) {
    go();
    m.Rescued = 4;
    size_t before = sound.calls().size();
    judge(-1, 1234, 567, 2400, 33);
    EXPECT_EQ(m.Label9.caption(), "爆発炎上中！！　昇降速度が速すぎました！");
    EXPECT_EQ(m.Label8.caption(), "-1");
    EXPECT_EQ(m.Label5.caption(), "33");
    EXPECT_EQ(m.SpeedY, 0);
    EXPECT_EQ(m.Image8.left(), 1234);
    EXPECT_EQ(m.Image8.top(), 2520);
    EXPECT_EQ(m.Image9.left(), 1234);
    EXPECT_EQ(m.Image9.top(), 567);
    EXPECT_FALSE(m.Image2.visible());
    EXPECT_FALSE(m.Image3.visible());
    EXPECT_EQ(m.focus(), &m.Command2);
    EXPECT_EQ(m.Rescued, 4);
    for (Timer* t : {&m.Timer1, &m.Timer3, &m.Timer5, &m.Timer6, &m.Timer7})
        EXPECT_FALSE(t->enabled());
    EXPECT_EQ(soundsSince(before), (std::vector<SoundCall>{kStop, kBoom}));

    // Crash and sinking in one tick: the sinking has the last word and cuts the explosion off.
    desktop.click(m.Command1);  // hidden: does nothing
    m.Command1.setVisible(true);
    go();
    before = sound.calls().size();
    judge(0, 3000, 800, 2650, 25);
    EXPECT_EQ(m.Label9.caption(), "失敗！！海に沈みました！");
    EXPECT_TRUE(m.Image8.visible());
    EXPECT_TRUE(m.Image9.visible());
    EXPECT_EQ(m.Image11.picture(), m.Image10.picture());
    EXPECT_EQ(m.Image11.left(), 3000);
    EXPECT_EQ(m.Image11.top(), 800);
    EXPECT_EQ(soundsSince(before), (std::vector<SoundCall>{kStop, kBoom, kStop}));
    EXPECT_FALSE(sound.playing().has_value());
}

TEST_F(Mission, FiveDeliveriesWinAndTheClosingScreenThanksThePilot) {
    const char* counts[] = {"2", "4", "6", "8", "10"};
    for (const char* count : counts) {
        ASSERT_TRUE(m.Command1.visible());
        go();
        judge(-1, 600, 1150, 2360, 10);
        back();
        judge(0, 3590, 2360, 2360, 10);
        EXPECT_EQ(m.Label18.caption(), count);
        EXPECT_EQ(m.Label23.caption(), "0");
    }
    EXPECT_EQ(m.Rescued, 10);
    ASSERT_EQ(desktop.messageBoxes().size(), 1u);
    EXPECT_EQ(desktop.messageBoxes()[0].text,
              "ありがとう！\rあなたのすばらしい操縦による救助活動により、多くの人命が救われた！");
    EXPECT_EQ(desktop.messageBoxes()[0].style, 64);
    EXPECT_EQ(desktop.messageBoxes()[0].title, "");
    EXPECT_FALSE(m.visible());
    EXPECT_TRUE(m.loaded());
    EXPECT_TRUE(game.closing.visible());
    EXPECT_EQ(game.closing.Label4.caption(), "Ace");
    EXPECT_EQ(game.closing.focus(), &game.closing.Command1);
    for (Timer* t : {&m.Timer1, &m.Timer3, &m.Timer5, &m.Timer6, &m.Timer7})
        EXPECT_FALSE(t->enabled());

    desktop.click(game.closing.Command1);
    EXPECT_TRUE(desktop.ended());
}

TEST_F(Mission, GoAfterADeliveryRefuelsAndKeepsTheCount) {
    go();
    judge(-1, 600, 1150, 2360, 10);
    back();
    m.Fuel = 12;
    judge(0, 3590, 2360, 2360, 10);
    EXPECT_EQ(m.focus(), &m.Command1);
    EXPECT_FALSE(m.Timer5.enabled());
    m.Label9.setForeColour(kRed);  // as a blink of the empty-tank warning left it
    go();
    EXPECT_EQ(m.Label9.caption(), kGoOrder);
    EXPECT_EQ(m.Label9.foreColour(), kYellow);
    EXPECT_EQ(m.Fuel, 1000);
    EXPECT_EQ(m.Rescued, 2);
    EXPECT_EQ(m.HeliX, 3500);
}

// ---- Fuel ----

TEST_F(Mission, FuelReadoutCountsDownPastZeroAndTheEngineStops) {
    go();
    std::vector<std::string> readouts;
    std::vector<int> engine;
    m.Fuel = 2;
    for (int i = 0; i < 5; ++i) {
        m.Timer6_Timer();
        readouts.push_back(m.Label16.caption());
        engine.push_back(m.EngineOn);
    }
    EXPECT_EQ(readouts, (std::vector<std::string>{"1", "0", "-1", "-2", "-2"}));
    EXPECT_EQ(engine, (std::vector<int>{-1, -1, 0, 0, 0}));
    EXPECT_EQ(m.Fuel, -1);
}

TEST_F(Mission, TheFirstFuelTickOfAFlightReads999AndTheWarningStartsAt99) {
    go();
    // Only the fuel and the warning run: the helicopter would fall into the sea meanwhile.
    for (Timer* t : {&m.Timer1, &m.Timer3, &m.Timer5}) t->setEnabled(false);
    desktop.advance(2);
    EXPECT_EQ(m.Label16.caption(), "999");
    desktop.advance(1798);  // 899 fuel ticks
    EXPECT_EQ(m.Fuel, 100);
    EXPECT_EQ(m.Label9.caption(), kGoOrder);
    desktop.advance(2);
    EXPECT_EQ(m.Fuel, 99);
    m.Timer7_Timer();
    EXPECT_EQ(m.Label9.caption(), "ENPTY!");
    EXPECT_EQ(m.Label9.foreColour(), kRed);
    EXPECT_EQ(m.Label9.backColour(), kYellow);
    m.Timer7_Timer();
    EXPECT_EQ(m.Label9.caption(), "");
    EXPECT_EQ(m.Label9.foreColour(), kYellow);
    EXPECT_EQ(m.Label9.backColour(), kBlack);
    m.Label9.setForeColour(255 + 1);  // any colour but yellow is the blank phase
    m.Timer7_Timer();
    EXPECT_EQ(m.Label9.caption(), "");

    // An outcome while the warning shows replaces it in yellow on black.
    m.Timer7_Timer();
    ASSERT_EQ(m.Label9.caption(), "ENPTY!");
    judge(-1, 2000, 2000, 2400, 40);
    EXPECT_EQ(m.Label9.foreColour(), kYellow);
    EXPECT_EQ(m.Label9.backColour(), kBlack);
    EXPECT_FALSE(m.Timer7.enabled());
}

TEST_F(Mission, BackAfterADryTankRunsTheEngineUntilTheNextFuelTick) {
    go();
    m.Fuel = 0;
    m.Timer6_Timer();
    ASSERT_EQ(m.EngineOn, 0);
    judge(-1, 600, 1150, 2360, 10);
    back();
    EXPECT_EQ(m.EngineOn, -1);
    press(vk::Shift);
    EXPECT_EQ(m.KeyY, 1);
    m.Timer6_Timer();
    EXPECT_EQ(m.Label16.caption(), "-2");
    EXPECT_EQ(m.EngineOn, 0);
    EXPECT_EQ(m.Fuel, -1);
}

}  // namespace
}  // namespace skyvane

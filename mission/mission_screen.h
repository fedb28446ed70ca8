#pragma once

#include <array>
#include <cstdint>

#include "mission/mission_sounds.h"
#include "platform/desktop.h"
#include "platform/form.h"
#include "platform/sound.h"

namespace skyvane {

// The mission screen: the whole flight, from the briefing to the last delivery. Its state is
// seventeen 16-bit variables; its timers drive the flight and its key handlers only note which
// keys are held for the next tick. Tests read the state and the elements directly.
//
// Elements keep the game's own names (Label8, Image3, Timer5); each is listed here with what it
// is, grouped by where it sits on the screen. layouts/mission_layout.cpp lays them out.
class MissionScreen : public Form {
  public:
    // pilotName is the title screen's name box; closing is shown when the mission is won.
    MissionScreen(Desktop& desktop, Sound& sound, const TextBox& pilotName, Form& closing);

    // ---- State ----
    // Positions (twips): Left of both sprites, Top on the map, Top in the side view.
    std::int16_t HeliX = 0, HeliZ = 0, HeliY = 0;
    // Directions (-1 or 1) and the speeds along them, per motion tick.
    std::int16_t DirX = 0, DirZ = 0, DirY = 0;
    std::int16_t SpeedX = 0, SpeedZ = 0, SpeedY = 0;
    // Held keys: -1, 0 or 1 on each axis; KeyY 1 while lift is on.
    std::int16_t KeyX = 0, KeyZ = 0, KeyY = 0;
    std::int16_t Fuel = 0;
    // Flags: -1 true, 0 false.
    std::int16_t EngineOn = 0, Outbound = 0;
    std::int16_t Rescued = 0, PerTrip = 0;

    // ---- Instrument panel ----
    Shape& Shape4;   // outline of the panel
    Label& Label7;   // caption: altitude
    Label& Label8;   // altitude readout, 2580 - HeliY
    Label& Label13;  // unit: m
    Label& Label6;   // caption: vertical speed
    Label& Label5;   // vertical-speed readout, |SpeedY|
    Label& Label14;  // unit: km/h
    Label& Label15;  // caption: fuel
    Label& Label16;  // fuel readout
    Label& Label19;  // unit: litres
    Label& Label17;  // caption: people rescued
    Label& Label18;  // rescued count, Rescued
    Label& Label20;  // unit: people
    Label& Label22;  // caption: on board
    Label& Label23;  // people on board
    Label& Label24;  // unit: people
    // The key indicator at the panel's right.
    Label& Label21;  // heading: power, steering
    Shape& Shape8;   // power lamp: red while lift is on, dark red after Shift comes up
    Image& Image20;  // up-arrow lamp
    Image& Image21;  // down-arrow lamp
    Image& Image22;  // left-arrow lamp
    Image& Image23;  // right-arrow lamp

    // ---- Between the panel and the views ----
    Label& Label9;   // message line: orders, outcomes and the empty-tank warning
    Label& Label12;  // title over the side view
    Label& Label11;  // title over the map
    Label& Label10;  // key help under the views

    // ---- Side view: horizontal position and height ----
    Frame& Frame2;
    Image& Image2;  // the helicopter
    Image& Image8;  // explosion after a crash
    Shape& Shape7;  // base pad
    Shape& Shape2;  // target pad
    Shape& Shape3;  // blue line along the bottom

    // ---- Map: horizontal position and depth ----
    Frame& Frame1;
    Image& Image3;   // the helicopter
    Image& Image9;   // explosion after a crash
    Image& Image11;  // sinking mark: empty until the helicopter sinks
    Shape& Shape5;   // base mark ○
    Shape& Shape6;   // base pad under the mark
    Shape& Shape1;   // target mark □
    Image& Image4;   // off-map pointer at the top edge
    Image& Image5;   // off-map pointer at the bottom edge
    Image& Image6;   // off-map pointer at the right edge
    Image& Image7;   // off-map pointer at the left edge

    // ---- Buttons ----
    Button& Command1;  // GO: a trip out from the base
    Button& Command3;  // BACK: the trip back from the target, on the same spot as GO
    Button& Command2;  // close: leave the mission

    // ---- Below the visible area, never seen ----
    // Hidden stores of the pictures the arrow keys give the sprites.
    Image& Image12;  // side view, left
    Image& Image13;  // side view, right
    Image& Image14;  // side view, front (down the map)
    Image& Image15;  // side view, rear (up the map)
    Image& Image16;  // map, nose left
    Image& Image17;  // map, nose right
    Image& Image18;  // map, nose down
    Image& Image19;  // map, nose up
    Image& Image10;  // hidden store of the sinking mark's red cross
    Image& Image1;   // warning sign, unused
    Label& Label1;   // KeyY as text
    Label& Label2;   // KeyX as text
    Label& Label3;   // KeyZ as text
    Label& Label4;   // unused

    // ---- Timers ----
    Timer& Timer1;  // motion on all three axes, sprites, off-map pointers
    Timer& Timer3;  // vertical speed from lift or gravity, altitude readout
    Timer& Timer5;  // touch-down, crash, sinking, pick-up, delivery, the win
    Timer& Timer6;  // fuel countdown
    Timer& Timer7;  // empty-tank warning on the message line
    Timer& Timer2;  // has no handler

    void Form_Load() override;
    void Form_Unload(std::int16_t& Cancel) override;
    void Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift) override;
    void Form_KeyUp(std::int16_t KeyCode, std::int16_t Shift) override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Timer1_Timer();
    void Timer3_Timer();
    void Timer5_Timer();
    void Timer6_Timer();
    void Timer7_Timer();

  private:
    // One arrow key: the axis it sets, the pictures it gives the sprites and its lamp.
    struct Arrow {
        int key;
        std::int16_t MissionScreen::*axis;
        std::int16_t value;
        Label* readout;  // the axis as text
        const char* text;
        Image* mapPicture;   // store of Image3's picture
        Image* sidePicture;  // store of Image2's picture
        Image* lamp;
    };

    void startLeg(bool outbound);
    void stopFlight(bool alsoJudging);
    void announce(const char* message);
    void offerOnly(Button& button);
    void lose(const char* message, bool sank);
    void land(bool atTarget);
    void win();

    // Tested in this order, as the game always has: Right, Left, Down, Up.
    std::array<Arrow, 4> arrows_;
    Desktop& desktop_;
    Sound& sound_;
    const TextBox& pilotName_;
    Form& closing_;
};

// Texts of the mission screen.
namespace mission_text {
inline constexpr const char* kCaptionPrefix = "ＳＶ  パイロット　";
inline constexpr const char* kBriefing =
    "昇降速度20以内で、基地と目的地を往復し取り残された１０名を救出せよ！\r"
    "なお、１回に救助できる人数は２名である";
inline constexpr const char* kGoOrder =
    "昇降速度20以内で、目標地点□に着陸し、取り残された人を救出せよ！";
inline constexpr const char* kBackOrder = "昇降速度20以内で、基地○に帰還せよ！";
inline constexpr const char* kGood = "ＯＫ！　　　ＧＯＯＤ！！";
inline constexpr const char* kCrashed = "爆発炎上中！！　昇降速度が速すぎました！";
inline constexpr const char* kSunk = "失敗！！海に沈みました！";
inline constexpr const char* kEmpty = "ENPTY!";
inline constexpr const char* kWin =
    "ありがとう！\rあなたのすばらしい操縦による救助活動により、多くの人命が救われた！";
inline constexpr const char* kRegret =
    "残念ながら今回のミッションを遂行出来なかったことは、誠に遺憾であります";
inline constexpr const char* kRespectBefore = "しかしながら、「";
inline constexpr const char* kRespectAfter = "」の勇気には心より敬意を表します";
}  // namespace mission_text

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "mission/mission_sounds.h"
#include "platform/catalog.h"
#include "platform/desktop.h"
#include "platform/form.h"
#include "platform/sound.h"

namespace skyvane {

// The mission screen: the whole flight, from the briefing to the last delivery. Its state is
// seventeen 16-bit variables; its timers drive the flight and its key handlers only note which
// keys are held for the next tick. Tests read the state and the elements directly.
//
// Elements keep the game's own names (Label8, Image3, Timer5) and are grouped here by where they
// sit on the screen; what each one is, is its row's role in layouts/mission_layout.cpp. Every
// element is bound, the 26 the handlers never touch (captions, units, the views' titles, the
// panel's outline) too: binding checks, as the screen is built, that the layout has every
// element the screen is known by, and the tests reach them by these names.
class MissionScreen : public Form {
  public:
    // pilotName is the title screen's name box; closing is shown when the mission is won.
    MissionScreen(Desktop& desktop, Sound& sound, const TextBox& pilotName, Form& closing,
                  const Catalog& texts = Catalog::source());

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
    Shape& Shape4;
    Label& Label7;
    Label& Label8;
    Label& Label13;
    Label& Label6;
    Label& Label5;
    Label& Label14;
    Label& Label15;
    Label& Label16;
    Label& Label19;
    Label& Label17;
    Label& Label18;
    Label& Label20;
    Label& Label22;
    Label& Label23;
    Label& Label24;
    // The key indicator
    Label& Label21;
    Shape& Shape8;
    Image& Image20;
    Image& Image21;
    Image& Image22;
    Image& Image23;

    // ---- Between the panel and the views ----
    Label& Label9;
    Label& Label12;
    Label& Label11;
    Label& Label10;

    // ---- Side view: horizontal position and height ----
    Frame& Frame2;
    Image& Image2;
    Image& Image8;
    Shape& Shape7;
    Shape& Shape2;
    Shape& Shape3;

    // ---- Map: horizontal position and depth ----
    Frame& Frame1;
    Image& Image3;
    Image& Image9;
    Image& Image11;
    Shape& Shape5;
    Shape& Shape6;
    Shape& Shape1;
    Image& Image4;
    Image& Image5;
    Image& Image6;
    Image& Image7;

    // ---- Buttons ----
    Button& Command1;
    Button& Command3;
    Button& Command2;

    // ---- Below the visible area, never seen ----
    // Stores of pictures, the keys as text, spares
    Image& Image12;
    Image& Image13;
    Image& Image14;
    Image& Image15;
    Image& Image16;
    Image& Image17;
    Image& Image18;
    Image& Image19;
    Image& Image10;
    Image& Image1;
    Label& Label1;
    Label& Label2;
    Label& Label3;
    Label& Label4;

    // ---- Timers ----
    Timer& Timer1;
    Timer& Timer3;
    Timer& Timer5;
    Timer& Timer6;
    Timer& Timer7;
    Timer& Timer2;

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

    // A player who listens asks with A (altitude), V (vertical speed, and which way), F (fuel)
    // and R (people rescued and on board); the answer is the panel's words.
    std::optional<std::string> answerReader(int keyCode) const override;

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
    const Catalog& texts_;
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
// Which way the helicopter moves, said after the vertical speed, which the gauge shows unsigned.
inline constexpr const char* kRising = "上昇中";
inline constexpr const char* kFalling = "下降中";
}  // namespace mission_text

}  // namespace skyvane

#pragma once

#include <cstdint>

#include "platform/desktop.h"
#include "platform/form.h"
#include "platform/sound.h"

namespace skyvane {

// The mission screen: the whole flight, from the briefing to the last delivery. Its state is
// seventeen 16-bit variables; its timers drive the flight and its key handlers only note which
// keys are held for the next tick. Tests read the state and the elements directly.
class MissionScreen : public Form {
  public:
    // pilotName is the title screen's name box; closing is shown when the mission is won.
    MissionScreen(Desktop& desktop, Sound& sound, const TextBox& pilotName, Form& closing);

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

    Label &Label1, &Label2, &Label3, &Label4, &Label5, &Label6, &Label7, &Label8, &Label9, &Label10,
        &Label11, &Label12, &Label13, &Label14, &Label15, &Label16, &Label17, &Label18, &Label19,
        &Label20, &Label21, &Label22, &Label23, &Label24;
    Image &Image1, &Image2, &Image3, &Image4, &Image5, &Image6, &Image7, &Image8, &Image9, &Image10,
        &Image11, &Image12, &Image13, &Image14, &Image15, &Image16, &Image17, &Image18, &Image19,
        &Image20, &Image21, &Image22, &Image23;
    Shape &Shape1, &Shape2, &Shape3, &Shape4, &Shape5, &Shape6, &Shape7, &Shape8;
    Frame &Frame1, &Frame2;
    Button &Command1, &Command2, &Command3;
    Timer &Timer1, &Timer2, &Timer3, &Timer5, &Timer6, &Timer7;

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
    void startLeg(bool outbound);
    bool tooFast() const;
    void crash();
    void sink();
    void pickUp();
    void deliver();
    void win();
    void stopFlightTimers();

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
inline constexpr const char* kRotor = "HERI3.wav";
inline constexpr const char* kExplosion = "BAKU.wav";
}  // namespace mission_text

}  // namespace skyvane

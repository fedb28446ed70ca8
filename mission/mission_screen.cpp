// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "mission/mission_screen.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>

#include "layouts/colours.h"
#include "layouts/layouts.h"
#include "mission/flight_rules.h"
#include "platform/keys.h"
#include "platform/reading.h"

namespace skyvane {

namespace {

using namespace colours;
using namespace mission_text;
using namespace mission_sounds;

constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

// Sums that could leave the 16-bit range (a helicopter flown far off the map or climbing for
// minutes) stop at its ends instead of wrapping round.
std::int16_t sat(int v) {
    return static_cast<std::int16_t>(std::clamp<int>(v, std::numeric_limits<std::int16_t>::min(),
                                                     std::numeric_limits<std::int16_t>::max()));
}

std::string text(int v) {
    return std::to_string(v);
}

}  // namespace

MissionScreen::MissionScreen(Desktop& desktop, Sound& sound, const TextBox& pilotName,
                             Form& closing, const Catalog& texts)
    : Form(texts.design(missionLayout())),
      Shape4(get<Shape>("Shape4")),
      Label7(get<Label>("Label7")),
      Label8(get<Label>("Label8")),
      Label13(get<Label>("Label13")),
      Label6(get<Label>("Label6")),
      Label5(get<Label>("Label5")),
      Label14(get<Label>("Label14")),
      Label15(get<Label>("Label15")),
      Label16(get<Label>("Label16")),
      Label19(get<Label>("Label19")),
      Label17(get<Label>("Label17")),
      Label18(get<Label>("Label18")),
      Label20(get<Label>("Label20")),
      Label22(get<Label>("Label22")),
      Label23(get<Label>("Label23")),
      Label24(get<Label>("Label24")),
      Label21(get<Label>("Label21")),
      Shape8(get<Shape>("Shape8")),
      Image20(get<Image>("Image20")),
      Image21(get<Image>("Image21")),
      Image22(get<Image>("Image22")),
      Image23(get<Image>("Image23")),
      Label9(get<Label>("Label9")),
      Label12(get<Label>("Label12")),
      Label11(get<Label>("Label11")),
      Label10(get<Label>("Label10")),
      Frame2(get<Frame>("Frame2")),
      Image2(get<Image>("Image2")),
      Image8(get<Image>("Image8")),
      Shape7(get<Shape>("Shape7")),
      Shape2(get<Shape>("Shape2")),
      Shape3(get<Shape>("Shape3")),
      Frame1(get<Frame>("Frame1")),
      Image3(get<Image>("Image3")),
      Image9(get<Image>("Image9")),
      Image11(get<Image>("Image11")),
      Shape5(get<Shape>("Shape5")),
      Shape6(get<Shape>("Shape6")),
      Shape1(get<Shape>("Shape1")),
      Image4(get<Image>("Image4")),
      Image5(get<Image>("Image5")),
      Image6(get<Image>("Image6")),
      Image7(get<Image>("Image7")),
      Command1(get<Button>("Command1")),
      Command3(get<Button>("Command3")),
      Command2(get<Button>("Command2")),
      Image12(get<Image>("Image12")),
      Image13(get<Image>("Image13")),
      Image14(get<Image>("Image14")),
      Image15(get<Image>("Image15")),
      Image16(get<Image>("Image16")),
      Image17(get<Image>("Image17")),
      Image18(get<Image>("Image18")),
      Image19(get<Image>("Image19")),
      Image10(get<Image>("Image10")),
      Image1(get<Image>("Image1")),
      Label1(get<Label>("Label1")),
      Label2(get<Label>("Label2")),
      Label3(get<Label>("Label3")),
      Label4(get<Label>("Label4")),
      Timer1(get<Timer>("Timer1")),
      Timer3(get<Timer>("Timer3")),
      Timer5(get<Timer>("Timer5")),
      Timer6(get<Timer>("Timer6")),
      Timer7(get<Timer>("Timer7")),
      Timer2(get<Timer>("Timer2")),
      arrows_{{
          {vk::Right, &MissionScreen::KeyX, 1, &Label2, "1", &Image17, &Image13, &Image23},
          {vk::Left, &MissionScreen::KeyX, -1, &Label2, "-1", &Image16, &Image12, &Image22},
          {vk::Down, &MissionScreen::KeyZ, 1, &Label3, "1", &Image18, &Image14, &Image21},
          {vk::Up, &MissionScreen::KeyZ, -1, &Label3, "-1", &Image19, &Image15, &Image20},
      }},
      desktop_(desktop),
      texts_(texts),
      sound_(sound),
      pilotName_(pilotName),
      closing_(closing) {
    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
    Command3.onClick = [this] { Command3_Click(); };
    Timer1.onTimer = [this] { Timer1_Timer(); };
    Timer3.onTimer = [this] { Timer3_Timer(); };
    Timer5.onTimer = [this] { Timer5_Timer(); };
    Timer6.onTimer = [this] { Timer6_Timer(); };
    Timer7.onTimer = [this] { Timer7_Timer(); };
}

std::optional<std::string> MissionScreen::answerReader(int keyCode) const {
    switch (keyCode) {
        case 'A':
            return spokenOf(Label8).name;
        case 'V': {
            std::string words = spokenOf(Label5).name;
            // HeliY grows downwards.
            const int moving = DirY * SpeedY;
            if (moving != 0) words += " " + texts_.tr(moving > 0 ? kFalling : kRising);
            return words;
        }
        case 'F':
            return spokenOf(Label16).name;
        case 'R':
            return spokenOf(Label18).name + " " + spokenOf(Label23).name;
        default:
            return std::nullopt;
    }
}

// ---- Setup ----

void MissionScreen::Form_Load() {
    setCaption(texts_.tr(kCaptionPrefix) + pilotName_.text());
    PerTrip = flight::kPeoplePerTrip;
    Rescued = 0;
    Fuel = flight::kLowFuel;  // no warning before the first trip
    Image2.setVisible(true);
    Image3.setVisible(true);
    for (Image* i : {&Image4, &Image5, &Image6, &Image7, &Image8, &Image9}) i->setVisible(false);
    Command1.setVisible(true);
    Command2.setVisible(true);
    Command3.setVisible(false);
    Timer1.setInterval(flight::kFlightTick);
    Timer1.setEnabled(false);
    Timer3.setInterval(flight::kFlightTick);
    Timer3.setEnabled(false);
    Timer5.setInterval(flight::kFlightTick);
    Timer5.setEnabled(false);
    Timer6.setEnabled(false);
    Timer7.setInterval(flight::kBlinkTick);
    Timer7.setEnabled(true);
    Label9.setForeColour(kYellow);
    Label9.setCaption(texts_.tr(kBriefing));
    EngineOn = kTrue;
}

void MissionScreen::Command1_Click() {
    startLeg(true);
}

void MissionScreen::Command3_Click() {
    startLeg(false);
}

// GO from the base, or BACK from wherever the helicopter landed at the target, without refuelling.
void MissionScreen::startLeg(bool outbound) {
    Outbound = outbound ? kTrue : kFalse;
    DirZ = -1;
    DirY = -1;
    if (outbound) {
        HeliX = flight::kBaseX;
        HeliZ = flight::kBaseZ;
    }
    HeliY = flight::kGroundLine;
    DirX = 1;
    SpeedY = flight::kTakeOffSpeedY;
    SpeedX = flight::kTakeOffSpeedX;
    SpeedZ = flight::kTakeOffSpeedZ;
    KeyX = 0;
    KeyZ = 0;
    KeyY = 0;
    if (outbound) Fuel = flight::kFullTank;

    Image2.setVisible(true);
    Image3.setVisible(true);
    for (Image* i : {&Image4, &Image5, &Image6, &Image7, &Image8, &Image9, &Image20, &Image21,
                     &Image22, &Image23})
        i->setVisible(false);
    Image11.setPicture(Picture());
    Command1.setVisible(false);
    Command2.setVisible(false);
    Command3.setVisible(false);

    Timer1.setInterval(flight::kFlightTick);
    Timer1.setEnabled(true);
    Timer3.setInterval(flight::kFlightTick);
    Timer3.setEnabled(true);
    Timer5.setInterval(flight::kFlightTick);
    Timer5.setEnabled(true);
    Timer6.setInterval(outbound ? flight::kFuelTickOut : flight::kFuelTickBack);
    Timer6.setEnabled(true);
    Timer7.setInterval(flight::kBlinkTick);
    Timer7.setEnabled(true);

    Label9.setForeColour(kYellow);
    Label9.setCaption(texts_.tr(outbound ? kGoOrder : kBackOrder));
    EngineOn = kTrue;
    sound_.play(kRotor, kSoundAsync | kSoundLoop);
}

// ---- Flight ----

namespace {

// One axis moves by its direction times its speed; a direction of neither 1 nor -1 leaves it.
void step(std::int16_t& position, std::int16_t direction, std::int16_t speed) {
    if (direction == 1) {
        position = sat(position + speed);
    } else if (direction == -1) {
        position = sat(position - speed);
    }
}

// Thrust points the axis at the held arrow and adds one; at 101 it is skipped altogether, so
// the opposite arrow cannot turn a helicopter that fast.
void thrust(std::int16_t& direction, std::int16_t& speed, std::int16_t key) {
    if (speed > 100 || (key != 1 && key != -1)) return;
    direction = key;
    speed = static_cast<std::int16_t>(speed + 1);
}

// Braking stops at -1 to -3, so an idle axis creeps backwards; the game was tuned with it.
void brake(std::int16_t& speed, std::int16_t key) {
    if (speed >= 0 && key == 0) speed = static_cast<std::int16_t>(speed - 3);
}

}  // namespace

void MissionScreen::Timer1_Timer() {
    // The side view takes the horizontal position from before this tick's step.
    Image2.setLeft(HeliX);
    step(HeliY, DirY, SpeedY);
    Image2.setTop(HeliY);
    step(HeliX, DirX, SpeedX);
    Image6.setVisible(HeliX > flight::kMapRight);
    Image7.setVisible(HeliX < flight::kMapLeft);
    step(HeliZ, DirZ, SpeedZ);
    Image4.setVisible(HeliZ < flight::kMapTop);
    Image5.setVisible(HeliZ > flight::kMapBottom);
    Image3.setLeft(HeliX);
    Image3.setTop(HeliZ);
    thrust(DirX, SpeedX, KeyX);
    thrust(DirZ, SpeedZ, KeyZ);
    brake(SpeedX, KeyX);
    brake(SpeedZ, KeyZ);
}

void MissionScreen::Timer3_Timer() {
    const auto dir = DirY;
    if (KeyY == 1) {
        if (dir == -1) SpeedY = sat(SpeedY + 1);
        if (dir == 1) SpeedY = sat(SpeedY - 1);
    }
    if (KeyY == 0) {
        if (dir == -1) SpeedY = sat(SpeedY - 1);
        if (dir == 1) SpeedY = sat(SpeedY + 1);
    }
    if (SpeedY == 0) DirY = DirY == 1 ? -1 : 1;
    Label8.setCaption(text(flight::kAltitudeZero - HeliY));
}

// ---- Pilot ----

void MissionScreen::Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift) {
    (void)Shift;
    // A dry tank takes the lift away at the next key-down of any key, a repeat included.
    if (EngineOn == 0) {
        KeyY = 0;
        Label1.setCaption("0");
    } else if (KeyCode == vk::Shift) {
        KeyY = 1;
        Label1.setCaption("1");
        Shape8.setFillColour(kRed);
    }
    for (const Arrow& a : arrows_) {
        if (KeyCode != a.key) continue;
        this->*a.axis = a.value;
        a.readout->setCaption(a.text);
        Image3.setPicture(a.mapPicture->picture());
        Image2.setPicture(a.sidePicture->picture());
        a.lamp->setVisible(true);
        break;
    }
}

void MissionScreen::Form_KeyUp(std::int16_t KeyCode, std::int16_t Shift) {
    (void)Shift;
    if (KeyCode == vk::Shift) {
        KeyY = 0;
        Label1.setCaption("0");
        Shape8.setFillColour(kDarkRed);
        return;
    }
    // Key-up never restores a picture: the sprites keep showing the last arrow pressed.
    for (const Arrow& a : arrows_) {
        if (KeyCode != a.key) continue;
        this->*a.axis = 0;
        a.readout->setCaption("0");
        a.lamp->setVisible(false);
        break;
    }
}

// ---- Landing, crash and rescue ----

void MissionScreen::Timer5_Timer() {
    const int speed = std::abs(static_cast<int>(SpeedY));
    Label5.setCaption(text(speed));
    if (HeliY > flight::kGroundLine) {
        // What the player sees on the gauge decides: a fast touch-down is a crash whichever way
        // the speed counts.
        if (speed > flight::kMaxLandingSpeed) {
            lose(kCrashed, false);
        } else if (Outbound != 0) {
            if (flight::kTargetZone.contains(HeliX, HeliZ)) land(true);
        } else {
            if (flight::kBaseZone.contains(HeliX, HeliZ)) land(false);
        }
    }
    // Judged after a landing or a crash too: both can end in the sea in the same tick.
    if (HeliY > flight::kSeaLine) lose(kSunk, true);
}

// Every outcome stops the flight; a landing at the target leaves the judging tick running.
void MissionScreen::stopFlight(bool alsoJudging) {
    Timer1.setEnabled(false);
    Timer3.setEnabled(false);
    if (alsoJudging) Timer5.setEnabled(false);
    Timer6.setEnabled(false);
    Timer7.setEnabled(false);
}

void MissionScreen::announce(const char* message) {
    Label9.setForeColour(kYellow);
    Label9.setBackColour(kBlack);
    Label9.setCaption(texts_.tr(message));
}

void MissionScreen::offerOnly(Button& button) {
    Command1.setVisible(&button == &Command1);
    Command2.setVisible(&button == &Command2);
    Command3.setVisible(&button == &Command3);
}

// A crash or a sinking: the helicopter is gone and only the close button leads on.
void MissionScreen::lose(const char* message, bool sank) {
    stopFlight(true);
    SpeedY = 0;
    Image2.setVisible(false);
    Image3.setVisible(false);
    if (sank) {
        Image11.setTop(HeliZ);
        Image11.setLeft(HeliX);
        Image11.setPicture(Image10.picture());
    }
    offerOnly(Command2);
    Label8.setCaption("-1");
    announce(message);
    if (!sank) {
        Image8.setLeft(HeliX);
        Image8.setVisible(true);
        Image9.setLeft(HeliX);
        Image9.setTop(HeliZ);
        Image9.setVisible(true);
    }
    sound_.play(nullptr, kSoundSync);
    if (!sank) sound_.play(kExplosion, kSoundAsync);
}

// A good touch-down: people board at the target, or are delivered at the base.
void MissionScreen::land(bool atTarget) {
    stopFlight(false);
    Image2.setVisible(true);
    Image3.setVisible(true);
    offerOnly(atTarget ? Command3 : Command1);
    Label8.setCaption("0");
    announce(kGood);
    if (atTarget) {
        Outbound = kFalse;
        Command3.setFocus();
        Label23.setCaption(text(PerTrip));
    } else {
        Rescued = sat(Rescued + PerTrip);
        Label18.setCaption(text(Rescued));
        Label23.setCaption("0");
        Timer5.setEnabled(false);
    }
    sound_.play(nullptr, kSoundSync);
    if (!atTarget && Rescued >= flight::kPeopleToRescue) win();
}

void MissionScreen::win() {
    desktop_.messageBox(texts_.tr(kWin), kInformationOk, "");
    desktop_.hide(*this);
    desktop_.show(closing_);
}

// ---- Fuel ----

void MissionScreen::Timer6_Timer() {
    Fuel = sat(Fuel - flight::kFuelStep);
    // Shows the value before the hold at -1: a dry tank reads -1 once, then -2.
    Label16.setCaption(text(Fuel));
    if (Fuel < 0) {
        EngineOn = kFalse;
        Fuel = -1;
    }
}

void MissionScreen::Timer7_Timer() {
    if (Fuel >= flight::kLowFuel) return;
    // The blink's phase is the message line's own colour.
    if (Label9.foreColour() == kYellow) {
        Label9.setForeColour(kRed);
        Label9.setBackColour(kYellow);
        Label9.setCaption(texts_.tr(kEmpty));
    } else {
        Label9.setForeColour(kYellow);
        Label9.setBackColour(kBlack);
        Label9.setCaption("");
    }
}

}  // namespace skyvane

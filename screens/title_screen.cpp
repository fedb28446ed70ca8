// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "screens/title_screen.h"

#include "layouts/colours.h"
#include "layouts/layouts.h"

namespace skyvane {

using colours::kBlue;
using colours::kNavy;

TitleScreen::TitleScreen(Desktop& desktop, const Catalog& texts)
    : Form(texts.design(titleLayout())),
      Text1(get<TextBox>("Text1")),
      Timer1(get<Timer>("Timer1")),
      Timer2(get<Timer>("Timer2")),
      Frame1(get<Frame>("Frame1")),
      Label1(get<Label>("Label1")),
      Label2(get<Label>("Label2")),
      Image1(get<Image>("Image1")),
      Command1(get<Button>("Command1")),
      Command2(get<Button>("Command2")),
      desktop_(desktop),
      texts_(texts) {
    Timer1.onTimer = [this] { Timer1_Timer(); };
    Timer2.onTimer = [this] { Timer2_Timer(); };
    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
}

void TitleScreen::Form_Load() {
    ScrollTop = 1000;
    Timer1.setInterval(500);
    Timer1.setEnabled(true);
    // As often as the timer grid allows: 64 ticks a second.
    Timer2.setInterval(1);
    Timer2.setEnabled(true);
}

void TitleScreen::Timer1_Timer() {
    Label2.setForeColour(Label2.foreColour() == kBlue ? kNavy : kBlue);
}

void TitleScreen::Timer2_Timer() {
    if (ScrollTop <= -6000) {
        // Rests at the top for one tick, then comes in again from below the frame.
        ScrollTop = 1400;
        return;
    }
    ScrollTop = static_cast<std::int16_t>(ScrollTop - 5);
    Image1.setTop(ScrollTop);
}

void TitleScreen::Command1_Click() {
    if (Text1.text().empty()) Text1.setText(texts_.tr(title_text::kNameless));
    desktop_.hide(*this);
    if (!mission_) return;
    desktop_.load(*mission_);
    desktop_.show(*mission_);
}

void TitleScreen::Command2_Click() {
    desktop_.messageBox(texts_.tr(title_text::kGoHome), kInformationOk, "");
    desktop_.unload(*this);
    desktop_.end();
}

}  // namespace skyvane

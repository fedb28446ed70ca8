// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "screens/closing_screen.h"

#include "layouts/layouts.h"

namespace skyvane {

ClosingScreen::ClosingScreen(Desktop& desktop, const TextBox& pilotName, const Catalog& texts)
    : Form(texts.design(closingLayout())),
      Command1(get<Button>("Command1")),
      Label1(get<Label>("Label1")),
      Label2(get<Label>("Label2")),
      Label3(get<Label>("Label3")),
      Label4(get<Label>("Label4")),
      desktop_(desktop),
      pilotName_(pilotName) {
    Command1.onClick = [this] { Command1_Click(); };
}

void ClosingScreen::Form_Load() {
    Label4.setCaption(pilotName_.text());
}

void ClosingScreen::Command1_Click() {
    desktop_.unload(*this);
}

void ClosingScreen::Form_Unload(std::int16_t& Cancel) {
    (void)Cancel;
    desktop_.end();
}

}  // namespace skyvane

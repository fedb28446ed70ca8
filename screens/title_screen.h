// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

#include "platform/catalog.h"
#include "platform/desktop.h"
#include "platform/form.h"

namespace skyvane {

// The start-up screen: the title blinks over the scrolling prologue, the player types a name
// and joins the mission or goes home. Its name box is the one place the pilot's name lives.
class TitleScreen : public Form {
  public:
    explicit TitleScreen(Desktop& desktop, const Catalog& texts = Catalog::source());
    // The screen that joining opens.
    void joinsInto(Form& mission) { mission_ = &mission; }

    std::int16_t ScrollTop = 0;  // the Top given to the prologue

    TextBox& Text1;
    Timer &Timer1, &Timer2;
    Frame& Frame1;
    Label &Label1, &Label2;
    Image& Image1;
    Button &Command1, &Command2;

    void Form_Load() override;
    void Timer1_Timer();
    void Timer2_Timer();
    void Command1_Click();
    void Command2_Click();

  private:
    Desktop& desktop_;
    const Catalog& texts_;
    Form* mission_ = nullptr;
};

namespace title_text {
inline constexpr const char* kNameless = "名無し";
inline constexpr const char* kGoHome =
    "残念ながら君の協力が無かったため、被害は甚大な\r"
    "ものとなりました。次回のミッションに期待します。";
}  // namespace title_text

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <vector>

#include "mission/mission_screen.h"
#include "platform/desktop.h"
#include "platform/sound.h"
#include "screens/closing_screen.h"
#include "screens/title_screen.h"

namespace skyvane {

// The three screens of one run, wired to each other. Each is built before anything uses it:
// the title screen learns which screen joining opens once that screen exists.
struct Game {
    Game(Desktop& desktop, Sound& sound, const Catalog& texts = Catalog::source())
        : title(desktop, texts),
          closing(desktop, title.Text1, texts),
          mission(desktop, sound, title.Text1, closing, texts),
          desktop_(desktop) {
        title.joinsInto(mission);
    }

    // The game starts on the title screen.
    void start() { desktop_.show(title); }
    std::vector<Form*> forms() { return {&title, &mission, &closing}; }

    TitleScreen title;
    ClosingScreen closing;
    MissionScreen mission;

  private:
    Desktop& desktop_;
};

}  // namespace skyvane

#pragma once

#include "mission/mission_screen.h"
#include "platform/desktop.h"
#include "platform/sound.h"
#include "screens/closing_screen.h"
#include "screens/title_screen.h"

namespace skyvane {

// The three screens of one run, wired to each other.
struct Game {
    Game(Desktop& desktop, Sound& sound)
        : title(desktop, mission),
          closing(desktop, title.Text1),
          mission(desktop, sound, title.Text1, closing),
          desktop_(desktop) {}

    // The game starts on the title screen.
    void start() { desktop_.show(title); }

    TitleScreen title;
    ClosingScreen closing;
    MissionScreen mission;

  private:
    Desktop& desktop_;
};

}  // namespace skyvane

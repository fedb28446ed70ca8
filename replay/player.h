// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A recorded run played into a desktop, and where it ends: the one rule every player of a file
// keeps, headless, in the windows and in the page.

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/desktop_base.h"
#include "replay/format.h"

namespace skyvane::replay {

// Feeds the inputs into the desktop at the periods they were taken; while it plays, the player
// is locked out and the desktop makes no repeats of its own.
//
// The replay ends at the first of two moments:
// - the program ends (an `end` line, a window closed, a handler that ends the game);
// - every input has been applied and the game has done what they started: the grid stands at
//   the period of the last input (for a stall, the last period it passed over) with that
//   period's timers run, and a handler that waited on a box the replay closed has gone on to
//   its end.
// A file without `end` (a run that died, a disk that filled) thus ends where its last input
// leaves the game, with a box still open if it opened one. At that moment onEnded runs, once,
// and from then on the grid holds: nothing happens that the recorded run did not do.
class Player : private InputSource {
  public:
    Player(DesktopBase& desktop, std::vector<Form*> forms, Recording inputs);
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool ended() const { return ended_; }
    std::function<void()> onEnded;

    // For a desktop without a clock of its own (headless): runs the grid as fast as it goes
    // until the replay ends, or, called while a message box is open, until the replay closes
    // that box.
    void pump(const std::function<void()>& runPeriod);

  private:
    bool beforePeriod() override;
    void periodStart() override;
    void programEnded() override;
    bool finished() const { return next_ >= inputs_.size(); }
    void applyNext();
    void reachEnd();

    DesktopBase& desktop_;
    std::vector<Form*> forms_;
    Recording inputs_;
    std::size_t next_ = 0;
    std::uint64_t last_ = 0;
    // The box the replay closed last, by its depth, until its handler has gone on.
    int closing_ = 0;
    int closed_ = 0;  // for pump: the depth of the box just closed
    bool ended_ = false;
};

}  // namespace skyvane::replay

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The desktop in a web page: each loaded form a window drawn with the page's own elements
// (platform/web/page.js builds and updates them), the timer grid paced on performance.now(),
// the player's keys and clicks, modal message boxes and Web Audio sound.
//
// A page cannot block, and the game's message boxes do: the program runs its own loop and, built
// with Asyncify, yields to the browser between turns (emscripten_sleep). The page never calls
// into the game: it queues what the player did, and each turn of the loop takes the queue.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/desktop_base.h"
#include "platform/pacer.h"
#include "platform/pad.h"
#include "platform/sound.h"

namespace skyvane::web {

class PageWindow;

class WebDesktop : public DesktopBase {
  public:
    WebDesktop();
    ~WebDesktop() override;

    // The forms of the game, by which the page's events name windows and elements.
    void setForms(std::vector<Form*> forms) { forms_ = std::move(forms); }
    // Runs the game's loop until the program ends.
    void run();
    // A replay watched faster (2, 4, up to 64) or slower (0.5) than the game's own clock.
    void setSpeed(double speed);

    // One event from the page, as it queued it: "kdown Form1 ArrowLeft" (a key's source after
    // it: "touch", "key" when none), "pad Form1 BUTTONS X Y" (a gamepad as it stands),
    // "click Form2 Command1", "text Form2 Text1 =Ace", "close Form1", "focus Form2 Text1",
    // "tab Form2 1", "lostkeys", "box". Public for the tests; the loop takes them itself.
    void handle(std::string_view event);

  protected:
    void attach(Form& form) override;
    void detach(Form& form) override;
    void present(Form& form, bool visible) override;
    void runMessageBox(const std::string& text, int style, const std::string& title) override;
    void closeMessageBox() override;
    void quit() override;
    void say(Form& form, const std::string& words) override;

  private:
    // The page's turn, which yields to the browser at its end. Every function on the stack when
    // it yields runs again at each turn (Asyncify unwinds and rewinds them), and the browser
    // compiles anew each function that runs often: step() stays small, and the work of a turn
    // is in functions that have returned by then.
    void step();
    // The periods that are due; the time to wait for the next, in milliseconds.
    [[gnu::noinline]] unsigned runDuePeriods();
    // After each period: what a reader is told, and what waits to be shown still.
    [[gnu::noinline]] void endPeriod();
    [[gnu::noinline]] void takeEvents();
    void tab(Form& form, bool back);
    Form* form(std::string_view name) const;
    PageWindow* windowFor(const Form& form) const;

    std::vector<Form*> forms_;
    std::unordered_map<const Form*, std::unique_ptr<PageWindow>> windows_;
    Pacer pacer_;
    PadMapper pad_;
    bool boxOpen_ = false;
};

// The game's sounds through the page's Web Audio.
class WebSound : public Sound {
  public:
    void play(const char* name, unsigned flags) override;
    void guide(const Guide& guide) override;
};

}  // namespace skyvane::web

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// What the player and the system did to a run, each with the period of the timer grid at which
// the game took it. The game is a pure function of these on the grid, so a list of them is a
// replay.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/form.h"

namespace skyvane {

struct Input {
    enum class Kind {
        KeyDown,       // form, code
        KeyUp,         // form, code
        Repeat,        // form, code: a repeat the desktop made at the start of the period
        Click,         // form, element
        Close,         // form: the window's close box
        BoxClosed,     // the player closed the message box
        Text,          // form, element, text: the player edited a text box
        Focus,         // form, element (empty: the window): the player moved the focus
        LostKeyboard,  // the window lost the keyboard: held keys count as released
        Skip,          // value: the desktop passed over periods up to this one (a stall)
        End,           // the program ended
        Wait,          // nothing happened until this period (a recording that stops here)
    };
    std::uint64_t period = 0;
    Kind kind = Kind::KeyDown;
    std::string form{};
    std::string element{};
    int code = 0;
    std::uint64_t value = 0;
    std::string text{};

    friend bool operator==(const Input&, const Input&) = default;
};

// Hears every input the desktop takes, at the period it takes it (a recording).
class InputSink {
  public:
    virtual ~InputSink() = default;
    virtual void input(const Input& input) = 0;
};

// Gives the desktop its inputs instead of the player (a replay): asked before every period and
// at its start, and told when the program ends.
class InputSource {
  public:
    virtual ~InputSource() = default;
    // Between two periods: applies what is due; false holds the grid where it stands.
    virtual bool beforePeriod() = 0;
    // At the start of a period, where the desktop makes its repeats.
    virtual void periodStart() = 0;
    virtual void programEnded() = 0;
};

// Everything the logic does, for logs that two runs can be compared by: every handler call, on
// top of the property changes a form observer sees.
class Trace : public FormObserver {
  public:
    // A handler such as Timer5_Timer, Command1_Click or Form_KeyDown: the element (or "Form"),
    // the event, and the key code of a key event (else 0).
    virtual void handlerCalled(const Form& form, std::string_view element, std::string_view event,
                               int code) = 0;
};

}  // namespace skyvane

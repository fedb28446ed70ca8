// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <string>

#include "platform/form.h"

namespace skyvane {

// Message box style: information icon, a single OK button.
inline constexpr int kInformationOk = 64;

// Thrown by Desktop::end() to leave every handler on the stack at once; the desktop catches it
// where it called the outermost handler.
struct ProgramEnded {};

// The windowing services the game logic calls.
class Desktop {
  public:
    virtual ~Desktop() = default;
    // Loading runs Form_Load; loading a loaded form does nothing.
    virtual void load(Form& form) = 0;
    // Shows modelessly, loading first if needed.
    virtual void show(Form& form) = 0;
    virtual void hide(Form& form) = 0;
    // Runs Form_Unload; unless it cancels, the form goes away. Unloading the last form ends the
    // program.
    virtual void unload(Form& form) = 0;
    // Modal; returns when the player has closed it.
    virtual void messageBox(const std::string& text, int style, const std::string& title) = 0;
    // Ends the program at once: no handler of any form runs again, and the calling handler
    // does nothing more.
    [[noreturn]] virtual void end() = 0;
};

}  // namespace skyvane

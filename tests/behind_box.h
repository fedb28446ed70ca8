// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// What a player might aim at the windows behind each of the game's message boxes. Both desktops
// run the same table and must refuse every row: no handler runs, nothing ends.

#include <string>
#include <vector>

#include "platform/desktop_base.h"
#include "platform/keys.h"
#include "screens/game.h"

namespace skyvane::testing {

enum class Box { GoHome, Farewell, Win };

struct BoxCase {
    const char* name;
    Box box;
};
inline const BoxCase kBoxes[] = {
    {"go home", Box::GoHome}, {"farewell", Box::Farewell}, {"win", Box::Win}};

struct BehindBox {
    enum Kind { Click, Key, Close, Focus } kind;
    const char* form;
    const char* element = "";
    int key = 0;
};
inline const std::vector<BehindBox> kInputsBehindABox = {
    {BehindBox::Click, "Form2", "Command1"},
    {BehindBox::Click, "Form2", "Command2"},
    {BehindBox::Click, "Form1", "Command1"},
    {BehindBox::Click, "Form1", "Command2"},
    {BehindBox::Click, "Form1", "Command3"},
    {BehindBox::Key, "Form2", "", vk::Return},
    {BehindBox::Key, "Form1", "", vk::Return},
    {BehindBox::Key, "Form1", "", vk::Space},
    {BehindBox::Key, "Form1", "", vk::Left},
    {BehindBox::Key, "Form1", "", vk::Shift},
    {BehindBox::Close, "Form2"},
    {BehindBox::Close, "Form1"},
    {BehindBox::Focus, "Form2", "Text1"},
    {BehindBox::Focus, "Form1", "Command2"},
};

inline std::string describe(const BehindBox& in) {
    switch (in.kind) {
        case BehindBox::Click:
            return std::string("click ") + in.form + "." + in.element;
        case BehindBox::Key:
            return std::string("key ") + std::to_string(in.key) + " on " + in.form;
        case BehindBox::Close:
            return std::string("close ") + in.form;
        case BehindBox::Focus:
            return std::string("focus ") + in.form + "." + in.element;
    }
    return "?";
}

inline Form* formNamed(Game& game, const std::string& name) {
    return skyvane::formNamed(game.forms(), name);
}

// Counts the handlers that only the player can set off.
class PlayerHandlers : public Trace {
  public:
    void handlerCalled(const Form&, std::string_view element, std::string_view event,
                       int) override {
        if (event == "Click" || event == "KeyDown" || event == "KeyUp" ||
            (element == "Form" && event == "Unload"))
            ++count;
    }
    void elementChanged(Element&, Property) override {}
    void formChanged(Form&, Property) override {}
    int count = 0;
};

// Sets the helicopter down somewhere and lets the landing rules judge it once.
inline void judge(DesktopBase& d, MissionScreen& m, bool outbound, std::int16_t x, std::int16_t z) {
    m.Outbound = outbound ? -1 : 0;
    m.HeliX = x;
    m.HeliZ = z;
    m.HeliY = 2360;
    m.SpeedY = 10;
    d.invoke([&] { m.Timer5_Timer(); });
}

// Brings the game to the moment the box opens; the desktop's box hook does the rest.
inline void openBox(DesktopBase& d, Game& g, Box box) {
    if (box == Box::GoHome) {
        d.click(g.title.Command2);
        return;
    }
    d.editText(g.title.Text1, "Ace");
    d.click(g.title.Command1);
    if (box == Box::Farewell) {
        d.click(g.mission.Command2);
        return;
    }
    for (int trip = 0; trip < 5; ++trip) {
        d.click(g.mission.Command1);
        judge(d, g.mission, true, 600, 1150);
        d.click(g.mission.Command3);
        judge(d, g.mission, false, 3590, 2360);
    }
}

}  // namespace skyvane::testing

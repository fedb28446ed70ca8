// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <initializer_list>

// Rows of the layout tables. Each row names its fields, so a reader sees which number is which,
// and says in a few words what the element is for:
//
//   label({.name = "Label8", .role = "altitude readout", .box = {1440, 120, 1095, 375},
//          .caption = "0", .look = kNumber, .tab = 11})

#include <string>

#include "layouts/colours.h"
#include "platform/form.h"

namespace skyvane::layout {

// Left, top, width and height in twips, relative to the container.
struct Box {
    int left = 0, top = 0, width = 0, height = 0;
};

// Labels of the game are yellow on black unless their row says otherwise.
struct LabelLook {
    Colour fore = colours::kYellow;
    Colour back = colours::kBlack;
    FontDesign font = {};  // no face: the window's default font
    bool border = false;
    Align align = Align::Left;
    bool opaque = true;
};

struct LabelRow {
    const char* name;
    const char* role;
    const char* in = "";  // the frame that holds it; empty: the window
    Box box;
    const char* caption = "";
    LabelLook look = {};
    int tab = -1;  // kept as laid out; only buttons and text boxes take the focus
};

struct ImageRow {
    const char* name;
    const char* role;
    const char* in = "";
    Box box;
    const char* picture = "";  // none
    bool stretch = true;
};

struct ShapeRow {
    const char* name;
    const char* role;
    const char* in = "";
    Box box;
    ShapeStyle look = {};
};

struct FrameRow {
    const char* name;
    const char* role;
    Box box;
    Colour background = colours::kBlack;
    int tab = -1;
};

struct ButtonRow {
    const char* name;
    const char* role;
    Box box;
    const char* caption;
    int tab;
};

struct TextBoxRow {
    const char* name;
    const char* role;
    Box box;
    int tab;
};

struct TimerRow {
    const char* name;
    const char* role;
    int interval;  // milliseconds, as stored
};

struct WindowRow {
    const char* name;
    const char* caption;
    int width, height;  // of the client area, in twips
    BorderStyle border;
    bool minButton = false, maxButton = false;
    StartPosition start = StartPosition::CentreScreen;
    const char* icon;
};

ElementDesign label(const LabelRow& row);
ElementDesign image(const ImageRow& row);
ElementDesign shape(const ShapeRow& row);
ElementDesign frame(const FrameRow& row);
ElementDesign button(const ButtonRow& row);
ElementDesign textBox(const TextBoxRow& row);
ElementDesign timer(const TimerRow& row);
FormDesign window(const WindowRow& row);

// How a screen reader reads an element, where it does not read it by its own text.
struct ReadingRow {
    const char* name;
    Reading reading;
    const char* readWith = "";      // the label whose caption names it
    const char* spoken = "";        // a picture's name
    const char* spokenAtRest = "";  // a lamp's name while it is off
    const char* describedBy = "";   // a button's: the elements whose words describe it
};
// Sets the readings of the window's elements; every name must be one of them.
void readAs(FormDesign& form, std::initializer_list<ReadingRow> rows);

// How an element that blinks holds still for a player who asks for no motion.
struct StillRow {
    const char* name;
    Still still;
    Colour colour = 0;  // for Still::Colour
};
void holdStill(FormDesign& form, std::initializer_list<StillRow> rows);

}  // namespace skyvane::layout

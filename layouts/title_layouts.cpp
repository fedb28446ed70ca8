// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The two small windows around the mission: the title screen, where the title blinks over the
// scrolling prologue and the pilot types a name, and the closing screen that thanks the pilot.

#include "layouts/builders.h"
#include "layouts/layouts.h"

namespace skyvane {

using namespace layout;
using namespace colours;

namespace {

const FontDesign kTitleFont{faces::kMincho, 26.25, true};

FormDesign buildTitle() {
    FormDesign f = window({.name = "Form2",
                           .caption = "SV（災害救助シュミレーション）",
                           .width = 6015,
                           .height = 2130,
                           .border = BorderStyle::FixedSingle,
                           .icon = pictures::kSideLeft});
    f.elements = {
        textBox({.name = "Text1",
                 .role = "the pilot's name, of any length",
                 .box = {1920, 1320, 3015, 270},
                 .tab = 4}),
        timer({.name = "Timer2", .role = "scroll tick of the prologue", .interval = 0}),
        frame({.name = "Frame1",
               .role = "viewing window of the title and the prologue",
               .box = {120, 120, 5775, 1095},
               .background = kBlack,
               .tab = 2}),
        label({.name = "Label2",
               .role = "the game's title, blinking between two blues",
               .in = "Frame1",
               .box = {840, 240, 3855, 615},
               .caption = "Skyvane",
               .look = {.fore = kNavy, .font = kTitleFont, .align = Align::Centre, .opaque = false},
               .tab = 3}),
        image({.name = "Image1",
               .role = "the prologue, scrolled up through the frame",
               .in = "Frame1",
               .box = {120, 1800, 5445, 6045},
               .picture = pictures::kPrologue,
               .stretch = false}),
        timer({.name = "Timer1", .role = "blink tick of the title", .interval = 500}),
        button({.name = "Command2",
                .role = "go home: decline and end the game",
                .box = {3240, 1680, 1695, 375},
                .caption = "いなかに帰る",
                .tab = 1}),
        button({.name = "Command1",
                .role = "join the mission",
                .box = {1080, 1680, 1695, 375},
                .caption = "ミッションに参加する",
                .tab = 0}),
        label({.name = "Label1",
               .role = "caption of the name box",
               .box = {1320, 1400, 615, 255},
               .caption = "NAME",
               .tab = 5}),
    };
    // The name box is named by its caption; the prologue is read as its text.
    readAs(f, {
                  {"Frame1", Reading::Own, "Label2"},
                  {"Text1", Reading::Own, "Label1"},
                  {"Label1", Reading::Hidden},
                  {"Image1", Reading::Named, "", kPrologueText},
              });
    // For a player who asks for no motion the title holds its brighter blue.
    holdStill(f, {{"Label2", Still::Colour, kBlue}});
    return f;
}

FormDesign buildClosing() {
    FormDesign f = window({.name = "Form3",
                           .caption = "SV",
                           .width = 4680,
                           .height = 3195,
                           .border = BorderStyle::Sizable,
                           .minButton = true,
                           .maxButton = true,
                           .start = StartPosition::WindowsDefault,
                           .icon = pictures::kSideRight});
    f.elements = {
        button({.name = "Command1",
                .role = "close: the end of the game",
                .box = {1560, 2520, 1455, 375},
                .caption = "閉じる",
                .tab = 4}),
        label({.name = "Label4",
               .role = "the pilot's name, read when the screen loads",
               .box = {1560, 1920, 1095, 255},
               .caption = "Label4",
               .tab = 3}),
        label({.name = "Label3",
               .role = "thanks, left of the name",
               .box = {600, 1920, 855, 255},
               .caption = "ありがとう",
               .tab = 2}),
        label({.name = "Label1",
               .role = "the tribute to the pilot, two lines",
               .box = {600, 960, 3855, 855},
               .caption =
                   "君の勇気と操縦技術により、今回の災害被害は最小限にとどめられた。\r\n"
                   "君の名前はこの国の歴史に残り、人々は、君のことを永遠に忘れないことだろう・・"
                   "\r\n\r",
               .tab = 1}),
        label({.name = "Label2",
               .role = "the game's title",
               .box = {360, 240, 3855, 615},
               .caption = "Skyvane",
               .look = {.fore = kBlue, .font = kTitleFont, .align = Align::Centre, .opaque = false},
               .tab = 0}),
    };
    // The button that ends the game is heard with the tribute and the thanks to the pilot.
    readAs(f, {{"Command1", Reading::Own, "", "", "", "Label1 Label3 Label4"}});
    return f;
}

}  // namespace

const FormDesign& titleLayout() {
    static const FormDesign design = buildTitle();
    return design;
}

const FormDesign& closingLayout() {
    static const FormDesign design = buildClosing();
    return design;
}

}  // namespace skyvane

#include "layouts/builders.h"
#include "layouts/layouts.h"

namespace skyvane {

using namespace layout;

namespace {

const FontSpec kTitleFont{kMincho, 26.25, true};

FormSpec buildTitle() {
    FormSpec f;
    f.name = "Form2";
    f.caption = "SV（災害救助シュミレーション）";
    f.clientWidth = 6015;
    f.clientHeight = 2130;
    f.border = BorderStyle::FixedSingle;
    f.minButton = false;
    f.maxButton = false;
    f.background = kBlack;
    f.start = StartPosition::CentreScreen;
    f.icon = pictures::SideLeft;

    auto& e = f.elements;
    e.push_back(textBox("Text1", {1920, 1320, 3015, 270}, 4));
    e.push_back(timer("Timer2", 0));
    e.push_back(frame("Frame1", {120, 120, 5775, 1095}, kBlack, 2));
    e.push_back(label("Label2", "Frame1", {840, 240, 3855, 615}, "Skyvane",
                      {4194304, kBlack, kTitleFont, false, Align::Centre, false}, 3));
    e.push_back(image("Image1", "Frame1", {120, 1800, 5445, 6045}, pictures::Prologue, false));
    e.push_back(timer("Timer1", 500));
    e.push_back(button("Command2", {3240, 1680, 1695, 375}, "いなかに帰る", 1));
    e.push_back(button("Command1", {1080, 1680, 1695, 375}, "ミッションに参加する", 0));
    e.push_back(label("Label1", "", {1320, 1400, 615, 255}, "NAME", {kYellow, kBlack}, 5));
    return f;
}

FormSpec buildClosing() {
    FormSpec f;
    f.name = "Form3";
    f.caption = "SV";
    f.clientWidth = 4680;
    f.clientHeight = 3195;
    f.border = BorderStyle::Sizable;
    f.minButton = true;
    f.maxButton = true;
    f.background = kBlack;
    f.start = StartPosition::WindowsDefault;
    f.icon = pictures::SideRight;

    auto& e = f.elements;
    e.push_back(button("Command1", {1560, 2520, 1455, 375}, "閉じる", 4));
    e.push_back(label("Label4", "", {1560, 1920, 1095, 255}, "Label4", {kYellow, kBlack}, 3));
    e.push_back(label("Label3", "", {600, 1920, 855, 255}, "ありがとう", {kYellow, kBlack}, 2));
    e.push_back(label("Label1", "", {600, 960, 3855, 855},
                      "君の勇気と操縦技術により、今回の災害被害は最小限にとどめられた。\r\n"
                      "君の名前はこの国の歴史に残り、人々は、君のことを永遠に忘れないことだろう・・"
                      "\r\n\r",
                      {kYellow, kBlack}, 1));
    e.push_back(label("Label2", "", {360, 240, 3855, 615}, "Skyvane",
                      {kBlue, kBlack, kTitleFont, false, Align::Centre, false}, 0));
    return f;
}

}  // namespace

const FormSpec& titleLayout() {
    static const FormSpec design = buildTitle();
    return design;
}

const FormSpec& closingLayout() {
    static const FormSpec design = buildClosing();
    return design;
}

}  // namespace skyvane

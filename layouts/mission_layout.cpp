#include "layouts/builders.h"
#include "layouts/layouts.h"

namespace skyvane {

using namespace layout;

namespace {

const FontSpec kNumber{kPGothic, 14.25, false};
const FontSpec kCaption{kGothic, 14.25, false};
const FontSpec kMessage{kPGothic, 9.75, true};

const LabelLook kCaptionLook{kYellow, kBlack, kCaption};
const LabelLook kNumberLook{kYellow, kBlack, kNumber, true, Align::Right};
const LabelLook kPlainLook{kYellow, kBlack};
const LabelLook kSpareLook{kWindowText, kButtonFace, {}, false, Align::Right};

FormSpec build() {
    FormSpec f;
    f.name = "Form1";
    f.caption = "SV";
    f.clientWidth = 9225;
    f.clientHeight = 6000;
    f.border = BorderStyle::FixedSingle;
    f.minButton = true;
    f.maxButton = false;
    f.background = kBlack;
    f.start = StartPosition::CentreScreen;
    f.icon = pictures::SideLeft;

    auto& e = f.elements;
    // The map, front to back.
    e.push_back(image("Image11", "Frame1", {720, 720, 240, 240}, "", true));
    e.push_back(image("Image9", "Frame1", {3840, 0, 495, 495}, pictures::ExplosionMap, true));
    e.push_back(image("Image3", "Frame1", {3600, 2400, 480, 480}, pictures::TopLeft, true));
    e.push_back(shape("Shape5", "Frame1", {3600, 2400, 375, 375},
                      {ShapeKind::Circle, Fill::Opaque, kGrey, kBlack, kWhite, 4}));
    e.push_back(shape("Shape6", "Frame1", {3520, 2330, 500, 500},
                      {ShapeKind::RoundedRectangle, Fill::Opaque, kGrey, kBlack, kDarkGrey, 1}));
    e.push_back(image("Image7", "Frame1", {0, 1200, 375, 375}, pictures::ArrowLeft, true));
    e.push_back(image("Image6", "Frame1", {3960, 1200, 375, 375}, pictures::ArrowRight, true));
    e.push_back(image("Image5", "Frame1", {2040, 2520, 375, 375}, pictures::ArrowDown, true));
    e.push_back(image("Image4", "Frame1", {2040, 0, 375, 375}, pictures::ArrowUp, true));
    e.push_back(shape("Shape1", "Frame1", {600, 1200, 375, 375},
                      {ShapeKind::RoundedRectangle, Fill::Solid, 33023, 33023, 8438015, 3}));

    // The side view, front to back.
    e.push_back(image("Image8", "Frame2", {4080, 2520, 480, 480}, pictures::ExplosionSide, false));
    e.push_back(shape("Shape7", "Frame2", {3600, 2840, 375, 60},
                      {ShapeKind::Rectangle, Fill::Opaque, kGrey, kBlack, kDarkGrey, 1}));
    e.push_back(shape("Shape3", "Frame2", {0, 2880, 4335, 15},
                      {ShapeKind::Rectangle, Fill::Transparent, kBlack, kBlack, kBlue, 1}));
    e.push_back(image("Image2", "Frame2", {3600, 2350, 480, 480}, pictures::SideLeft, true));
    e.push_back(shape("Shape2", "Frame2", {600, 2835, 375, 45},
                      {ShapeKind::RoundedRectangle, Fill::Opaque, kRed, kBlack, 16576, 1}));

    // The window, front to back.
    e.push_back(label("Label24", "", {7080, 720, 375, 255}, "人", kPlainLook, 28));
    e.push_back(label("Label23", "", {6480, 600, 495, 375}, "0", kNumberLook, 27));
    e.push_back(label("Label22", "", {5880, 600, 615, 375}, "搭乗", kCaptionLook, 26));
    e.push_back(image("Image23", "", {8400, 480, 255, 255}, pictures::ArrowRight, true));
    e.push_back(image("Image22", "", {7680, 480, 255, 255}, pictures::ArrowLeft, true));
    e.push_back(image("Image21", "", {8040, 840, 255, 255}, pictures::ArrowDown, true));
    e.push_back(image("Image20", "", {8040, 120, 255, 255}, pictures::ArrowUp, true));
    e.push_back(label("Label21", "", {7680, 120, 1095, 255}, "出力　　操舵", kPlainLook, 25));
    e.push_back(shape("Shape8", "", {7980, 400, 375, 375},
                      {ShapeKind::Circle, Fill::Solid, kBlack, 64, kDarkGrey, 3}));
    e.push_back(label("Label20", "", {5280, 720, 375, 255}, "人", kPlainLook, 24));
    e.push_back(label("Label18", "", {4320, 600, 855, 375}, "0", kNumberLook, 23));
    e.push_back(label("Label17", "", {3120, 600, 1215, 375}, "救助人数", kCaptionLook, 22));
    e.push_back(image("Image19", "", {4080, 8160, 375, 375}, pictures::TopUp, true));
    e.push_back(image("Image18", "", {3600, 8160, 375, 375}, pictures::TopDown, true));
    e.push_back(image("Image17", "", {3120, 8160, 375, 375}, pictures::TopRight, true));
    e.push_back(image("Image16", "", {2640, 8160, 375, 375}, pictures::TopLeft, true));
    e.push_back(image("Image15", "", {2040, 8160, 375, 375}, pictures::Rear, true));
    e.push_back(image("Image14", "", {1560, 8160, 375, 375}, pictures::Front, true));
    e.push_back(image("Image13", "", {1080, 8160, 375, 375}, pictures::SideRight, true));
    e.push_back(image("Image12", "", {600, 8160, 375, 375}, pictures::SideLeft, true));
    e.push_back(image("Image10", "", {1440, 6600, 360, 360}, pictures::RedCross, true));
    e.push_back(label("Label19", "", {2640, 720, 375, 255}, "㍑", kPlainLook, 20));
    e.push_back(label("Label16", "", {1440, 600, 1095, 375}, "0", kNumberLook, 19));
    e.push_back(label("Label15", "", {240, 600, 1215, 375}, "燃　　料", kCaptionLook, 18));
    e.push_back(label("Label14", "", {5280, 240, 495, 255}, "km/h", kPlainLook, 17));
    e.push_back(label("Label13", "", {2640, 240, 255, 255}, "m", kPlainLook, 16));
    e.push_back(label("Label12", "", {1320, 1800, 2055, 255}, "高度図（側面からの視点）",
                      {kBlue, kBlack}, 15));
    e.push_back(label("Label11", "", {6000, 1800, 1935, 255}, "位置図（上からの視点）",
                      {kBlue, kBlack}, 14));
    e.push_back(label("Label10", "", {1560, 5040, 5655, 255},
                      "キー操作　＝　上昇　：　Ｓｈｉｆｔキー　　　　　　　方位　：　←↑↓→キー",
                      {kRed, kBlack}, 13));
    e.push_back(label("Label5", "", {4320, 120, 855, 375}, "0", kNumberLook, 6));
    e.push_back(label("Label6", "", {3120, 120, 1215, 375}, "昇降速度", kCaptionLook, 9));
    e.push_back(label("Label8", "", {1440, 120, 1095, 375}, "0", kNumberLook, 11));
    e.push_back(label("Label7", "", {240, 120, 1215, 375}, "高　　度", kCaptionLook, 10));
    e.push_back(label("Label9", "", {120, 1200, 9015, 495}, "",
                      {kYellow, kBlack, kMessage, true, Align::Centre}, 12));
    e.push_back(label("Label4", "", {4680, 7440, 495, 255}, "0", kSpareLook, 5));
    e.push_back(label("Label3", "", {1800, 7440, 375, 255}, "0", kSpareLook, 4));
    e.push_back(label("Label2", "", {1320, 6960, 375, 255}, "0", kSpareLook, 3));
    e.push_back(label("Label1", "", {4680, 7080, 495, 255}, "0", kSpareLook, 2));
    e.push_back(image("Image1", "", {1320, 7320, 375, 375}, pictures::WarningSign, true));
    e.push_back(shape("Shape4", "", {120, 0, 9015, 1095},
                      {ShapeKind::Rectangle, Fill::Transparent, kBlack, kBlack, kGrey, 1}));

    // Windows of their own, above everything drawn on the window.
    e.push_back(frame("Frame2", {120, 2040, 4335, 2895}, 16777152, 1));
    e.push_back(frame("Frame1", {4800, 2040, 4355, 2895}, 16744576, 0));
    e.push_back(button("Command1", {3960, 5400, 1335, 375}, "ＧＯ", 7));
    e.push_back(button("Command3", {3960, 5400, 1335, 375}, "ＢＡＣＫ", 21));
    e.push_back(button("Command2", {6600, 5400, 975, 375}, "閉じる", 8));

    e.push_back(timer("Timer1", 10));
    e.push_back(timer("Timer3", 10));
    e.push_back(timer("Timer5", 10));
    e.push_back(timer("Timer6", 10));
    e.push_back(timer("Timer7", 1000));
    e.push_back(timer("Timer2", 190));
    return f;
}

}  // namespace

const FormSpec& missionLayout() {
    static const FormSpec design = build();
    return design;
}

}  // namespace skyvane

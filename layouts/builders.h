#pragma once

// Small constructors that keep the layout tables readable: one line an element.

#include <string>

#include "layouts/colours.h"
#include "platform/element.h"

namespace skyvane::layout {

using namespace colours;

struct Box {
    int left, top, width, height;
};

inline ElementSpec place(ElementKind kind, std::string name, std::string container, Box b) {
    ElementSpec e;
    e.kind = kind;
    e.name = std::move(name);
    e.container = std::move(container);
    e.left = b.left;
    e.top = b.top;
    e.width = b.width;
    e.height = b.height;
    return e;
}

struct LabelLook {
    Colour fore = kYellow;
    Colour back = kBlack;
    FontSpec font = {};
    bool border = false;
    Align align = Align::Left;
    bool opaque = true;
};

inline ElementSpec label(std::string name, std::string container, Box b, std::string caption,
                         LabelLook look, int tab) {
    auto e = place(ElementKind::Label, std::move(name), std::move(container), b);
    e.caption = std::move(caption);
    e.foreColour = look.fore;
    e.backColour = look.back;
    e.font = look.font;
    e.border = look.border;
    e.align = look.align;
    e.opaque = look.opaque;
    e.tabIndex = tab;  // kept as laid out; only buttons and text boxes take the focus
    return e;
}

inline ElementSpec image(std::string name, std::string container, Box b, std::string picture,
                         bool stretch) {
    auto e = place(ElementKind::Image, std::move(name), std::move(container), b);
    e.picture = std::move(picture);
    e.stretch = stretch;
    return e;
}

struct ShapeLook {
    ShapeKind kind = ShapeKind::Rectangle;
    Fill fill = Fill::Transparent;
    Colour back = kBlack;  // interior of an opaque shape
    Colour fillColour = kBlack;
    Colour border = kBlack;
    int borderWidth = 1;
};

inline ElementSpec shape(std::string name, std::string container, Box b, ShapeLook look) {
    auto e = place(ElementKind::Shape, std::move(name), std::move(container), b);
    e.shape = look.kind;
    e.fill = look.fill;
    e.backColour = look.back;
    e.fillColour = look.fillColour;
    e.borderColour = look.border;
    e.borderWidth = look.borderWidth;
    return e;
}

inline ElementSpec frame(std::string name, Box b, Colour background, int tab) {
    auto e = place(ElementKind::Frame, std::move(name), {}, b);
    e.backColour = background;
    e.tabIndex = tab;
    return e;
}

inline ElementSpec button(std::string name, Box b, std::string caption, int tab) {
    auto e = place(ElementKind::Button, std::move(name), {}, b);
    e.caption = std::move(caption);
    e.tabIndex = tab;
    return e;
}

inline ElementSpec textBox(std::string name, Box b, int tab) {
    auto e = place(ElementKind::TextBox, std::move(name), {}, b);
    e.foreColour = kWindowText;
    e.backColour = kWhite;
    e.tabIndex = tab;
    return e;
}

inline ElementSpec timer(std::string name, int interval) {
    ElementSpec e;
    e.kind = ElementKind::Timer;
    e.name = std::move(name);
    e.interval = interval;
    return e;
}

}  // namespace skyvane::layout

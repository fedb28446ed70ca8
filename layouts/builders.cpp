// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "layouts/builders.h"

#include <algorithm>
#include <stdexcept>

namespace skyvane::layout {

namespace {

ElementDesign place(ElementKind kind, const char* name, const char* role, const char* in,
                    const Box& b) {
    ElementDesign e;
    e.kind = kind;
    e.name = name;
    e.role = role;
    e.container = in;
    e.left = b.left;
    e.top = b.top;
    e.width = b.width;
    e.height = b.height;
    return e;
}

}  // namespace

ElementDesign label(const LabelRow& row) {
    auto e = place(ElementKind::Label, row.name, row.role, row.in, row.box);
    e.caption = row.caption;
    const LabelLook& l = row.look;
    e.label = {l.fore, l.back, l.font, l.border, l.align, l.opaque};
    e.tabIndex = row.tab;
    return e;
}

ElementDesign image(const ImageRow& row) {
    auto e = place(ElementKind::Image, row.name, row.role, row.in, row.box);
    e.picture = row.picture;
    e.stretch = row.stretch;
    return e;
}

ElementDesign shape(const ShapeRow& row) {
    auto e = place(ElementKind::Shape, row.name, row.role, row.in, row.box);
    e.shape = row.look;
    return e;
}

ElementDesign frame(const FrameRow& row) {
    auto e = place(ElementKind::Frame, row.name, row.role, "", row.box);
    e.background = row.background;
    e.tabIndex = row.tab;
    return e;
}

ElementDesign button(const ButtonRow& row) {
    auto e = place(ElementKind::Button, row.name, row.role, "", row.box);
    e.caption = row.caption;
    e.tabIndex = row.tab;
    return e;
}

// The text box keeps the system's colours.
ElementDesign textBox(const TextBoxRow& row) {
    auto e = place(ElementKind::TextBox, row.name, row.role, "", row.box);
    e.tabIndex = row.tab;
    return e;
}

ElementDesign timer(const TimerRow& row) {
    ElementDesign e;
    e.kind = ElementKind::Timer;
    e.name = row.name;
    e.role = row.role;
    e.interval = row.interval;
    return e;
}

FormDesign window(const WindowRow& row) {
    FormDesign f;
    f.name = row.name;
    f.caption = row.caption;
    f.clientWidth = row.width;
    f.clientHeight = row.height;
    f.border = row.border;
    f.minButton = row.minButton;
    f.maxButton = row.maxButton;
    f.background = colours::kBlack;
    f.start = row.start;
    f.icon = row.icon;
    return f;
}

namespace {

ElementDesign& named(FormDesign& form, const char* name) {
    auto it = std::find_if(form.elements.begin(), form.elements.end(),
                           [&](const ElementDesign& e) { return e.name == name; });
    if (it == form.elements.end())
        throw std::logic_error(std::string("no element ") + name + " on " + form.name);
    return *it;
}

}  // namespace

void holdStill(FormDesign& form, std::initializer_list<StillRow> rows) {
    for (const auto& row : rows) {
        auto& e = named(form, row.name);
        e.still = row.still;
        e.stillColour = row.colour;
    }
}

void readAs(FormDesign& form, std::initializer_list<ReadingRow> rows) {
    for (const auto& row : rows) {
        auto* it = &named(form, row.name);
        it->reading = row.reading;
        it->readWith = row.readWith;
        it->spoken = row.spoken;
        it->spokenAtRest = row.spokenAtRest;
        it->describedBy = row.describedBy;
    }
}

}  // namespace skyvane::layout

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/element.h"

#include "platform/form.h"

namespace skyvane {

void Element::notify(Property p) {
    if (auto* o = form_.observer()) o->elementChanged(*this, p);
    if (auto* t = form_.trace()) t->elementChanged(*this, p);
}

void Control::setLeft(int twips) {
    if (left_ == twips) return;
    left_ = twips;
    notify(Property::Left);
}

void Control::setTop(int twips) {
    if (top_ == twips) return;
    top_ = twips;
    notify(Property::Top);
}

void Control::setVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    // The focus moves first, so a view never sees its focused widget disappear. Only an element
    // that can hold the focus can take it or lose it.
    if (kind() == ElementKind::Button || kind() == ElementKind::TextBox) form().refocus();
    notify(Property::Visible);
}

void Control::reset() {
    left_ = design().left;
    top_ = design().top;
    visible_ = true;
}

void Label::setCaption(std::string text) {
    if (caption_ == text) return;
    caption_ = std::move(text);
    notify(Property::Caption);
}

void Label::setForeColour(Colour c) {
    if (fore_ == c) return;
    fore_ = c;
    notify(Property::ForeColour);
}

void Label::setBackColour(Colour c) {
    if (back_ == c) return;
    back_ = c;
    notify(Property::BackColour);
}

void Label::reset() {
    Control::reset();
    caption_ = design().caption;
    fore_ = design().label.fore;
    back_ = design().label.back;
}

void Image::setPicture(Picture p) {
    if (picture_ == p) return;
    picture_ = std::move(p);
    notify(Property::Picture);
}

void Image::reset() {
    Control::reset();
    picture_ = Picture(design().picture);
}

void Shape::setFillColour(Colour c) {
    if (fill_ == c) return;
    fill_ = c;
    notify(Property::FillColour);
}

void Shape::reset() {
    Control::reset();
    fill_ = design().shape.fillColour;
}

bool Focusable::hasFocus() const {
    return form().focus() == this;
}

void Focusable::setFocus() {
    // Only a shown element can take the focus; asking a hidden one does nothing.
    if (visible()) form().takeFocus(this);
}

void TextBox::setText(std::string text) {
    if (text_ == text) return;
    text_ = std::move(text);
    notify(Property::Text);
}

void TextBox::reset() {
    Control::reset();
    text_ = design().caption;
}

int Timer::periodsFor(int intervalMs) {
    if (intervalMs <= 0) return 0;
    // Rounded up to whole 1/64 s periods, as the classic desktop timer does; wide enough that
    // the longest interval cannot overflow.
    return static_cast<int>((static_cast<long long>(intervalMs) * 64 + 999) / 1000);
}

void Timer::setInterval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    periods_ = periodsFor(interval_);
    restart();
    notify(Property::Interval);
}

void Timer::setEnabled(bool e) {
    if (enabled_ == e) return;
    enabled_ = e;
    if (e) restart();
    notify(Property::Enabled);
}

void Timer::reset() {
    interval_ = design().interval;
    periods_ = periodsFor(interval_);
    enabled_ = true;
    restart();
}

void Timer::restart() {
    scheduleNext(clock_ ? clock_->period() : 0);
}

}  // namespace skyvane

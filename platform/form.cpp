// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/form.h"

#include <algorithm>
#include <stdexcept>

namespace skyvane {

namespace {

std::unique_ptr<Element> make(Form& form, const ElementDesign& design) {
    switch (design.kind) {
        case ElementKind::Label:
            return std::make_unique<Label>(form, design);
        case ElementKind::Image:
            return std::make_unique<Image>(form, design);
        case ElementKind::Shape:
            return std::make_unique<Shape>(form, design);
        case ElementKind::Frame:
            return std::make_unique<Frame>(form, design);
        case ElementKind::Button:
            return std::make_unique<Button>(form, design);
        case ElementKind::TextBox:
            return std::make_unique<TextBox>(form, design);
        case ElementKind::Timer:
            return std::make_unique<Timer>(form, design);
    }
    throw std::logic_error("unknown element kind");
}

}  // namespace

Form::Form(const FormDesign& design) : design_(design) {
    elements_.reserve(design.elements.size());
    for (const auto& e : design.elements) elements_.push_back(make(*this, e));
    for (const auto& e : elements_) {
        auto* f = dynamic_cast<Focusable*>(e.get());
        if (f && f->design().tabIndex >= 0) tabStops_.push_back(f);
    }
    std::stable_sort(tabStops_.begin(), tabStops_.end(),
                     [](const Focusable* a, const Focusable* b) {
                         return a->design().tabIndex < b->design().tabIndex;
                     });
    resetElements();
}

Form::~Form() = default;

Form* formNamed(const std::vector<Form*>& forms, std::string_view name) {
    for (Form* f : forms)
        if (f->design().name == name) return f;
    return nullptr;
}

void Form::setCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    if (observer_) observer_->formChanged(*this, Property::Caption);
    if (trace_) trace_->formChanged(*this, Property::Caption);
}

Element* Form::find(std::string_view name) const {
    for (const auto& e : elements_)
        if (e->name() == name) return e.get();
    return nullptr;
}

Element* Form::findOrThrow(std::string_view name) const {
    if (auto* e = find(name)) return e;
    throw std::logic_error("no element " + std::string(name) + " on " + design_.name);
}

Focusable* Form::nextInTabOrder(int tabIndex) const {
    for (Focusable* f : tabStops_)
        if (f->visible() && f->design().tabIndex > tabIndex) return f;
    return nullptr;
}

void Form::resetElements() {
    caption_ = design_.caption;
    for (auto& e : elements_) e->reset();
    focus_ = nextInTabOrder(-1);
}

void Form::takeFocus(Focusable* element) {
    if (focus_ == element) return;
    focus_ = element;
    if (observer_) observer_->formChanged(*this, Property::Focus);
    if (trace_) trace_->formChanged(*this, Property::Focus);
}

void Form::refocus() {
    if (focus_ && focus_->visible()) return;
    // Passed on to the next one in tab order after the one that was hidden, else to the first.
    Focusable* next = focus_ ? nextInTabOrder(focus_->design().tabIndex) : nullptr;
    if (!next) next = nextInTabOrder(-1);
    takeFocus(next);
}

}  // namespace skyvane

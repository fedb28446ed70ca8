// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/reading.h"

#include <algorithm>
#include <cstdlib>

namespace skyvane {

namespace {

std::string captionOf(const Element& e) {
    if (e.kind() == ElementKind::Label) return static_cast<const Label&>(e).caption();
    if (e.kind() == ElementKind::Button) return static_cast<const Button&>(e).caption();
    return {};
}

// A caption as words: the full-width spaces that space out "燃　　料" on the panel are not
// read, and a line break is a space.
std::string asWords(std::string text) {
    static const std::string ideographicSpace = "\u3000";
    for (auto at = text.find(ideographicSpace); at != std::string::npos;
         at = text.find(ideographicSpace, at))
        text.erase(at, ideographicSpace.size());
    for (auto& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

std::string captionNamed(const Element& e) {
    const auto& by = e.design().readWith;
    if (by.empty()) return {};
    const auto* label = e.form().find(by);
    return label ? asWords(captionOf(*label)) : std::string{};
}

}  // namespace

Spoken spokenOf(const Element& e) {
    const auto& d = e.design();
    switch (d.reading) {
        case Reading::Hidden:
            return {true, {}};
        case Reading::Readout:
            return {false, captionNamed(e) + " " + captionOf(e)};
        case Reading::Named:
            // An image with no picture shows nothing (the sinking mark until the helicopter sinks).
            if (e.kind() == ElementKind::Image &&
                static_cast<const Image&>(e).picture().resource().empty())
                return {true, {}};
            if (e.kind() == ElementKind::Shape && !d.spokenAtRest.empty() &&
                static_cast<const Shape&>(e).fillColour() == d.shape.fillColour)
                return {false, d.spokenAtRest};
            return {false, d.spoken};
        case Reading::Own:
        case Reading::Live:
            break;
    }
    if (e.kind() == ElementKind::TextBox || e.kind() == ElementKind::Frame)
        return {false, captionNamed(e)};
    return {false, asWords(captionOf(e))};
}

std::vector<const Element*> namedWith(const Element& element) {
    std::vector<const Element*> named{&element};
    for (const auto& e : element.form().elements())
        if (e.get() != &element && e->design().readWith == element.name()) named.push_back(e.get());
    return named;
}

std::vector<const Element*> readingOrder(const Form& form, const std::string& container) {
    std::vector<const Element*> order;
    for (const auto& e : form.elements())
        if (e->design().container == container && e->kind() != ElementKind::Timer)
            order.push_back(e.get());
    // Rows a quarter of an inch tall (375 twips), by the middle of each element; then left to
    // right within a row.
    auto row = [](const Element* e) { return (e->design().top + e->design().height / 2) / 375; };
    std::stable_sort(order.begin(), order.end(), [&](const Element* a, const Element* b) {
        if (row(a) != row(b)) return row(a) < row(b);
        return a->design().left < b->design().left;
    });
    return order;
}

}  // namespace skyvane

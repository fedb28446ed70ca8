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

namespace {

std::vector<std::string> describers(const Element& element) {
    std::vector<std::string> names(1);
    for (char c : element.design().describedBy) {
        if (c != ' ') {
            names.back() += c;
        } else if (!names.back().empty()) {
            names.emplace_back();
        }
    }
    if (names.back().empty()) names.pop_back();
    return names;
}

bool describedBy(const Element& element, const std::string& name) {
    const auto names = describers(element);
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::string describedOf(const Element& element) {
    std::string words;
    for (const auto& name : describers(element))
        if (const auto* e = element.form().find(name)) {
            const auto spoken = spokenOf(*e);
            if (!spoken.hidden && !spoken.name.empty())
                words += (words.empty() ? "" : " ") + spoken.name;
        }
    return words;
}

void ReaderNews::changed(const Element& element, Property property) {
    if (property != Property::Caption && property != Property::FillColour &&
        property != Property::Picture)
        return;
    for (const auto* e : namedWith(element))
        if (pending_.insert(e).second) changed_.push_back(e);
}

void ReaderNews::focusMoved(const Form& form) {
    focusMoved_.insert(&form);
}

void ReaderNews::forget(const Form& form) {
    std::erase_if(changed_, [&](const Element* e) { return &e->form() == &form; });
    std::erase_if(pending_, [&](const Element* e) { return &e->form() == &form; });
    std::erase_if(told_, [&](const auto& t) { return &t.first->form() == &form; });
    said_.erase(&form);
    focusMoved_.erase(&form);
}

std::vector<Notice> ReaderNews::take(std::uint64_t period) {
    std::vector<Notice> notices;
    std::vector<const Element*> later;
    for (const auto* e : changed_) {
        const auto spoken = spokenOf(*e);
        const auto& form = e->form();
        if (e->design().reading == Reading::Live) {
            pending_.erase(e);
            if (spoken.name.empty() || said_[&form] == spoken.name) continue;
            said_[&form] = spoken.name;
            const auto* focus = form.focus();
            const bool withFocus =
                focusMoved_.count(&form) > 0 && focus && describedBy(*focus, e->name());
            notices.push_back({Notice::Kind::Said, e, spoken.name, withFocus});
            continue;
        }
        auto told = told_.find(e);
        if (told != told_.end() && told->second.words == spoken.name) {
            pending_.erase(e);
            continue;
        }
        if (told != told_.end() && period < told->second.at + kEvery) {
            later.push_back(e);
            continue;
        }
        pending_.erase(e);
        told_[e] = {spoken.name, period};
        notices.push_back({Notice::Kind::Renamed, e, spoken.name, false});
    }
    changed_ = std::move(later);
    focusMoved_.clear();
    return notices;
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

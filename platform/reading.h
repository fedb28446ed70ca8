// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// What a screen reader says of an element now, from its design's reading: the one source of the
// Qt adapter's accessible tree and of the page's.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/form.h"

namespace skyvane {

struct Spoken {
    bool hidden = false;
    std::string name;
};

Spoken spokenOf(const Element& element);

// The elements whose name changes with this one's caption or fill: itself, and those it names.
std::vector<const Element*> namedWith(const Element& element);

// A button's description: the words of the elements its design says describe it (the message
// line describes the mission's buttons, so the focus that an outcome moves says the outcome).
std::string describedOf(const Element& element);

// What a reader is told, and when; the same for every desktop, so that a reader hears each
// message once and is never flooded.
struct Notice {
    enum class Kind {
        Renamed,  // the element's words changed: a reader that looks at it finds new ones
        Said,     // the words of a live element, to speak now
    };
    Kind kind = Kind::Renamed;
    const Element* element = nullptr;
    std::string words;
    // Said as the focus moved to a button that these words describe: a reader hears them with
    // the focus.
    bool withFocus = false;
};

class ReaderNews {
  public:
    // Half a second, in 64ths of a second: no element tells a change more often than that.
    static constexpr std::uint64_t kEvery = 32;

    // Every change a view sees, and every move of a form's focus (a window that shows moves it
    // too: a reader speaks the focus of a window it comes to).
    void changed(const Element& element, Property property);
    void focusMoved(const Form& form);
    // The form's elements are gone: nothing of them is told any more.
    void forget(const Form& form);
    // What to tell now, at this moment in 64ths of a second (the grid's periods, or the real
    // time of a replay watched fast): a live element's new words, unless they are
    // empty or the words it said last (a blinking warning is said once); any other element's
    // new words, unless they are the words it told last, at most once every kEvery periods,
    // the newest words when its time comes.
    std::vector<Notice> take(std::uint64_t period);

  private:
    struct Told {
        std::string words;
        std::uint64_t at = 0;
    };
    std::vector<const Element*> changed_;  // in the order they first changed
    std::unordered_set<const Element*> pending_;
    std::unordered_map<const Element*, Told> told_;
    std::unordered_map<const Form*, std::string> said_;
    std::unordered_set<const Form*> focusMoved_;
};

// The elements of a container (empty: the window) in the order a reader reads them: row by row,
// top to bottom, left to right, whatever order the layout stacks them in.
std::vector<const Element*> readingOrder(const Form& form, const std::string& container);

}  // namespace skyvane

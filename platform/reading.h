// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// What a screen reader says of an element now, from its design's reading: the one source of the
// Qt adapter's accessible tree and of the page's.

#include <string>
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

// The elements of a container (empty: the window) in the order a reader reads them: row by row,
// top to bottom, left to right, whatever order the layout stacks them in.
std::vector<const Element*> readingOrder(const Form& form, const std::string& container);

}  // namespace skyvane

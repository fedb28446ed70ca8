// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The game's windows for screen readers (Qt's accessibility, AT-SPI on Linux): each element
// with the role its kind and reading give it, the windows and frames listing their elements in
// reading order, and nothing of what only decorates; each named, when a reader asks, from the
// layout's reading (platform/reading.h).

namespace skyvane::qtaccess {

// Installs the interfaces; once, before any window shows.
void install();

}  // namespace skyvane::qtaccess

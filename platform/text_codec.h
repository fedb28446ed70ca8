// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// A text as printable ASCII, byte for byte: how a name travels on one line, in a replay file
// and from the page to the game. Printable ASCII but the space and '%' stands as it is; every
// other byte, a NUL and a carriage return too, is %XX.

#include <optional>
#include <string>
#include <string_view>

namespace skyvane {

std::string percentEncode(std::string_view text);
// Null for a text that is not so written (a raw space, a broken %XX).
std::optional<std::string> percentDecode(std::string_view text);

}  // namespace skyvane

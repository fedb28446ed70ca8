// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The virtual-key code of a key as the browser names it (KeyboardEvent.code, the key's place on
// the keyboard, whatever it types): the same codes the Qt desktop gives the game.

#include <string_view>

namespace skyvane::web {

// vk::Other for a key the game has no name for: every key reaches the game.
int virtualKeyForDomCode(std::string_view code);

}  // namespace skyvane::web

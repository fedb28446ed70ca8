// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The names the browser gives the keys become the same virtual-key codes the Qt desktop gives
// the game, and every key has one.

#include <gtest/gtest.h>

#include "platform/keys.h"
#include "platform/web/dom_keys.h"

namespace skyvane {
namespace {

TEST(WebKeys, EveryDomKeyBecomesAVirtualKeyCode) {
    const struct {
        const char* code;
        int vk;
    } cases[] = {
        {"ShiftLeft", vk::Shift},
        {"ShiftRight", vk::Shift},
        {"ArrowLeft", vk::Left},
        {"ArrowUp", vk::Up},
        {"ArrowRight", vk::Right},
        {"ArrowDown", vk::Down},
        {"Enter", vk::Return},
        {"NumpadEnter", vk::Return},
        {"Space", vk::Space},
        {"KeyA", 'A'},
        {"KeyZ", 'Z'},
        {"Digit7", '7'},
        {"Numpad7", vk::Numpad0 + 7},
        {"F1", vk::F1},
        {"F12", vk::F1 + 11},
        {"Comma", vk::Comma},
        {"Slash", vk::Slash},
        {"ContextMenu", vk::Apps},
        {"NonConvert", vk::NonConvert},
        {"Convert", vk::Convert},
        {"IntlYen", vk::Backslash},
        {"Unidentified", vk::Other},
        {"", vk::Other},
        {"KeyAB", vk::Other},
        {"Digit10", vk::Other},
        {"F25", vk::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(web::virtualKeyForDomCode(c.code), c.vk) << c.code;
}

}  // namespace
}  // namespace skyvane

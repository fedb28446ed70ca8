// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/web/dom_keys.h"

#include <charconv>

#include "platform/keys.h"

namespace skyvane::web {

namespace {

// A number after a prefix ("Digit7", "F12"), or -1.
int numberAfter(std::string_view code, std::string_view prefix) {
    if (code.substr(0, prefix.size()) != prefix || code.size() == prefix.size()) return -1;
    int n = -1;
    const auto digits = code.substr(prefix.size());
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return ec == std::errc() && end == digits.data() + digits.size() ? n : -1;
}

}  // namespace

int virtualKeyForDomCode(std::string_view code) {
    if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z')
        return code[3];
    if (const int d = numberAfter(code, "Digit"); d >= 0 && d <= 9) return '0' + d;
    if (const int d = numberAfter(code, "Numpad"); d >= 0 && d <= 9) return vk::Numpad0 + d;
    if (const int f = numberAfter(code, "F"); f >= 1 && f <= 24) return vk::F1 + f - 1;
    static constexpr struct {
        std::string_view dom;
        int code;
    } kKeys[] = {
        {"Backspace", vk::Backspace},
        {"Tab", vk::Tab},
        {"Enter", vk::Return},
        {"NumpadEnter", vk::Return},
        {"ShiftLeft", vk::Shift},
        {"ShiftRight", vk::Shift},
        {"ControlLeft", vk::Control},
        {"ControlRight", vk::Control},
        {"AltLeft", vk::Menu},
        {"AltRight", vk::Menu},
        {"Pause", vk::Pause},
        {"CapsLock", vk::CapsLock},
        {"KanaMode", vk::Kana},
        {"Lang1", vk::Kana},
        {"Lang2", vk::Kanji},
        {"Escape", vk::Escape},
        {"Convert", vk::Convert},
        {"NonConvert", vk::NonConvert},
        {"Space", vk::Space},
        {"PageUp", vk::PageUp},
        {"PageDown", vk::PageDown},
        {"End", vk::End},
        {"Home", vk::Home},
        {"ArrowLeft", vk::Left},
        {"ArrowUp", vk::Up},
        {"ArrowRight", vk::Right},
        {"ArrowDown", vk::Down},
        {"PrintScreen", vk::PrintScreen},
        {"Insert", vk::Insert},
        {"Delete", vk::Delete},
        {"MetaLeft", vk::LeftWindows},
        {"MetaRight", vk::LeftWindows},
        {"ContextMenu", vk::Apps},
        {"NumpadMultiply", vk::Multiply},
        {"NumpadAdd", vk::Add},
        {"NumpadSubtract", vk::Subtract},
        {"NumpadDecimal", vk::Decimal},
        {"NumpadComma", vk::Decimal},
        {"NumpadDivide", vk::Divide},
        {"NumLock", vk::NumLock},
        {"ScrollLock", vk::ScrollLock},
        {"Semicolon", vk::Semicolon},
        {"Equal", vk::Plus},
        {"Comma", vk::Comma},
        {"Minus", vk::Minus},
        {"Period", vk::Period},
        {"Slash", vk::Slash},
        {"Backquote", vk::Backquote},
        {"BracketLeft", vk::OpenBracket},
        {"Backslash", vk::Backslash},
        {"IntlYen", vk::Backslash},
        {"BracketRight", vk::CloseBracket},
        {"Quote", vk::Quote},
    };
    for (const auto& k : kKeys)
        if (k.dom == code) return k.code;
    return vk::Other;
}

}  // namespace skyvane::web

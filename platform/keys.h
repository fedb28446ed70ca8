// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Virtual-key codes, as the game's key handlers and the classic keyboard know them. The model,
// the mission and the adapter all use these names; no handler spells a raw code.

namespace skyvane::vk {

inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Menu = 18;  // Alt
inline constexpr int Pause = 19;
inline constexpr int CapsLock = 20;
inline constexpr int Kana = 21;   // ひらがな/カタカナ
inline constexpr int Kanji = 25;  // 半角/全角
inline constexpr int Escape = 27;
inline constexpr int Convert = 28;     // 変換
inline constexpr int NonConvert = 29;  // 無変換
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Insert = 45;
inline constexpr int PrintScreen = 44;
inline constexpr int Delete = 46;
inline constexpr int LeftWindows = 91;
inline constexpr int Apps = 93;  // the menu key
inline constexpr int Numpad0 = 96;
inline constexpr int Multiply = 106;
inline constexpr int Add = 107;
inline constexpr int Subtract = 109;
inline constexpr int Decimal = 110;
inline constexpr int Divide = 111;
inline constexpr int F1 = 112;
inline constexpr int NumLock = 144;
inline constexpr int ScrollLock = 145;
// The punctuation keys, named after what they carry on a US keyboard.
inline constexpr int Semicolon = 186;
inline constexpr int Plus = 187;
inline constexpr int Comma = 188;
inline constexpr int Minus = 189;
inline constexpr int Period = 190;
inline constexpr int Slash = 191;
inline constexpr int Backquote = 192;
inline constexpr int OpenBracket = 219;
inline constexpr int Backslash = 220;
inline constexpr int CloseBracket = 221;
inline constexpr int Quote = 222;
// Any other key: every key reaches the game with some code.
inline constexpr int Other = 255;

// Codes run from 1 to 255.
inline constexpr int kCount = 256;

}  // namespace skyvane::vk

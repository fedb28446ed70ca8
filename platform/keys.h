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
inline constexpr int Escape = 27;
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
inline constexpr int Delete = 46;
inline constexpr int F1 = 112;

// Codes run from 1 to 254; 0 means a key the game has no code for.
inline constexpr int kCount = 256;

}  // namespace skyvane::vk

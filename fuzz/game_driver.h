// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Plays the whole game on the headless desktop from a string of bytes, checking after every
// event what a fault would break. Shared by the fuzzer, its seed maker and the soak run.
//
// The first byte picks the order of the timers within a period; then each event is one byte
// for its kind and a few for its arguments:
//   0 key down, 1 key up       form, key
//   2 click                    any button of any window, shown or not
//   3 close box                form
//   4 name                     length, repeats, then the bytes (any bytes at all)
//   5 periods                  count
//   6 many periods             count x 64
//   7 focus                    form, element
//   8 the window loses the keyboard
//   9 timer order              seed
//  10 a stall                  length: the periods a busy machine drops, as the Qt desktop does
// A message box reads, when it opens, how many periods it stays open and one input that the
// player aims at the windows behind it.
//
// At the end the run goes through the real replay writer and reader and is played again on a
// fresh game: its trace (every handler call, property change and sound call) must be the same.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/keys.h"

namespace skyvane::fuzzing {

enum Op : std::uint8_t {
    KeyDown,
    KeyUp,
    Click,
    Close,
    Name,
    Periods,
    ManyPeriods,
    Focus,
    LoseKeyboard,
    TimerOrder,
    Stall,
    kOps
};

// The keys an event can press: the game's own and a few others.
inline constexpr int kKeys[] = {
    vk::Shift, vk::Left,      vk::Up,      vk::Right,      vk::Down,  vk::Return,
    vk::Space, vk::Tab,       vk::Control, vk::Menu,       'A',       vk::Escape,
    vk::F1,    vk::Backspace, vk::Delete,  vk::NonConvert, vk::Comma, vk::Other};
inline constexpr int kKeyCount = sizeof(kKeys) / sizeof(kKeys[0]);

struct Report {
    std::string phase;          // where the run ended
    std::uint64_t periods = 0;  // periods run
    std::string violation;      // empty when every check held
};

// Plays the bytes; stops at the first broken rule and says which. A run of periods stops at
// maxPeriods in all, so that each execution of the fuzzer stays quick.
inline constexpr std::uint64_t kFuzzPeriods = 20'000;
Report play(const std::uint8_t* data, std::size_t size, std::uint64_t maxPeriods = kFuzzPeriods);

}  // namespace skyvane::fuzzing

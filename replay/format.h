// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Replay files: a run as its inputs, one a line, each with the period at which the game took
// it. Text, versioned, written as the run goes so a run that dies still leaves its file.
//
//   skyvane-replay 1
//   # a comment
//   0 text Form2 Text1 =Kestrel
//   0 click Form2 Command1
//   130 down Form1 16
//   162 repeat Form1 16
//   170 skip 301
//
// An input between two periods carries the number of periods run before it; a repeat carries
// the period at whose start the desktop made it; a skip, the period at which a stall began and
// the last period it passed over.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/form.h"
#include "platform/input.h"

namespace skyvane::replay {

inline constexpr int kVersion = 1;
inline constexpr const char* kMagic = "skyvane-replay";
// The line after the header that names the language of a run's texts ("language en"); a run in
// the game's own language has none.
inline constexpr const char* kLanguage = "language";
inline constexpr const char* kSourceLanguage = "ja";
// The line after the header of a run played with the audio guide ("guide on").
inline constexpr const char* kGuide = "guide";
// A week of play: a file that asks for more is refused rather than run for ever.
inline constexpr std::uint64_t kMaxPeriod = 64ull * 60 * 60 * 24 * 7;
// No run writes more: a key held down for a whole day writes about 60 MB of repeats, and a
// mission played by hand a few hundred kilobytes.
inline constexpr std::uint64_t kMaxFileBytes = 128ull << 20;
// The longest line a recorded run writes is its name: 16 MB of it, percent-encoded.
inline constexpr std::size_t kMaxLine = 16u << 20;

// One input as its line, without the line break, and back; nullopt for a line that is none.
std::string encode(const Input& input);
std::optional<Input> decode(std::string_view line);

struct Error {
    int line = 0;  // 0: the file as a whole
    std::string what;
};

// "FILE:LINE: what", or "FILE: what" for a fault of the whole file.
std::string message(const std::string& file, const Error& error);

// A run's inputs, packed into twelve bytes each (texts and names kept once, apart), so that a
// long recording costs about what its file does.
class Recording {
  public:
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    Input operator[](std::size_t i) const;
    std::uint64_t period(std::size_t i) const { return items_[i].period; }
    Input::Kind kind(std::size_t i) const { return static_cast<Input::Kind>(items_[i].kind); }
    // The period the run reached with its last input: a skip's last period passed over.
    std::uint64_t lastPeriod() const;

    // False if the input does not fit: a period beyond kMaxPeriod or too many different names.
    bool push_back(const Input& input);
    void reserve(std::size_t n) { items_.reserve(n); }
    std::vector<Input> inputs() const;
    // The memory it holds.
    std::size_t bytes() const;
    // The language the run was played in: its texts, never its rules.
    const std::string& language() const { return language_; }
    void setLanguage(std::string language) { language_ = std::move(language); }
    // Whether the run was played with the audio guide.
    bool guided() const { return guided_; }
    void setGuided(bool guided) { guided_ = guided; }

  private:
    struct Item {
        std::uint32_t period : 28;
        std::uint32_t kind : 4;
        std::uint32_t arg;  // the key code, the skip's last period or the text's index
        std::uint16_t form;
        std::uint16_t element;  // names_ index + 1; 0 for none
    };
    static_assert(sizeof(Item) == 12);
    std::uint16_t intern(const std::string& name);

    std::vector<Item> items_;
    std::vector<std::string> names_;
    std::vector<std::string> texts_;
    std::string language_ = kSourceLanguage;
    bool guided_ = false;
};

struct ReadResult {
    Recording inputs;
    std::optional<Error> error;
    // What was read but can be replayed only approximately; the caller says so.
    std::optional<Error> warning;
};

// Reads a whole replay; the first fault found ends the reading. Given the game's forms, every
// window and element an input names must be among them. expectedInputs only reserves room.
ReadResult read(std::istream& in, const std::vector<Form*>* forms = nullptr,
                std::size_t expectedInputs = 0);
// The same, from the file's bytes as they are (the page hands them over so).
ReadResult readBytes(std::string_view bytes, const std::vector<Form*>* forms = nullptr);
// Reads a replay file: a regular file no larger than kMaxFileBytes that gives its bytes without
// waiting (a pipe, a device, a folder, or a file that would block, such as the kernel's log, is
// refused at once).
ReadResult readFile(const std::string& path, const std::vector<Form*>* forms = nullptr);

}  // namespace skyvane::replay

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
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop_base.h"
#include "platform/input.h"

namespace skyvane::replay {

inline constexpr int kVersion = 1;
inline constexpr const char* kMagic = "skyvane-replay";
// A week of play: a file that asks for more is refused rather than run for ever.
inline constexpr std::uint64_t kMaxPeriod = 64ull * 60 * 60 * 24 * 7;
// No run writes more: a key held down for a whole day writes about 60 MB of repeats, and a
// mission played by hand a few hundred kilobytes.
inline constexpr std::uint64_t kMaxFileBytes = 128ull << 20;

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

    // False if the input does not fit: a period beyond kMaxPeriod or too many different names.
    bool push_back(const Input& input);
    void reserve(std::size_t n) { items_.reserve(n); }
    std::vector<Input> inputs() const;
    // The memory it holds.
    std::size_t bytes() const;

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
// Reads a replay file: a regular file no larger than kMaxFileBytes (a pipe, a device or a
// folder is refused at once, without waiting for a writer).
ReadResult readFile(const std::string& path, const std::vector<Form*>* forms = nullptr);

// Writes every input the desktop takes, a line at a time, each written to the file at once so
// that a run that dies still leaves every input up to that moment. A write that fails (a full
// disk) cuts the file back to its last whole input and stops the recording; onFailure hears
// the system's reason, once.
class Writer : public InputSink {
  public:
    // Takes the open file descriptor, which is closed when the writer goes, and writes the
    // header.
    explicit Writer(int fd, std::function<void(const std::string& why)> onFailure = {});
    ~Writer() override;
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Opens a file to record into: created if missing, refused if it is not a regular file or
    // another program records into it (an advisory lock), emptied only once it is ours. Null,
    // with the reason in `why`, if it cannot be.
    static std::unique_ptr<Writer> open(const std::string& path, std::string& why,
                                        std::function<void(const std::string&)> onFailure = {});

    void input(const Input& input) override;
    bool failed() const { return failed_; }
    const std::string& failure() const { return why_; }
    // The period of the last input written whole.
    std::uint64_t lastPeriod() const { return lastPeriod_; }

  private:
    bool write(const std::string& bytes);

    int fd_;
    std::function<void(const std::string&)> onFailure_;
    std::uint64_t written_ = 0;  // bytes of whole lines
    std::uint64_t lastPeriod_ = 0;
    bool failed_ = false;
    std::string why_;
};

// Feeds a recorded run into a desktop at the periods it was taken. The player is locked out and
// the desktop makes no repeats of its own while the replayer is attached.
class Replayer {
  public:
    Replayer(DesktopBase& desktop, std::vector<Form*> forms, Recording inputs);
    ~Replayer();
    Replayer(const Replayer&) = delete;
    Replayer& operator=(const Replayer&) = delete;

    // For a desktop whose own clock runs the periods: inputs are applied as the grid reaches
    // them.
    void attach();
    // For the headless desktop: runs the grid as fast as it goes until every input is applied,
    // and, called while a message box is open, until the replay closes it.
    template <class Advance>
    void pump(Advance&& runPeriod);

    bool finished() const { return next_ >= inputs_.size(); }
    // Called once, when the last input has been applied.
    std::function<void()> onFinished;

  private:
    bool beforePeriod();
    void periodStart();
    void applyNext();

    DesktopBase& desktop_;
    std::vector<Form*> forms_;
    Recording inputs_;
    std::size_t next_ = 0;
};

template <class Advance>
void Replayer::pump(Advance&& runPeriod) {
    const bool inBox = desktop_.modal();
    while (!finished() && !desktop_.ended()) {
        const auto period = inputs_.period(next_);
        const auto kind = inputs_.kind(next_);
        if (kind == Input::Kind::Repeat && period <= desktop_.period()) {
            ++next_;  // its period has started already: too late to make it
            continue;
        }
        if (desktop_.period() < period) {
            const auto before = next_;
            const auto at = desktop_.period();
            runPeriod();
            // A repeat the period's start could not take, or a grid that would not move, would
            // spin here for ever: give up on the rest.
            if (desktop_.period() == at && next_ == before) {
                next_ = inputs_.size();
                return;
            }
            continue;
        }
        const bool closesBox = kind == Input::Kind::BoxClosed;
        applyNext();
        if (inBox && closesBox) return;
    }
}

}  // namespace skyvane::replay

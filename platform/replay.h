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
//
// An input between two periods carries the number of periods run before it; a repeat carries
// the period at whose start the desktop made it.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_base.h"
#include "platform/input.h"

namespace skyvane::replay {

inline constexpr int kVersion = 1;
inline constexpr const char* kMagic = "skyvane-replay";
// A week of play: a file that asks for more is refused rather than run for ever.
inline constexpr std::uint64_t kMaxPeriod = 64ull * 60 * 60 * 24 * 7;

// One input as its line, without the line break.
std::string encode(const Input& input);

struct Error {
    int line = 0;  // 0: the file as a whole
    std::string what;
};

// "FILE:LINE: what", or "FILE: what" for a fault of the whole file.
std::string message(const std::string& file, const Error& error);

struct ReadResult {
    std::vector<Input> inputs;
    std::vector<int> lines;  // the line of each input
    std::optional<Error> error;
};

// Reads a whole replay; the first fault found ends the reading.
ReadResult read(std::istream& in);
// Every form and element an input names exists among these forms; the first that does not.
std::optional<Error> validate(const ReadResult& replay, const std::vector<Form*>& forms);

// Writes every input the desktop takes, a line at a time, each flushed at once.
class Writer : public InputSink {
  public:
    // Takes the file, which is closed when the writer goes.
    explicit Writer(std::FILE* file);
    ~Writer() override;
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void input(const Input& input) override;
    bool failed() const { return failed_; }

  private:
    std::FILE* file_;
    bool failed_ = false;
};

// Feeds a recorded run into a desktop at the periods it was taken. The player is locked out and
// the desktop makes no repeats of its own while the replayer is attached.
class Replayer {
  public:
    Replayer(DesktopBase& desktop, std::vector<Form*> forms, std::vector<Input> inputs);
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
    // The period of the last input.
    std::uint64_t lastPeriod() const { return inputs_.empty() ? 0 : inputs_.back().period; }

  private:
    bool beforePeriod();
    void periodStart();
    void applyNext();

    DesktopBase& desktop_;
    std::vector<Form*> forms_;
    std::vector<Input> inputs_;
    std::size_t next_ = 0;
    bool holdForBox_ = false;
};

template <class Advance>
void Replayer::pump(Advance&& runPeriod) {
    const bool inBox = desktop_.modal();
    while (!finished() && !desktop_.ended()) {
        const Input& in = inputs_[next_];
        if (in.kind == Input::Kind::Repeat && in.period <= desktop_.period()) {
            ++next_;  // its period has started already: too late to make it
            continue;
        }
        if (desktop_.period() < in.period) {
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
        const bool closesBox = in.kind == Input::Kind::BoxClosed;
        applyNext();
        if (inBox && closesBox) return;
    }
}

}  // namespace skyvane::replay

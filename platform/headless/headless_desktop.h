#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_base.h"
#include "platform/sound.h"

namespace skyvane {

struct MessageBoxCall {
    std::string text;
    int style = 0;
    std::string title;
};

// A desktop without windows, in simulated time: the grid moves only when told to, message
// boxes are recorded and closed at once (or when a hook returns), and input is injected. A
// handler that fails with an exception is a fault here: the exception goes on up to the test.
class HeadlessDesktop : public DesktopBase {
  public:
    // Runs whole periods of the 64 Hz grid.
    void advance(std::uint64_t periods);
    // Ticks the timers due in a period in an order drawn from the seed, differently each period.
    void shuffleTimers(std::uint32_t seed);
    // Ticks the timers due in a period in the reverse of the order they were loaded.
    void reverseTimers();

    const std::vector<MessageBoxCall>& messageBoxes() const { return boxes_; }
    // Called while a message box is open; returning closes it. The grid may be advanced here.
    std::function<void(const MessageBoxCall&)> whileMessageBox;
    int quitCount() const { return quits_; }
    // A replay asked the open box to close; its whileMessageBox hook returns when it sees this.
    bool boxCloseRequested() const { return closeRequested_; }

  protected:
    void attach(Form&) override {}
    void detach(Form&) override {}
    void present(Form&, bool) override {}
    void runMessageBox(const std::string& text, int style, const std::string& title) override;
    void closeMessageBox() override { closeRequested_ = true; }
    void quit() override { ++quits_; }
    [[noreturn]] void handlerFailed(const std::exception& error) override;

  private:
    std::vector<MessageBoxCall> boxes_;
    int quits_ = 0;
    bool closeRequested_ = false;
};

struct SoundCall {
    std::optional<std::string> name;  // none: the stop call
    unsigned flags = 0;
    friend bool operator==(const SoundCall&, const SoundCall&) = default;
};

// Records every call and what would be playing after it.
class RecordingSound : public Sound {
  public:
    void play(const char* name, unsigned flags) override;
    const std::vector<SoundCall>& calls() const { return calls_; }
    // The file that would be heard now; a one-shot counts until the next call.
    const std::optional<std::string>& playing() const { return playing_; }
    bool looping() const { return looping_; }

  private:
    std::vector<SoundCall> calls_;
    std::optional<std::string> playing_;
    bool looping_ = false;
};

}  // namespace skyvane

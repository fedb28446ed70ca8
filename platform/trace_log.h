#pragma once

// A run as lines of text: every handler call, property change and sound call, each with the
// period it happened in. Two runs that wrote the same lines did the same things in the same
// order; a replay is checked against the run it recorded by these lines.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/desktop_base.h"
#include "platform/input.h"
#include "platform/sound.h"

namespace skyvane {

// Hears the desktop's handler calls and the forms' changes as a Trace, and the game's sound
// calls as the Sound it passes them on to.
class TraceLog : public Trace, public Sound {
  public:
    using LineSink = std::function<void(std::string_view line)>;
    explicit TraceLog(LineSink sink, Sound* sound = nullptr);
    // The desktop whose periods stamp the lines.
    void follow(const DesktopBase& desktop) { desktop_ = &desktop; }

    void handlerCalled(const Form& form, std::string_view element, std::string_view event,
                       int code) override;
    void elementChanged(Element& element, Property property) override;
    void formChanged(Form& form, Property property) override;
    void play(const char* name, unsigned flags) override;

  private:
    void add(std::string_view what);

    const DesktopBase* desktop_ = nullptr;
    LineSink sink_;
    Sound* sound_;
    std::string line_;
};

// FNV-1a over the lines, for comparing runs too long to keep whole.
class TraceHash {
  public:
    void add(std::string_view line);
    std::uint64_t value() const { return hash_; }
    std::uint64_t lines() const { return lines_; }

  private:
    std::uint64_t hash_ = 14695981039346656037ull;
    std::uint64_t lines_ = 0;
};

}  // namespace skyvane

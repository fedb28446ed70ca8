#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/desktop.h"

namespace skyvane {

// Virtual-key codes the game and the desktop know by name.
namespace vk {
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Menu = 18;  // Alt
inline constexpr int Space = 32;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
}  // namespace vk

// Key repeat like the classic desktop: first repeat after 500 ms, then 30 a second.
inline constexpr std::int64_t kRepeatDelayUs = 500'000;
inline constexpr std::int64_t kRepeatEveryUs = 1'000'000 / 30;
// One period of the 64 Hz timer grid.
inline constexpr std::int64_t kPeriodUs = 15'625;

// What every desktop shares: forms' lifetimes, the timer grid, key routing and repeat, and the
// end of the program. Adapters supply the views.
class DesktopBase : public Desktop, private TimerClock {
  public:
    DesktopBase();
    ~DesktopBase() override;

    void load(Form& form) override;
    void show(Form& form) override;
    void hide(Form& form) override;
    void unload(Form& form) override;
    void messageBox(const std::string& text, int style, const std::string& title) override;
    [[noreturn]] void end() override;

    bool ended() const { return ended_; }
    // Runs one handler from the event loop; a ProgramEnded stops here.
    void invoke(const std::function<void()>& handler);

    // One period of the grid: due key repeats, then due timers.
    void runPeriod();
    // Moves the grid on to this period without ticking the ones passed over.
    void skipTo(std::uint64_t period);
    std::uint64_t period() const override { return period_; }
    // Orders the due timers of a period; by default they tick in the order they were loaded.
    void setTimerOrder(std::function<void(std::vector<Timer*>&)> order) {
        order_ = std::move(order);
    }

    // Input from the player. A key goes to the form's focused element if it has one (Return
    // presses a button, Space presses it on release), otherwise to the form's key handlers.
    void pressKey(Form& form, int keyCode);
    void releaseKey(Form& form, int keyCode);
    // Held keys are repeated only while the window has the keyboard.
    void releaseAllKeys();
    bool keyHeld(int keyCode) const { return held_.count(keyCode) != 0; }
    void click(Button& button);
    void closeWindow(Form& form);

    const std::vector<Form*>& loadedForms() const { return forms_; }

  protected:
    virtual void attach(Form& form) = 0;
    virtual void detach(Form& form) = 0;
    virtual void present(Form& form, bool visible) = 0;
    virtual void runMessageBox(const std::string& text, int style, const std::string& title) = 0;
    virtual void quit() = 0;

  private:
    void throwIfEnded() const;
    void deliverKeyDown(Form& form, int keyCode, bool repeat);
    std::int16_t shiftMask() const;
    std::int64_t nowUs() const { return static_cast<std::int64_t>(period_) * kPeriodUs; }

    std::vector<Form*> forms_;
    std::vector<Timer*> timers_;
    std::function<void(std::vector<Timer*>&)> order_;
    std::uint64_t period_ = 0;
    std::map<int, std::int64_t> held_;  // key code -> time of its next repeat
    Form* keyForm_ = nullptr;
    Button* spaceArmed_ = nullptr;
    int depth_ = 0;
    bool ended_ = false;
};

}  // namespace skyvane

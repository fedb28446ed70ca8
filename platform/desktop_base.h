// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/input.h"
#include "platform/keys.h"
#include "platform/reading.h"

namespace skyvane {

// Key repeat like the classic keyboard: first repeat after 500 ms, then 30 a second.
inline constexpr std::int64_t kRepeatDelayUs = 500'000;
inline constexpr std::int64_t kRepeatEveryUs = 1'000'000 / 30;
// One period of the 64 Hz timer grid.
inline constexpr std::int64_t kPeriodUs = 15'625;

// What every desktop shares: forms' lifetimes, the timer grid, key routing and repeat, modal
// message boxes and the end of the program. Adapters supply the views.
//
// Input from the player arrives through pressKey, releaseKey, click, closeWindow, editText,
// moveFocus and loseKeyboard. While a message box is open, or once the program has ended, all
// of it is refused, as the real desktop refuses input to windows behind a modal box. Every input
// the game takes is told to the input sink, with the period at which it was taken.
class DesktopBase : public Desktop, private TimerClock {
  public:
    DesktopBase();
    ~DesktopBase() override;
    DesktopBase(const DesktopBase&) = delete;
    DesktopBase& operator=(const DesktopBase&) = delete;

    void load(Form& form) override;
    void show(Form& form) override;
    void hide(Form& form) override;
    void unload(Form& form) override;
    void messageBox(const std::string& text, int style, const std::string& title) override;
    [[noreturn]] void end() override;

    bool ended() const { return ended_; }
    // Ends the program from outside any handler (a signal, the end of a replay): no handler
    // runs after it.
    void endFromOutside();
    // Runs one handler from the event loop; a ProgramEnded stops here, and a handler that fails
    // with an exception is reported through handlerFailed.
    template <class Handler>
    void invoke(Handler&& handler) {
        if (ended_) return;
        try {
            handler();
        } catch (const ProgramEnded&) {
            // The program has ended; the handler stops here.
        } catch (const std::exception& error) {
            // A handler that fails stops where it failed; the game goes on.
            handlerFailed(error);
        }
    }

    // One period of the grid: due key repeats, then due timers, then afterPeriod.
    void runPeriod();
    // Looks at where the game stands once each period has run (the audio guide).
    std::function<void()> afterPeriod;
    // Moves the grid on to this period without ticking the ones passed over.
    void skipTo(std::uint64_t period);
    std::uint64_t period() const override { return period_; }
    // Orders the due timers of a period; by default they tick in the order they were loaded.
    void setTimerOrder(std::function<void(std::vector<Timer*>&)> order) {
        order_ = std::move(order);
    }

    // Input from the player. A key goes to the form's focused element if it has one (Return
    // presses a button, Space presses it on release), otherwise to the form's key handlers.
    // A key typed into a text box is the box's own: the game never sees it, down or up. A key's
    // up is taken only if its down was, so the two reach the game as a pair or not at all; a
    // press of a key already down is the window system's own repeat and is dropped.
    void pressKey(Form& form, int keyCode);
    void releaseKey(Form& form, int keyCode);
    // The sources of the same keys: the keyboard, a finger on the touch keys, a gamepad. A key
    // held by several goes down in the game when the first holds it and up when the last lets
    // go: the game and its recording see one down and one up, whatever held it.
    enum class Source : unsigned { Keyboard = 1, Touch = 2, Pad = 4 };
    void holdKey(Form& form, int keyCode, Source source, bool down);
    void click(Button& button);
    void closeWindow(Form& form);
    // The player typed into a text box or moved the focus; false if the desktop refused it, and
    // the view should show the model again.
    bool editText(TextBox& box, std::string text);
    bool moveFocus(Focusable& element);
    // The window lost the keyboard: every held key is released, its key-up handler running in
    // the order the keys went down, and nothing repeats. A message box takes the keyboard too.
    void loseKeyboard();

    bool keyHeld(int keyCode) const;
    // The keys a player asks the game with (form.answerReader), for a player who listens: a
    // screen reader, the audio guide. Off, every key is the game's, as it always was.
    void setReaderKeys(bool on) { readerKeys_ = on; }
    bool readerKeys() const { return readerKeys_; }
    // A key the player pressed: if it asks the game a question, the answer is said, and true;
    // the game never sees the key, and no recording holds it. An adapter asks before pressKey,
    // saying whether a screen reader listens (which turns the reader keys on too).
    bool askedReader(Form& form, int keyCode, bool readerListens = false);
    bool modal() const { return boxes_ > 0; }

    // Listeners: the input sink records what the game takes; the trace hears every handler
    // call and property change of every loaded form.
    void setInputSink(InputSink* sink) { sink_ = sink; }
    void setTrace(Trace* trace);
    // What screen readers are told of the forms' changes (platform/reading.h), while a desktop
    // has one to tell; off, nothing is kept or worked out.
    void setListened(bool listened);
    bool listened() const { return listened_; }
    std::vector<Notice> takeNews(std::uint64_t now) { return news_.take(now); }

    // A replay: while a source is set, the player is locked out, the desktop makes no repeats
    // of its own, and the source's inputs come in through apply() between periods and at their
    // start.
    void setInputSource(InputSource* source);
    bool playerLockedOut() const { return source_ != nullptr; }

    enum class From { Player, Replay };
    // Takes one input by its kind: the one switch between what a desktop or a replay hears and
    // the rules above. From the player, only what a player makes (keys, clicks, close boxes,
    // edits, focus, a box's OK, the keyboard lost); from a replay, also the desktop's repeats,
    // stalls and the end, which the lock on the player lets through. A form or element that does
    // not exist, or an input the real desktop could not have taken then (a click on a hidden
    // button, a repeat of a key that is not repeating), is ignored, as the desktop ignores it.
    void apply(const Input& input, const std::vector<Form*>& forms, From from = From::Replay);
    // Message boxes open now, one inside another.
    int boxes() const { return boxes_; }

  protected:
    virtual void attach(Form& form) = 0;
    virtual void detach(Form& form) = 0;
    virtual void present(Form& form, bool visible) = 0;
    virtual void runMessageBox(const std::string& text, int style, const std::string& title) = 0;
    // Closes the open message box for a replay.
    virtual void closeMessageBox() = 0;
    virtual void quit() = 0;
    // Words for a screen reader to speak now, in the form's window.
    virtual void say(Form& form, const std::string& words) {
        (void)form;
        (void)words;
    }
    // A handler failed with an exception: the game goes on, and the desktop says so.
    virtual void handlerFailed(const std::exception& error);

  private:
    class Applying;
    // Passes every change on to the trace and to the news.
    class Relay : public Trace {
      public:
        explicit Relay(DesktopBase& desktop) : desktop_(desktop) {}
        void handlerCalled(const Form& form, std::string_view element, std::string_view event,
                           int code) override;
        void elementChanged(Element& element, Property property) override;
        void formChanged(Form& form, Property property) override;

      private:
        DesktopBase& desktop_;
    };
    void relayTo(Form& form);

    void throwIfEnded() const;
    bool takesInput() const;
    void record(Input input);
    void finish();
    // Calls one handler of a form, telling the trace which.
    template <class Fn>
    void call(Form& form, std::string_view element, std::string_view event, int code, Fn&& fn) {
        if (trace_) trace_->handlerCalled(form, element, event, code);
        fn();
    }
    void callClick(Button& button);
    void deliverKeyDown(Form& form, int keyCode, bool repeat);
    void deliverKeyUp(Form& form, int keyCode);
    void forgetKeys();
    void releaseHeldKeys();
    void repeatDueKey();
    std::int16_t shiftMask() const;
    std::int64_t nowUs() const { return static_cast<std::int64_t>(period_) * kPeriodUs; }

    std::vector<Form*> forms_;
    std::vector<Timer*> timers_;
    // One list of due timers for each level of nesting: a handler can run periods of its own
    // behind a message box.
    std::deque<std::vector<Timer*>> due_;
    std::size_t depth_ = 0;
    std::function<void(std::vector<Timer*>&)> order_;
    std::uint64_t period_ = 0;

    struct HeldKey {
        int code;
        Form* form;  // null once the form is unloaded
    };
    std::vector<HeldKey> held_;                      // in the order the keys went down
    std::vector<std::pair<int, unsigned>> holders_;  // each key held: the sources holding it
    int repeatKey_ = 0;
    std::int64_t nextRepeatUs_ = 0;
    Form* keyForm_ = nullptr;
    Button* spaceArmed_ = nullptr;

    int boxes_ = 0;
    bool ended_ = false;
    bool applying_ = false;
    bool readerKeys_ = false;
    InputSink* sink_ = nullptr;
    InputSource* source_ = nullptr;
    Trace* trace_ = nullptr;
    Relay relay_{*this};
    ReaderNews news_;
    bool listened_ = false;
};

}  // namespace skyvane

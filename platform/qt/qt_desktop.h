// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/desktop_base.h"
#include "platform/pacer.h"
#include "platform/pad.h"

class QKeyEvent;
class QMessageBox;

namespace skyvane {

class FormWindow;

// The desktop on Qt Widgets: one window per loaded form, the timer grid paced on absolute
// deadlines, the player's keys and clicks, modal message boxes.
class QtDesktop : public QObject, public DesktopBase {
  public:
    // onEnd runs when the program ends, before the event loop is left (to silence the sound).
    explicit QtDesktop(std::function<void()> onEnd = {});
    ~QtDesktop() override;

    FormWindow* windowFor(const Form& form) const;

    // Runs the event loop until the program ends; its exit status.
    int run();

    // The pacer's clock in nanoseconds; tests give it a clock of their own and call wake().
    void setClock(std::function<std::int64_t()> nowNs);
    // Runs the period that is due, if any, and arms the timer for the next deadline. Periods
    // passed over while the process stalled are dropped, not run in a burst; a replay instead
    // goes on from where it was.
    void wake();
    // A replay watched faster (2, 4) or slower (0.5) than the game's own clock.
    void setSpeed(double speed);
    bool pacerArmed() const;
    // How long the pacer sleeps before it looks again, in milliseconds.
    int nextWakeMs() const;

    // The player closed a window with its close box. During a replay that ends the replay.
    void closedByPlayer(Form& form);
    // Another program destroyed the window: it closes as by its close box, once no message
    // box stands in the way.
    void windowDestroyed(FormWindow& window);
    // The first paint of a window: with SKYVANE_TRACE_STARTUP set, the moment of the first
    // frame is written to stderr for the benchmarks.
    void painted(const FormWindow& window);

    bool eventFilter(QObject* watched, QEvent* event) override;
    // A gamepad as it stands now: its keys go to the window that has the keyboard, held
    // beside the keyboard's own; a pad that goes lets go of them.
    void padChanged(const PadState& pad);
    void padGone();
    // The player's keys, seen before any of Qt's filters (GameApplication::notify): true when
    // the game took the key.
    bool takeKeyFirst(QObject* receiver, QEvent* event);

    // Told of every form the desktop shows, after it shows.
    std::function<void(Form&)> onShow;

  protected:
    void attach(Form& form) override;
    void detach(Form& form) override;
    void present(Form& form, bool visible) override;
    void runMessageBox(const std::string& text, int style, const std::string& title) override;
    void closeMessageBox() override;
    void quit() override;
    void say(Form& form, const std::string& words) override;

  private:
    class WindowWatch;
    std::int64_t clockNs() const;
    void closeDestroyed();
    void arm(bool held = false);
    void focusChanged(QWidget* now);
    enum class KeyRoute { Qt, Game, Drop };
    KeyRoute routeKey(QObject* watched, QKeyEvent* key) const;
    void takeKey(FormWindow& window, QKeyEvent* key);
    void tellReader();

    std::unordered_map<const Form*, FormWindow*> windows_;
    std::unique_ptr<WindowWatch> windowWatch_;
    std::vector<Form*> destroyed_;
    std::function<void()> onEnd_;
    std::function<std::int64_t()> clock_;
    QElapsedTimer elapsed_;
    Pacer pacer_;
    QTimer timer_;
    QPointer<QMessageBox> box_;
    bool closingBox_ = false;
    bool running_ = false;
    bool firstFrameTraced_ = false;
    bool tracePace_ = false;  // SKYVANE_TRACE_PACE: every period's moment on stderr
    // Keys a screen reader heard after the game had them: its bridge sends them back here.
    QObject readerEar_;
    bool readerModifier_ = false;  // Insert or Caps Lock held: the keys are the reader's
    PadMapper pad_;
    Form* padForm_ = nullptr;  // where the pad's held keys went down
    Form* shownLast_ = nullptr;
};

// The virtual-key code of a Qt key event; a key the game has no name for is vk::Other.
int virtualKey(const QKeyEvent& event);

}  // namespace skyvane

#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <unordered_map>

#include "platform/desktop_base.h"

class QKeyEvent;

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

    // The pacer's clock in nanoseconds; tests give it a clock of their own and call wake().
    void setClock(std::function<std::int64_t()> nowNs);
    // Runs the period that is due, if any, dropping any passed over while the process stalled,
    // and arms the timer for the next deadline.
    void wake();

    bool eventFilter(QObject* watched, QEvent* event) override;

  protected:
    void attach(Form& form) override;
    void detach(Form& form) override;
    void present(Form& form, bool visible) override;
    void runMessageBox(const std::string& text, int style, const std::string& title) override;
    void quit() override;

  private:
    std::int64_t nowNs() const;
    void arm(std::int64_t now);
    void focusChanged(QWidget* now);

    std::unordered_map<const Form*, FormWindow*> windows_;
    std::function<void()> onEnd_;
    std::function<std::int64_t()> clock_;
    QElapsedTimer elapsed_;
    QTimer pacer_;
};

// The virtual-key code of a Qt key event, or 0 for a key the game has no code for.
int virtualKey(const QKeyEvent& event);

}  // namespace skyvane

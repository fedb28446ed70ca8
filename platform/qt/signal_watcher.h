// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <chrono>
#include <functional>
#include <thread>

class QSocketNotifier;

namespace skyvane {

// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop: the handler itself only
// writes the signal's number into a pipe, which the loop reads. After the program has cleaned
// up, dieBy() ends the process by the same signal, so a shell sees 128 + its number. If the
// loop does not come round within kGrace, a watchdog thread ends the process by the signal.
class SignalWatcher : public QObject {
  public:
    explicit SignalWatcher(std::function<void(int)> onSignal);
    ~SignalWatcher() override;
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // The first signal caught, or 0.
    int caught() const { return caught_; }
    [[noreturn]] static void dieBy(int signal);
    // How long the program has to end by itself after a signal before a watchdog ends it.
    static constexpr std::chrono::milliseconds kGrace{500};

  private:
    void readPipe();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    int caught_ = 0;
    std::thread watchdog_;
};

}  // namespace skyvane

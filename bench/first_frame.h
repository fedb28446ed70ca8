// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The window of the benchmarks' floors: with SKYVANE_TRACE_STARTUP set it writes the moment of
// its first frame, as the game does, once the whole window is painted.

#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace skyvane::bench {

class FirstFrameWindow : public QWidget {
  protected:
    void paintEvent(QPaintEvent*) override {
        if (traced_ || qEnvironmentVariableIsEmpty("SKYVANE_TRACE_STARTUP")) return;
        traced_ = true;
        QTimer::singleShot(0, [] {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
            std::fprintf(stderr, "skyvane: first frame %lld\n", static_cast<long long>(ns));
            std::fflush(stderr);
        });
    }

  private:
    bool traced_ = false;
};

}  // namespace skyvane::bench

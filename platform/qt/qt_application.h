// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QApplication>
#include <functional>

namespace skyvane {

// The program's application object. It shows each event to the desktop before any event filter
// sees it: a screen reader's bridge filters every key to ask the reader first, and a busy reader
// would hold the lift key for seconds.
class GameApplication : public QApplication {
  public:
    GameApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    // The desktop's first look at an event: true when it took the event whole.
    std::function<bool(QObject* receiver, QEvent* event)> first;

    bool notify(QObject* receiver, QEvent* event) override {
        if (first && first(receiver, event)) return true;
        return QApplication::notify(receiver, event);
    }
    // Only the application's event filters see the event, and then the receiver, which is no
    // widget: how a screen reader's bridge hears a key the game has already taken.
    bool throughFilters(QObject* receiver, QEvent* event) {
        return QCoreApplication::notify(receiver, event);
    }
};

}  // namespace skyvane

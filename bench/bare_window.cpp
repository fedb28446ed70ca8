// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The toolkit's own floor: a bare Qt Widgets window the size of the title screen, with one
// label. With --tick it updates the label 64 times a second, as the game's timers do.
// With SKYVANE_TRACE_STARTUP set it writes the moment of its first frame, as the game does.

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstring>

#include "bench/first_frame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    skyvane::bench::FirstFrameWindow window;
    window.resize(401, 142);
    window.setStyleSheet("background: black; color: yellow;");
    QLabel label("0", &window);
    label.setGeometry(10, 10, 100, 20);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    int n = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] { label.setText(QString::number(++n)); });
    if (argc > 1 && std::strcmp(argv[1], "--tick") == 0) timer.start(16);
    window.show();
    return QApplication::exec();
}

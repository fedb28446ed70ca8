// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// The floor of the game's own job, to measure the game against: a plain Qt Widgets window the
// size of the mission screen that draws the same instrument panel's texts in the same Japanese
// fonts and, with --tick, changes its three readouts 64 times a second; with --sound WAVE it
// loops the wave through SDL2_mixer as the game mixes its rotor (22.05 kHz mono), opened once
// the window is on the screen. Nothing of the game's model, layouts or timer grid.
// With SKYVANE_TRACE_STARTUP set it writes the moment of its first frame, as the game does.

#include <SDL.h>
#include <SDL_mixer.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/first_frame.h"

namespace {

QFont face(const char* family, int pixels, bool bold = false) {
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QLabel* label(QWidget* parent, const char* text, QRect box, const QFont& font,
              const char* style = "color: yellow;", Qt::Alignment align = Qt::AlignLeft) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setGeometry(box);
    l->setFont(font);
    l->setStyleSheet(style);
    l->setAlignment(align | Qt::AlignTop);
    return l;
}

bool loopWave(const char* path) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    if (Mix_OpenAudio(22050, AUDIO_S16SYS, 1, 1024) != 0) return false;
    Mix_AllocateChannels(1);
    Mix_Chunk* chunk = Mix_LoadWAV(path);
    return chunk && Mix_PlayChannel(0, chunk, -1) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    QApplication app(argc, argv);
    QApplication::setFont(face("IPAPGothic", 11));
    bool tick = false;
    const char* wave = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--tick") == 0) tick = true;
        if (std::strcmp(argv[i], "--sound") == 0 && i + 1 < argc) wave = argv[++i];
    }

    skyvane::bench::FirstFrameWindow window;
    window.resize(615, 400);
    window.setStyleSheet("background: black;");
    const QFont caption = face("IPAGothic", 19), number = face("IPAPGothic", 19),
                unit = face("IPAPGothic", 11), message = face("IPAPGothic", 13, true);
    const char* framed = "color: yellow; border: 1px solid grey;";
    label(&window, "高　　度", {16, 8, 81, 25}, caption);
    QLabel* altitude = label(&window, "0", {96, 8, 73, 25}, number, framed, Qt::AlignRight);
    label(&window, "m", {176, 16, 17, 17}, unit);
    label(&window, "昇降速度", {208, 8, 81, 25}, caption);
    QLabel* speed = label(&window, "0", {288, 8, 57, 25}, number, framed, Qt::AlignRight);
    label(&window, "km/h", {352, 16, 33, 17}, unit);
    label(&window, "燃　　料", {16, 40, 81, 25}, caption);
    QLabel* fuel = label(&window, "0", {96, 40, 73, 25}, number, framed, Qt::AlignRight);
    label(&window, "㍑", {176, 48, 25, 17}, unit);
    label(&window, "救助人数", {208, 40, 81, 25}, caption);
    label(&window, "0", {288, 40, 57, 25}, number, framed, Qt::AlignRight);
    label(&window, "人", {352, 48, 25, 17}, unit);
    label(&window, "搭乗", {392, 40, 41, 25}, caption);
    label(&window, "0", {432, 40, 33, 25}, number, framed, Qt::AlignRight);
    label(&window, "人", {472, 48, 25, 17}, unit);
    label(&window, "出力　　操舵", {512, 8, 73, 17}, unit);
    label(&window, "昇降速度20以内で、目標地点□に着陸し、取り残された人を救出せよ！",
          {8, 88, 600, 20}, message, framed);
    label(&window, "高度図（側面からの視点）", {88, 120, 137, 17}, unit, "color: blue;");
    label(&window, "位置図（上からの視点）", {400, 120, 129, 17}, unit, "color: blue;");
    label(&window, "キー操作　＝　上昇　：　Ｓｈｉｆｔキー　　　　　　　方位　：　←↑↓→キー",
          {104, 336, 377, 17}, unit, "color: red;");

    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    int n = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++n;
        altitude->setText(QString::number(n % 2580));
        speed->setText(QString::number(n % 40));
        fuel->setText(QString::number(1000 - n / 2 % 1000));
    });
    if (tick) timer.start(16);
    window.show();
    if (wave) QTimer::singleShot(0, [wave] { loopWave(wave); });
    return QApplication::exec();
}

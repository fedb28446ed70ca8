// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Flies the real game under X from outside, as a player's fingers would, through a whole
// mission to the thank-you box: it reads the run the game records as it goes (--record),
// plays it on a headless copy of the game to see where the helicopter is now, and presses and
// releases keys through XTEST. The game's mission window must hold the keyboard at the
// briefing. Exits 0 once the win box is closed, 1 if the mission is lost or time runs out.
// Usage: x_pilot RECORDING

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "platform/headless/headless_desktop.h"
#include "platform/pacer.h"
#include "replay/format.h"
#include "replay/player.h"
#include "screens/game.h"
#include "screens/phase.h"
#include "tests/pilot.h"

namespace {

using namespace skyvane;
using Clock = std::chrono::steady_clock;

class Fingers {
  public:
    explicit Fingers(Display* display) : display_(display) {
        const std::map<int, KeySym> syms = {{vk::Shift, XK_Shift_L}, {vk::Left, XK_Left},
                                            {vk::Right, XK_Right},   {vk::Up, XK_Up},
                                            {vk::Down, XK_Down},     {vk::Return, XK_Return}};
        for (const auto& [key, sym] : syms) codes_[key] = XKeysymToKeycode(display_, sym);
    }
    void set(int key, bool down) {
        if (!key || held_[key] == down) return;
        held_[key] = down;
        XTestFakeKeyEvent(display_, codes_[key], down, CurrentTime);
        XFlush(display_);
    }
    void tap(int key) {
        set(key, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        set(key, false);
    }
    void hold(const testing::Stick& s) {
        for (int key : {vk::Left, vk::Right}) set(key, s.x == key);
        for (int key : {vk::Up, vk::Down}) set(key, s.z == key);
        set(vk::Shift, s.lift);
    }
    void letGo() { hold({}); }

  private:
    Display* display_;
    std::map<int, KeyCode> codes_;
    std::map<int, bool> held_;
};

// The recording so far, without a line still being written.
std::string recordedSoFar(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), {}};
    text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: x_pilot RECORDING\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x_pilot: no display\n");
        return 2;
    }
    Fingers fingers(display);
    // The game's pace, as the test set it for the game too: a period lasts longer by as much.
    const char* paced = std::getenv("SKYVANE_TEST_PACE");
    const double pace = paced ? Pacer::parseSpeed(paced).value_or(1.0) : 1.0;
    const auto period = std::chrono::microseconds(static_cast<std::int64_t>(kPeriodUs / pace));
    const auto start = Clock::now();
    // The live game's period, reckoned from the newest line the game wrote and when it came.
    std::uint64_t anchorPeriod = 0;
    auto anchorTime = start;
    std::size_t lines = 0;
    auto lastTap = start - std::chrono::seconds(1);
    Phase tappedIn = Phase::Ended;

    while (Clock::now() - start < std::chrono::seconds(150) / pace) {
        const std::string text = recordedSoFar(argv[1]);
        std::istringstream in(text);
        auto file = replay::read(in);
        if (file.error || file.inputs.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        bool boxClosed = false;  // the only box of a won mission is the thank-you box
        for (std::size_t i = 0; i < file.inputs.size(); ++i)
            boxClosed = boxClosed || file.inputs.kind(i) == Input::Kind::BoxClosed;
        if (file.inputs.size() != lines) {
            lines = file.inputs.size();
            const auto last = file.inputs.size() - 1;
            anchorPeriod = file.inputs.kind(last) == Input::Kind::Skip ? file.inputs[last].value
                                                                       : file.inputs.period(last);
            anchorTime = Clock::now();
        }
        const auto now =
            anchorPeriod + static_cast<std::uint64_t>((Clock::now() - anchorTime) / period);

        // The copy: the recorded run, then the periods since its last input.
        HeadlessDesktop desktop;
        NullSound silence;
        Game game(desktop, silence);
        {
            replay::Player replayer(desktop, game.forms(), std::move(file.inputs));
            auto runPeriod = [&] { desktop.runPeriod(); };
            desktop.whileMessageBox = [&](const MessageBoxCall&) { replayer.pump(runPeriod); };
            desktop.invoke([&] { game.start(); });
            replayer.pump(runPeriod);
            // Past the recording a box closes at once: the replayer is gone.
            desktop.whileMessageBox = nullptr;
        }
        if (desktop.period() < now) desktop.advance(now - desktop.period());
        const Phase phase = phaseOf(game, desktop);
        const MissionScreen& m = game.mission;

        // A button is pressed once per phase, again if the phase has not moved on a second
        // later (the copy ran a little ahead of the game).
        const auto sinceTap = Clock::now() - lastTap;
        const bool mayTap = sinceTap > std::chrono::milliseconds(300) &&
                            (tappedIn != phase || sinceTap > std::chrono::seconds(1));
        auto tapReturn = [&] {
            fingers.letGo();
            fingers.tap(vk::Return);
            lastTap = Clock::now();
            tappedIn = phase;
        };
        switch (phase) {
            case Phase::Briefing:
            case Phase::Base:    // GO holds the focus
            case Phase::Target:  // BACK holds the focus
                if (mayTap) tapReturn();
                break;
            case Phase::Flight:
                // Out to the target, home to the base, touching down slower than the rules ask.
                fingers.hold(m.Outbound ? testing::decide(m, 600, 1150, true, 1800, 8)
                                        : testing::decide(m, 3590, 2360, true, 1800, 8));
                break;
            case Phase::Won:
                if (boxClosed) {
                    // The thank-you box is closed in the recording: the closing screen shows.
                    std::printf("x_pilot: won at period %llu\n",
                                static_cast<unsigned long long>(desktop.period()));
                    XCloseDisplay(display);
                    return 0;
                }
                if (mayTap) tapReturn();  // the thank-you box holds the keyboard
                break;
            case Phase::Crashed:
            case Phase::Sunk:
            case Phase::Ended:
                fingers.letGo();
                std::printf("x_pilot: the mission ended %s at period %llu\n", phaseName(phase),
                            static_cast<unsigned long long>(desktop.period()));
                XCloseDisplay(display);
                return 1;
            case Phase::Title:
                break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    fingers.letGo();
    std::printf("x_pilot: no win within the time\n");
    XCloseDisplay(display);
    return 1;
}

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/sdl_pad.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <vector>

#include "platform/qt/sdl_library.h"

namespace skyvane {

SdlPad::SdlPad(std::function<void(const PadState&)> changed, std::function<void()> gone)
    : changed_(std::move(changed)), gone_(std::move(gone)) {}

SdlPad::~SdlPad() {
    quit_ = true;
    if (worker_.joinable()) worker_.join();
}

void SdlPad::start() {
    if (worker_.joinable()) return;
    worker_ = std::thread([this] { run(); });
}

void SdlPad::run() {
    SdlLibrary sdl;
    if (!sdl.loadPads()) return;
    {
        const std::lock_guard init(SdlLibrary::initLock());
        sdl.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // A pad is read whatever window has the keyboard: the game lets go of its keys when its
        // window loses the keyboard, as for any other source.
        sdl.SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        if (sdl.InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return;
    }
    watching_ = true;
    std::vector<SDL_GameController*> pads;
    // The standard layout's numbers of SDL's buttons, as the page's Gamepad API numbers them.
    static constexpr std::pair<SDL_GameControllerButton, unsigned> kButtons[] = {
        {SDL_CONTROLLER_BUTTON_A, PadState::A},
        {SDL_CONTROLLER_BUTTON_B, PadState::B},
        {SDL_CONTROLLER_BUTTON_X, PadState::X},
        {SDL_CONTROLLER_BUTTON_Y, PadState::Y},
        {SDL_CONTROLLER_BUTTON_START, PadState::Start},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, PadState::Up},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadState::Down},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadState::Left},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadState::Right}};
    auto post = [](auto what) { QMetaObject::invokeMethod(qApp, what, Qt::QueuedConnection); };
    auto stateOf = [&](SDL_GameController* pad) {
        PadState state;
        for (const auto& [button, bit] : kButtons)
            if (sdl.GameControllerGetButton(pad, button)) state.buttons |= bit;
        if (sdl.GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > 16384)
            state.buttons |= PadState::RightTrigger;
        state.stickX = sdl.GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX) * 100 / 32767;
        state.stickY = sdl.GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY) * 100 / 32767;
        return state;
    };
    while (!quit_) {
        SDL_Event e;
        if (!sdl.WaitEventTimeout(&e, 100)) continue;
        if (e.type == SDL_CONTROLLERDEVICEADDED) {
            // SDL gives the same controller again for one already open: kept once. A new pad is
            // told as it stands.
            if (auto* pad = sdl.GameControllerOpen(e.cdevice.which)) {
                if (std::find(pads.begin(), pads.end(), pad) == pads.end()) {
                    pads.push_back(pad);
                    post([this, state = stateOf(pad)] { changed_(state); });
                } else {
                    sdl.GameControllerClose(pad);
                }
            }
            continue;
        }
        if (e.type == SDL_CONTROLLERDEVICEREMOVED) {
            if (auto* pad = sdl.GameControllerFromInstanceID(e.cdevice.which)) {
                sdl.GameControllerClose(pad);
                std::erase(pads, pad);
            }
            if (pads.empty()) post([this] { gone_(); });
            continue;
        }
        if (e.type != SDL_CONTROLLERBUTTONDOWN && e.type != SDL_CONTROLLERBUTTONUP &&
            e.type != SDL_CONTROLLERAXISMOTION)
            continue;
        auto* pad = sdl.GameControllerFromInstanceID(
            e.type == SDL_CONTROLLERAXISMOTION ? e.caxis.which : e.cbutton.which);
        if (!pad) continue;
        post([this, state = stateOf(pad)] { changed_(state); });
    }
    for (auto* pad : pads) sdl.GameControllerClose(pad);
    const std::lock_guard init(SdlLibrary::initLock());
    sdl.QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The few calls of SDL and SDL_mixer the sound uses. On Linux the two libraries (and the forty
// codec, server and device libraries they pull in) are opened only when the sound starts, on its
// own thread: the title screen neither waits for them nor carries them in memory. Elsewhere they
// are linked as usual.

#include <SDL.h>
#include <SDL_mixer.h>

#include <mutex>

namespace skyvane {

struct SdlLibrary {
    decltype(&SDL_SetHint) SetHint = nullptr;
    decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&SDL_Quit) Quit = nullptr;
    decltype(&SDL_RWFromConstMem) RWFromConstMem = nullptr;
    decltype(&Mix_OpenAudio) OpenAudio = nullptr;
    decltype(&Mix_AllocateChannels) AllocateChannels = nullptr;
    decltype(&Mix_LoadWAV_RW) LoadWAV_RW = nullptr;
    decltype(&Mix_PlayChannel) PlayChannel = nullptr;
    decltype(&Mix_HaltChannel) HaltChannel = nullptr;
    decltype(&Mix_FreeChunk) FreeChunk = nullptr;
    decltype(&Mix_CloseAudio) CloseAudio = nullptr;
    decltype(&Mix_QuerySpec) QuerySpec = nullptr;
    decltype(&Mix_SetPostMix) SetPostMix = nullptr;

    // Opens the libraries; false if they are not on this system (the game is then silent).
    bool load();

    // Game controllers: SDL alone, opened by loadPads(); false where this SDL has none.
    decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&SDL_WaitEventTimeout) WaitEventTimeout = nullptr;
    decltype(&SDL_GameControllerOpen) GameControllerOpen = nullptr;
    decltype(&SDL_GameControllerClose) GameControllerClose = nullptr;
    decltype(&SDL_IsGameController) IsGameController = nullptr;
    decltype(&SDL_GameControllerGetButton) GameControllerGetButton = nullptr;
    decltype(&SDL_GameControllerGetAxis) GameControllerGetAxis = nullptr;
    decltype(&SDL_GameControllerFromInstanceID) GameControllerFromInstanceID = nullptr;
    bool loadPads();

    // SDL counts its subsystems without a lock: the sound and the pads start and stop theirs
    // one at a time.
    static std::mutex& initLock();
};

}  // namespace skyvane

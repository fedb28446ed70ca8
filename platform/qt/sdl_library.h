// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The few calls of SDL and SDL_mixer the sound uses. On Linux the two libraries (and the forty
// codec, server and device libraries they pull in) are opened only when the sound starts, on its
// own thread: the title screen neither waits for them nor carries them in memory. Elsewhere they
// are linked as usual.

#include <SDL.h>
#include <SDL_mixer.h>

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
};

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/sdl_library.h"

#if defined(SKYVANE_SDL_DLOPEN)
#include <dlfcn.h>

#include <type_traits>
#endif

namespace skyvane {

bool SdlLibrary::load() {
#if defined(SKYVANE_SDL_DLOPEN)
    // Kept open for the rest of the run: SDL's own threads live in them.
    void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
    void* mixer = sdl ? dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW) : nullptr;
    if (!mixer) return false;
    auto get = [](void* lib, auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
        return fn != nullptr;
    };
    return get(sdl, SetHint, "SDL_SetHint") && get(sdl, InitSubSystem, "SDL_InitSubSystem") &&
           get(sdl, Quit, "SDL_Quit") && get(sdl, QuitSubSystem, "SDL_QuitSubSystem") &&
           get(sdl, RWFromConstMem, "SDL_RWFromConstMem") &&
           get(mixer, OpenAudio, "Mix_OpenAudio") &&
           get(mixer, AllocateChannels, "Mix_AllocateChannels") &&
           get(mixer, LoadWAV_RW, "Mix_LoadWAV_RW") && get(mixer, PlayChannel, "Mix_PlayChannel") &&
           get(mixer, HaltChannel, "Mix_HaltChannel") && get(mixer, FreeChunk, "Mix_FreeChunk") &&
           get(mixer, CloseAudio, "Mix_CloseAudio") && get(mixer, QuerySpec, "Mix_QuerySpec") &&
           get(mixer, SetPostMix, "Mix_SetPostMix");
#else
    SetHint = &SDL_SetHint;
    InitSubSystem = &SDL_InitSubSystem;
    Quit = &SDL_Quit;
    QuitSubSystem = &SDL_QuitSubSystem;
    RWFromConstMem = &SDL_RWFromConstMem;
    OpenAudio = &Mix_OpenAudio;
    AllocateChannels = &Mix_AllocateChannels;
    LoadWAV_RW = &Mix_LoadWAV_RW;
    PlayChannel = &Mix_PlayChannel;
    HaltChannel = &Mix_HaltChannel;
    FreeChunk = &Mix_FreeChunk;
    CloseAudio = &Mix_CloseAudio;
    QuerySpec = &Mix_QuerySpec;
    SetPostMix = &Mix_SetPostMix;
    return true;
#endif
}

bool SdlLibrary::loadPads() {
#if defined(SKYVANE_SDL_DLOPEN)
    void* sdl = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!sdl) return false;
    auto get = [&](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(sdl, name));
        return fn != nullptr;
    };
    return get(SetHint, "SDL_SetHint") && get(InitSubSystem, "SDL_InitSubSystem") &&
           get(QuitSubSystem, "SDL_QuitSubSystem") &&
           get(WaitEventTimeout, "SDL_WaitEventTimeout") &&
           get(GameControllerOpen, "SDL_GameControllerOpen") &&
           get(GameControllerClose, "SDL_GameControllerClose") &&
           get(IsGameController, "SDL_IsGameController") &&
           get(GameControllerGetButton, "SDL_GameControllerGetButton") &&
           get(GameControllerGetAxis, "SDL_GameControllerGetAxis") &&
           get(GameControllerFromInstanceID, "SDL_GameControllerFromInstanceID");
#else
    SetHint = &SDL_SetHint;
    InitSubSystem = &SDL_InitSubSystem;
    QuitSubSystem = &SDL_QuitSubSystem;
    WaitEventTimeout = &SDL_WaitEventTimeout;
    GameControllerOpen = &SDL_GameControllerOpen;
    GameControllerClose = &SDL_GameControllerClose;
    IsGameController = &SDL_IsGameController;
    GameControllerGetButton = &SDL_GameControllerGetButton;
    GameControllerGetAxis = &SDL_GameControllerGetAxis;
    GameControllerFromInstanceID = &SDL_GameControllerFromInstanceID;
    return true;
#endif
}

std::mutex& SdlLibrary::initLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace skyvane

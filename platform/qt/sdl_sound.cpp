#include "platform/qt/sdl_sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace skyvane {

namespace {

// Audio drivers report a missing device at length on stderr; the game just stays silent.
class QuietStderr {
  public:
    QuietStderr() {
#if defined(__unix__) || defined(__APPLE__)
        std::fflush(stderr);
        saved_ = dup(2);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 2);
            close(null);
        }
#endif
    }
    ~QuietStderr() {
#if defined(__unix__) || defined(__APPLE__)
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, 2);
            close(saved_);
        }
#endif
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

  private:
    int saved_ = -1;
};

}  // namespace

SdlSound::SdlSound(std::vector<std::string> folders, std::vector<char> defaultWave)
    : folders_(std::move(folders)), defaultWave_(std::move(defaultWave)) {
    QuietStderr quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_AllocateChannels(1);
    open_ = true;
    if (!defaultWave_.empty()) {
        SDL_RWops* rw =
            SDL_RWFromConstMem(defaultWave_.data(), static_cast<int>(defaultWave_.size()));
        default_ = Mix_LoadWAV_RW(rw, 1);
    }
}

SdlSound::~SdlSound() {
    if (!open_) return;
    Mix_HaltChannel(-1);
    for (auto& [name, chunk] : chunks_)
        if (chunk) Mix_FreeChunk(chunk);
    if (default_) Mix_FreeChunk(default_);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

Mix_Chunk* SdlSound::chunkFor(const std::string& name) {
    auto it = chunks_.find(name);
    if (it != chunks_.end()) return it->second;
    Mix_Chunk* chunk = nullptr;
    for (const auto& folder : folders_) {
        const std::string path = folder.empty() ? name : folder + "/" + name;
        std::FILE* probe = std::fopen(path.c_str(), "rb");
        if (!probe) continue;
        std::fclose(probe);
        chunk = Mix_LoadWAV(path.c_str());
        break;  // the first file found is the one meant, even if it cannot be decoded
    }
    chunks_[name] = chunk;
    return chunk;
}

void SdlSound::preload(const std::string& name) {
    if (open_) chunkFor(name);
}

void SdlSound::play(const char* name, unsigned flags) {
    if (!open_) return;
    if (!name) {
        Mix_HaltChannel(-1);
        return;
    }
    Mix_Chunk* chunk = chunkFor(name);
    if (!chunk) chunk = default_;
    if (!chunk) {
        Mix_HaltChannel(-1);
        return;
    }
    // Every play is in the background; a synchronous one would stall the game's ticks.
    Mix_PlayChannel(0, chunk, (flags & kSoundLoop) ? -1 : 0);
}

}  // namespace skyvane

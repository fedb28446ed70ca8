// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/sdl_sound.h"

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "platform/guide_voice.h"
#include "platform/qt/sdl_library.h"
#include "platform/qt/wave_file.h"

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace skyvane {

namespace {
constexpr int kGuideRate = 22050;
}  // namespace

struct SdlSound::Shared {
    // Fixed before the worker starts.
    std::vector<std::string> folders;
    std::vector<char> defaultWave;
    std::vector<std::string> preload;
    bool guided = false;
    // The guide's cues go straight to its voice, which the mixer's thread draws.
    GuideVoice voice{kGuideRate};
    int voiceChannels = 1;

    mutable std::mutex mutex;
    std::condition_variable wake;
    mutable std::condition_variable settled;
    std::uint64_t requested = 0;  // counts the requests, so the worker sees a new one
    std::optional<std::string> name;
    unsigned flags = 0;
    bool quit = false;
    bool finished = false;
    State state = State::Dormant;

    // The worker's own.
    SdlLibrary sdl;
    Mix_Chunk* fallback = nullptr;
    std::map<std::string, Mix_Chunk*> chunks;  // null: could not be loaded
};

namespace {

#if defined(__linux__)
void silently(const char*, int, const char*, int, const char*, ...) {}
#endif

// ALSA reports a missing card at length on stderr; without a sound device the game is simply
// silent. Only the library SDL has already loaded is touched.
void quietAlsa() {
#if defined(__linux__)
    void* lib = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(lib, "snd_lib_error_set_handler")))
        set(&silently);
    dlclose(lib);
#endif
}

// The sound's part of SDL goes; the pads', if they are watched, stays.
void quitAudio(const SdlLibrary& sdl) {
    const std::lock_guard init(SdlLibrary::initLock());
    sdl.QuitSubSystem(SDL_INIT_AUDIO);
}

Mix_Chunk* decode(const SdlLibrary& sdl, const std::vector<char>& bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) return nullptr;
    SDL_RWops* rw = sdl.RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    return rw ? sdl.LoadWAV_RW(rw, 1) : nullptr;
}

// The game's waves are 22.05 kHz mono: mixing at that rate and width costs a quarter of CD
// quality, and the sound server resamples for the device.
constexpr int kRate = 22050;
constexpr int kChannels = 1;
constexpr int kFrames = 1024;  // 46 ms a buffer

}  // namespace

SdlSound::SdlSound(std::vector<std::string> folders, std::vector<char> defaultWave,
                   std::vector<std::string> preload, bool guided)
    : shared_(std::make_shared<Shared>()) {
    shared_->folders = std::move(folders);
    shared_->defaultWave = std::move(defaultWave);
    shared_->preload = std::move(preload);
    shared_->guided = guided;
}

void SdlSound::guide(const Guide& guide) {
    if (shared_->guided) shared_->voice.set(guide);
}

void SdlSound::start() {
    if (started_ || shut_) return;
    started_ = true;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->state = State::Opening;
    }
    worker_ = std::thread(&SdlSound::run, shared_);
}

SdlSound::~SdlSound() {
    shutdown();
}

void SdlSound::play(const char* name, unsigned flags) {
    // Stopping a sound that never started asks nothing of the audio system.
    if (!name && !started_) return;
    start();
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->quit) return;
        shared_->name = name ? std::optional<std::string>(name) : std::nullopt;
        shared_->flags = flags;
        ++shared_->requested;
    }
    shared_->wake.notify_one();
}

bool SdlSound::shutdown(std::chrono::milliseconds grace) {
    if (shut_) return true;
    shut_ = true;
    if (!started_) return true;
    bool finished = false;
    {
        std::unique_lock lock(shared_->mutex);
        shared_->quit = true;
        shared_->wake.notify_one();
        finished = shared_->settled.wait_for(lock, grace, [&] { return shared_->finished; });
    }
    if (finished) {
        worker_.join();
    } else {
        worker_.detach();  // it keeps its own share of the state
    }
    return finished;
}

SdlSound::State SdlSound::state() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->state;
}

bool SdlSound::waitSettled(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(shared_->mutex);
    return shared_->settled.wait_for(lock, timeout, [&] {
        return shared_->state != State::Opening && shared_->state != State::Dormant;
    });
}

void SdlSound::run(const std::shared_ptr<Shared>& shared) {
    Shared& s = *shared;
    auto settle = [&](State state, bool finished = false) {
        {
            std::lock_guard lock(s.mutex);
            s.state = state;
            s.finished = finished;
        }
        s.settled.notify_all();
    };

    // SDL and its mixer are one device for the whole process. A worker that was left behind
    // (its device did not close in time) may still be in SDL: the next one waits for it.
    static std::mutex sdlInUse;
    const std::lock_guard owner(sdlInUse);

    SdlLibrary& sdl = s.sdl;
    bool opened = sdl.load();
    if (opened) {
        // SDL's own handlers would turn Ctrl+C into an event nobody reads.
        sdl.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        sdl.SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Skyvane");
        const std::lock_guard init(SdlLibrary::initLock());
        opened = sdl.InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    if (opened) {
        quietAlsa();
        // The guide's pan needs two channels.
        opened = sdl.OpenAudio(kRate, AUDIO_S16SYS, s.guided ? 2 : kChannels, kFrames) == 0;
        if (!opened) quitAudio(sdl);
    }
    if (!opened) {
        // Silence: requests are taken and forgotten until the end.
        settle(State::Unavailable);
        std::unique_lock lock(s.mutex);
        s.wake.wait(lock, [&] { return s.quit; });
        lock.unlock();
        settle(State::Closed, true);
        return;
    }
    sdl.AllocateChannels(1);
    s.fallback = decode(sdl, s.defaultWave);
    int rate = 0, channels = 0;
    Uint16 format = 0;
    // Drawn at the mixer's rate and width as it mixes; a device that will not take 16 bits at
    // the guide's rate plays no guide.
    if (s.guided && sdl.QuerySpec(&rate, &format, &channels) && rate == kGuideRate &&
        format == AUDIO_S16SYS) {
        s.voiceChannels = channels;
        sdl.SetPostMix(
            [](void* data, Uint8* stream, int bytes) {
                auto& shared = *static_cast<Shared*>(data);
                shared.voice.mix(reinterpret_cast<std::int16_t*>(stream),
                                 bytes / 2 / shared.voiceChannels, shared.voiceChannels);
            },
            &s);
    }

    auto chunkFor = [&](const std::string& name) -> Mix_Chunk* {
        auto it = s.chunks.find(name);
        if (it != s.chunks.end()) return it->second;
        Mix_Chunk* chunk = nullptr;
        for (const auto& folder : s.folders) {
            std::string path = folder;
            if (!path.empty()) path += '/';
            path += name;
            if (!entryExists(path)) continue;
            // The first one found is the one meant, even if it cannot be played.
            auto bytes = readRegularFile(path, kMaxWaveFileBytes);
            if (bytes && plausibleWave(*bytes)) chunk = decode(sdl, *bytes);
            break;
        }
        s.chunks[name] = chunk;
        return chunk;
    };
    for (const auto& name : s.preload) chunkFor(name);
    settle(State::Open);

    std::uint64_t applied = 0;
    for (;;) {
        std::optional<std::string> name;
        unsigned flags = 0;
        {
            std::unique_lock lock(s.mutex);
            s.wake.wait(lock, [&] { return s.quit || s.requested != applied; });
            if (s.quit) break;
            applied = s.requested;
            name = s.name;
            flags = s.flags;
        }
        Mix_Chunk* chunk = name ? chunkFor(*name) : nullptr;
        if (name && !chunk) chunk = s.fallback;
        if (chunk) {
            // Every play is in the background; a synchronous one would stall the game's ticks.
            sdl.PlayChannel(0, chunk, (flags & kSoundLoop) ? -1 : 0);
        } else {
            sdl.HaltChannel(-1);
        }
    }

    sdl.HaltChannel(-1);
    if (s.guided) sdl.SetPostMix(nullptr, nullptr);
    for (auto& [name, chunk] : s.chunks)
        if (chunk) sdl.FreeChunk(chunk);
    s.chunks.clear();
    if (s.fallback) sdl.FreeChunk(s.fallback);
    s.fallback = nullptr;
    sdl.CloseAudio();
    quitAudio(sdl);
    settle(State::Closed, true);
}

}  // namespace skyvane

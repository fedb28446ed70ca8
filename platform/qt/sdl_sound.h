#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/sound.h"

struct Mix_Chunk;

namespace skyvane {

// Sound on SDL2_mixer. It mixes on its own thread, so no call waits on the audio server; one
// channel, so a new sound cuts off the one playing.
class SdlSound : public Sound {
  public:
    // Looks names up in each folder in turn; the default sound is a wave file in memory.
    SdlSound(std::vector<std::string> folders, std::vector<char> defaultWave);
    ~SdlSound() override;
    SdlSound(const SdlSound&) = delete;
    SdlSound& operator=(const SdlSound&) = delete;

    void play(const char* name, unsigned flags) override;
    // Loads a file ahead of its first use, so starting it later does not touch the disk.
    void preload(const std::string& name);
    bool open() const { return open_; }

  private:
    Mix_Chunk* chunkFor(const std::string& name);

    std::vector<std::string> folders_;
    std::vector<char> defaultWave_;
    Mix_Chunk* default_ = nullptr;
    std::map<std::string, Mix_Chunk*> chunks_;  // null: could not be loaded
    bool open_ = false;
};

}  // namespace skyvane

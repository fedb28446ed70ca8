// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Real sound through SDL2_mixer into a private PulseAudio null sink, recorded from its monitor.
// test.sh starts the server and names the sink in SKYVANE_TEST_SINK.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mission/mission_sounds.h"
#include "platform/qt/sdl_sound.h"
#include "tests/recorder.h"
#include "tests/wave_files.h"

namespace skyvane {
namespace {

using mission_sounds::kExplosion;
using mission_sounds::kRotor;

using testing::Clock;
using testing::kLoud;
using testing::kQuiet;
using testing::Recorder;

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int firstLoud(const std::vector<double>& rms) {
    for (size_t i = 0; i < rms.size(); ++i)
        if (rms[i] > kLoud) return static_cast<int>(i);
    return -1;
}

int lastLoud(const std::vector<double>& rms) {
    for (size_t i = rms.size(); i-- > 0;)
        if (rms[i] > kLoud) return static_cast<int>(i);
    return -1;
}

// What was heard, as the 20 ms windows that held sound. A busy machine may let the sink starve
// now and then, which puts silence between the windows but takes none of them away: the count,
// unlike the span from the first to the last, is what was played.
int loudWindows(const std::vector<double>& rms) {
    return static_cast<int>(
        std::count_if(rms.begin(), rms.end(), [](double r) { return r > kLoud; }));
}

// A sound of `expected` windows was heard once, whole: a starved sink puts silence inside it,
// which may split a window in two but takes no sound away; a second playing would double it.
void expectHeardOnce(const std::vector<double>& rms, int expected) {
    EXPECT_GE(loudWindows(rms), expected - 3) << "cut short";
    EXPECT_LT(loudWindows(rms), 2 * expected - 3) << "played more than once";
}

// What a wave file holds, counted the same way.
int loudWindowsOf(const std::vector<char>& wave) {
    const size_t header = 44, frame = 2, rate = 22050, window = rate / 50;
    const size_t count = (wave.size() - header) / frame;
    int loud = 0;
    for (size_t i = 0; i + window <= count; i += window) {
        double sum = 0;
        for (size_t j = i; j < i + window; ++j) {
            std::int16_t s;
            std::memcpy(&s, wave.data() + header + j * frame, 2);
            sum += double(s) * s;
        }
        if (std::sqrt(sum / window) / 32768.0 > kLoud) ++loud;
    }
    return loud;
}

class RealSound : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* s = std::getenv("SKYVANE_TEST_SINK");
        if (!s) GTEST_SKIP() << "no test sound server; test.sh starts one";
        sink = s;
        sound = std::make_unique<SdlSound>(
            std::vector<std::string>{SKYVANE_ASSETS},
            readFile(std::string(SKYVANE_ASSETS) + "/sounds/default.wav"));
        sound->start();
        ASSERT_TRUE(sound->waitSettled(std::chrono::seconds(10)));
        ASSERT_TRUE(sound->open());
    }
    std::string sink;
    std::unique_ptr<SdlSound> sound;
};

// The recording's own clock is the monitor's stream, so the test measures sound in it rather than
// lining it up with the wall clock.
// A mixer starved by a busy machine leaves a gap wherever it falls, now and then on a seam: a
// gap at a seam is listened for again, twice at most. A loop that does not come round whole
// leaves its gap at every seam, every time.
TEST_F(RealSound, RotorLoopsUntilStoppedAndFallsSilentAtOnce) {
    const int loop =
        static_cast<int>(readFile(std::string(SKYVANE_ASSETS) + "/" + kRotor).size() - 44) / 2 /
        (22050 / 50);
    std::string gaps;
    for (int listening = 0; listening < 3; ++listening) {
        Recorder rec(sink);
        const auto start = Clock::now();
        sound->play(kRotor, kSoundAsync | kSoundLoop);
        std::this_thread::sleep_for(
            std::chrono::milliseconds(2000));  // over two lengths of the loop
        sound->play(nullptr, kSoundSync);
        const auto played =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(1800));  // past the sink's latency
        const auto rms = rec.stop();

        const int first = firstLoud(rms), last = lastLoud(rms);
        ASSERT_GE(first, 0) << "nothing was heard";
        EXPECT_GT(loudWindows(rms), loop * 3 / 2) << "the loop ended by itself";
        EXPECT_LE((last - first + 1) * 20, played + 250) << "still sounding after the stop";
        // Where the loop comes round, the sound goes straight on.
        gaps.clear();
        for (int seam = first + loop; seam <= last; seam += loop)
            for (int i = seam - 1; i <= seam + 1; ++i)
                if (rms[static_cast<size_t>(i)] < kQuiet)
                    gaps += " " + std::to_string((i - first) * 20) + "ms";
        if (gaps.empty()) break;
    }
    EXPECT_EQ(gaps, "") << "the loop had gaps where it comes round, three times over";
}

TEST_F(RealSound, ExplosionPlaysOnceToItsEnd) {
    Recorder rec(sink);
    sound->play(kExplosion, kSoundAsync);
    // The null sink and its monitor add up to a second of latency; the sound is 1.5 s long.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    const auto rms = rec.stop();
    ASSERT_GE(firstLoud(rms), 0);
    expectHeardOnce(rms, loudWindowsOf(readFile(std::string(SKYVANE_ASSETS) + "/" + kExplosion)));
}

TEST_F(RealSound, AMissingFilePlaysTheDefaultSound) {
    Recorder rec(sink);
    sound->play("no-such-sound.wav", kSoundAsync);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const auto rms = rec.stop();
    ASSERT_GE(firstLoud(rms), 0) << "no default sound";
    expectHeardOnce(rms,
                    loudWindowsOf(readFile(std::string(SKYVANE_ASSETS) + "/sounds/default.wav")));
}

// Waves of any format the mixer takes play themselves; anything else plays the default sound.
TEST_F(RealSound, EveryWaveFormatPlaysItselfAndAnythingElseTheDefault) {
    namespace fs = std::filesystem;
    using testing::toneWave;
    using testing::WaveFormat;
    const auto chime = readFile(std::string(SKYVANE_ASSETS) + "/sounds/default.wav");
    const int chimeLength = loudWindowsOf(chime);
    const int second = 50;  // 20 ms windows
    const struct {
        const char* name;
        std::function<void(const std::string&)> make;
        int expected;
    } cases[] = {
        {"8-bit",
         [](const std::string& p) { testing::writeFile(p, toneWave(1, 11025, WaveFormat::Pcm8)); },
         second},
        {"32-bit float",
         [](const std::string& p) {
             testing::writeFile(p, toneWave(1, 44100, WaveFormat::Float32));
         },
         second},
        {"96 kHz",
         [](const std::string& p) { testing::writeFile(p, toneWave(1, 96000, WaveFormat::Pcm16)); },
         second},
        {"a pipe", [](const std::string& p) { mkfifo(p.c_str(), 0600); }, chimeLength},
        {"random bytes",
         [](const std::string& p) { testing::writeFile(p, std::vector<char>(5000, 'x')); },
         chimeLength},
    };
    const fs::path dir =
        fs::temp_directory_path() / ("skyvane-formats-" + std::to_string(getpid()));
    sound.reset();  // the mixer is one device: one player at a time
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        c.make((dir / kRotor).string());
        SdlSound sound({dir.string()}, chime);
        sound.start();
        ASSERT_TRUE(sound.waitSettled(std::chrono::seconds(10)));
        Recorder rec(sink);
        sound.play(kRotor, kSoundAsync);
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        const auto rms = rec.stop();
        ASSERT_GE(firstLoud(rms), 0) << "nothing was heard";
        expectHeardOnce(rms, c.expected);
    }
    fs::remove_all(dir);
}

// The sound starts on its own thread: a sound asked for before the device is open plays when it
// opens, unless a later call replaced it.
TEST_F(RealSound, ASoundAskedForBeforeTheDeviceOpensPlaysWhenItOpensIfStillWanted) {
    sound.reset();  // the mixer is one device: one player at a time
    const struct {
        const char* name;
        bool stopped;  // a stop follows before the device opens
    } cases[] = {{"the rotor, still wanted", false}, {"the rotor, then a stop", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec(sink);
        SdlSound early({SKYVANE_ASSETS}, {});
        EXPECT_EQ(early.state(), SdlSound::State::Dormant);
        early.play(kRotor, kSoundAsync | kSoundLoop);  // starts the worker
        if (c.stopped) early.play(nullptr, kSoundSync);
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
        const auto rms = rec.stop();
        EXPECT_EQ(firstLoud(rms) >= 0, !c.stopped);
    }
}

// Leaving from the title screen stops a sound that never played: that asks nothing of the
// audio system.
TEST(SoundWorker, StoppingASoundThatNeverStartedOpensNothing) {
    SdlSound sound({SKYVANE_ASSETS}, {});
    sound.play(nullptr, kSoundSync);
    EXPECT_EQ(sound.state(), SdlSound::State::Dormant);
    EXPECT_FALSE(sound.waitSettled(std::chrono::milliseconds(50)));
}

TEST(NoSoundServer, EveryCallReturnsAndNothingPlays) {
    const char* saved = std::getenv("PULSE_SERVER");
    const std::string keep = saved ? saved : "";
    setenv("PULSE_SERVER", "unix:/nonexistent/skyvane-no-server", 1);
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    {
        SdlSound sound({SKYVANE_ASSETS}, {});
        EXPECT_EQ(sound.state(), SdlSound::State::Dormant);
        sound.start();
        EXPECT_TRUE(sound.waitSettled(std::chrono::seconds(10)));
        EXPECT_FALSE(sound.open());
        sound.play(kRotor, kSoundAsync | kSoundLoop);
        sound.play(kExplosion, kSoundAsync);
        sound.play("missing.wav", kSoundAsync);
        sound.play(nullptr, kSoundSync);
    }
    unsetenv("SDL_AUDIODRIVER");
    if (saved) {
        setenv("PULSE_SERVER", keep.c_str(), 1);
    } else {
        unsetenv("PULSE_SERVER");
    }
}

}  // namespace
}  // namespace skyvane

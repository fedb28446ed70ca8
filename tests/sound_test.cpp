// Real sound through SDL2_mixer into a private PulseAudio null sink, recorded from its monitor.
// test.sh starts the server and names the sink in SKYVANE_TEST_SINK.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/sdl_sound.h"

extern char** environ;

namespace skyvane {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kWindow = kRate / 50;  // 20 ms
constexpr double kLoud = 0.005;      // RMS of a window that holds sound
constexpr double kQuiet = 0.0005;    // RMS of a silent window

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Records the sink's monitor from construction until stop(). The recorder is a process of its
// own, ended by its id, so nothing else on the machine is touched.
class Recorder {
  public:
    explicit Recorder(const std::string& sink) {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const std::string device = "--device=" + sink + ".monitor";
        std::vector<std::string> args = {"parec",        device,         "--format=s16le",
                                         "--rate=44100", "--channels=1", "--latency-msec=10",
                                         "--raw"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, "parec", &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        fd_ = fds[0];
        reader_ = std::thread([this] {
            std::int16_t buf[512];
            ssize_t n;
            while ((n = read(fd_, buf, sizeof buf)) > 0) {
                std::lock_guard<std::mutex> lock(mutex_);
                samples_.insert(samples_.end(), buf, buf + n / 2);
            }
        });
        // Nothing plays before the monitor stream delivers: it can take a second to start.
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < deadline) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (samples_.size() > kRate / 5) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~Recorder() { stop(); }
    std::vector<double> stop() {
        if (!stopped_) {
            stopped_ = true;
            if (pid_ > 0) {
                kill(pid_, SIGTERM);
                waitpid(pid_, nullptr, 0);
            }
            if (reader_.joinable()) reader_.join();
            if (fd_ >= 0) close(fd_);
        }
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<double> rms;
        for (size_t i = 0; i + kWindow <= samples_.size(); i += kWindow) {
            double sum = 0;
            for (size_t j = i; j < i + kWindow; ++j) sum += double(samples_[j]) * samples_[j];
            rms.push_back(std::sqrt(sum / kWindow) / 32768.0);
        }
        return rms;
    }

  private:
    pid_t pid_ = -1;
    int fd_ = -1;
    bool stopped_ = false;
    std::thread reader_;
    std::mutex mutex_;
    std::vector<std::int16_t> samples_;
};

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

// Length of a wave file's sound above the same threshold, in 20 ms windows.
int loudWindowsOf(const std::vector<char>& wave) {
    std::vector<double> rms;
    const size_t header = 44, frame = 2, rate = 22050, window = rate / 50;
    const size_t count = (wave.size() - header) / frame;
    int first = -1, last = -1;
    for (size_t i = 0; i + window <= count; i += window) {
        double sum = 0;
        for (size_t j = i; j < i + window; ++j) {
            std::int16_t s;
            std::memcpy(&s, wave.data() + header + j * frame, 2);
            sum += double(s) * s;
        }
        if (std::sqrt(sum / window) / 32768.0 > kLoud) {
            if (first < 0) first = static_cast<int>(i / window);
            last = static_cast<int>(i / window);
        }
    }
    return last - first + 1;
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
        ASSERT_TRUE(sound->waitSettled(std::chrono::seconds(10)));
        ASSERT_TRUE(sound->open());
    }
    std::string sink;
    std::unique_ptr<SdlSound> sound;
};

// The recording's own clock is the monitor's stream, so the test measures spans of sound in it
// rather than lining it up with the wall clock.
TEST_F(RealSound, RotorLoopsUntilStoppedAndFallsSilentAtOnce) {
    Recorder rec(sink);
    const auto start = Clock::now();
    sound->play("HERI3.wav", kSoundAsync | kSoundLoop);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));  // over two lengths of the loop
    sound->play(nullptr, kSoundSync);
    const auto played =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(1800));  // past the sink's latency
    const auto rms = rec.stop();

    const int first = firstLoud(rms), last = lastLoud(rms);
    ASSERT_GE(first, 0) << "nothing was heard";
    std::string gaps;
    for (int i = first; i <= last; ++i)
        if (rms[i] < kQuiet) gaps += " " + std::to_string((i - first) * 20) + "ms";
    EXPECT_EQ(gaps, "") << "the loop had gaps";
    const int heardMs = (last - first + 1) * 20;
    EXPECT_GE(heardMs, played - 100) << "the loop ended by itself";
    EXPECT_LE(heardMs, played + 250) << "still sounding after the stop";
}

TEST_F(RealSound, ExplosionPlaysOnceToItsEnd) {
    Recorder rec(sink);
    sound->play("BAKU.wav", kSoundAsync);
    // The null sink and its monitor add up to a second of latency; the sound is 1.5 s long.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    const auto rms = rec.stop();
    const int first = firstLoud(rms), last = lastLoud(rms);
    ASSERT_GE(first, 0);
    const int expected = loudWindowsOf(readFile(std::string(SKYVANE_ASSETS) + "/BAKU.wav"));
    EXPECT_GE(last - first + 1, expected - 3) << "cut short";
    EXPECT_LE(last - first + 1, expected + 3) << "played more than once";
}

TEST_F(RealSound, AMissingFilePlaysTheDefaultSound) {
    Recorder rec(sink);
    sound->play("no-such-sound.wav", kSoundAsync);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const auto rms = rec.stop();
    const int first = firstLoud(rms), last = lastLoud(rms);
    ASSERT_GE(first, 0) << "no default sound";
    const int expected =
        loudWindowsOf(readFile(std::string(SKYVANE_ASSETS) + "/sounds/default.wav"));
    EXPECT_NEAR(last - first + 1, expected, 3);
}

TEST(NoSoundServer, EveryCallReturnsAndNothingPlays) {
    const char* saved = std::getenv("PULSE_SERVER");
    const std::string keep = saved ? saved : "";
    setenv("PULSE_SERVER", "unix:/nonexistent/skyvane-no-server", 1);
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    {
        SdlSound sound({SKYVANE_ASSETS}, {});
        EXPECT_TRUE(sound.waitSettled(std::chrono::seconds(10)));
        EXPECT_FALSE(sound.open());
        sound.play("HERI3.wav", kSoundAsync | kSoundLoop);
        sound.play("BAKU.wav", kSoundAsync);
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

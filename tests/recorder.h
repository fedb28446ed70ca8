// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// Records what a PulseAudio sink plays, from its monitor, as the loudness of 20 ms windows.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace skyvane::testing {

using Clock = std::chrono::steady_clock;
inline constexpr int kRate = 44100;
inline constexpr int kWindow = kRate / 50;  // 20 ms
inline constexpr double kLoud = 0.005;      // RMS of a window that holds sound
inline constexpr double kQuiet = 0.0005;    // RMS of a silent window

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
    // The loudness of each 20 ms window recorded so far; the recorder stops.
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

}  // namespace skyvane::testing

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/signal_watcher.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <semaphore.h>
#include <unistd.h>
#endif

namespace skyvane {

namespace {

#if defined(Q_OS_UNIX)
int pipeFds[2] = {-1, -1};
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Wakes the watchdog: a signal, or the watcher going away.
sem_t watchdogWake;
volatile std::sig_atomic_t firstSignal = 0;
std::atomic<bool> watchdogQuit{false};

void writeSignalNumber(int signal) {
    // Only what is safe in a signal handler: one write, one semaphore post.
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const auto written = ::write(pipeFds[1], &number, 1);
    if (!firstSignal) firstSignal = signal;
    sem_post(&watchdogWake);
    errno = saved;
}

// The event loop ends the game on a signal; a handler that holds the loop (a name of millions
// of characters being laid out) must not hold the end. After the grace the process ends by the
// signal from here, and the sound ends with the process.
void watch() {
    while (sem_wait(&watchdogWake) != 0 && errno == EINTR) {
    }
    if (watchdogQuit) return;
    const auto until = std::chrono::steady_clock::now() + SignalWatcher::kGrace;
    while (std::chrono::steady_clock::now() < until) {
        if (watchdogQuit) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (watchdogQuit) return;
    SignalWatcher::dieBy(firstSignal);
}
#endif

}  // namespace

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
#if defined(Q_OS_UNIX)
    if (::pipe(pipeFds) != 0) return;
    for (int fd : pipeFds) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { readPipe(); });
    struct sigaction action = {};
    action.sa_handler = &writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sem_init(&watchdogWake, 0, 0);
    watchdogQuit = false;
    watchdog_ = std::thread(&watch);
    for (int s : kSignals) ::sigaction(s, &action, nullptr);
#endif
}

SignalWatcher::~SignalWatcher() {
#if defined(Q_OS_UNIX)
    if (pipeFds[0] < 0) return;
    for (int s : kSignals) std::signal(s, SIG_DFL);
    watchdogQuit = true;
    sem_post(&watchdogWake);
    if (watchdog_.joinable()) watchdog_.join();
    sem_destroy(&watchdogWake);
    delete notifier_;
    for (int& fd : pipeFds) {
        ::close(fd);
        fd = -1;
    }
#endif
}

void SignalWatcher::readPipe() {
#if defined(Q_OS_UNIX)
    unsigned char number = 0;
    while (::read(pipeFds[0], &number, 1) == 1) {
        if (caught_) continue;
        caught_ = number;
        if (onSignal_) onSignal_(caught_);
    }
#endif
}

void SignalWatcher::dieBy(int signal) {
#if defined(Q_OS_UNIX)
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
#endif
    std::_Exit(128 + signal);
}

}  // namespace skyvane

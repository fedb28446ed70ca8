// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "fuzz/round_trip.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "replay/headless_replay.h"

namespace skyvane::fuzzing {

void TraceSum::add(std::string_view line) {
    hash_.add(line);
    if (keep_) lines_.emplace_back(line);
}

std::string TraceSum::firstDifference(const TraceSum& other) const {
    const auto n = std::min(lines_.size(), other.lines_.size());
    for (std::size_t i = 0; i < n; ++i)
        if (lines_[i] != other.lines_[i])
            return "line " + std::to_string(i + 1) + ": '" + lines_[i] + "' against '" +
                   other.lines_[i] + "'";
    if (lines_.size() != other.lines_.size())
        return "one trace ends at line " + std::to_string(n) + ", the other goes on";
    return lines() == other.lines() ? "the hashes differ" : "the line counts differ";
}

TraceLog TraceSum::log(Sound* sound) {
    if (keep_) return TraceLog([this](std::string_view line) { add(line); }, sound);
    return TraceLog(hash_, sound);
}

MemoryRecording::MemoryRecording() {
    fd_ = memfd_create("skyvane-replay", MFD_CLOEXEC);
    writer_ = std::make_unique<replay::Writer>(
        std::make_unique<replay::OutputFile>(fd_ < 0 ? -1 : dup(fd_)));
}

MemoryRecording::~MemoryRecording() {
    if (fd_ >= 0) close(fd_);
}

RecordedGame::RecordedGame(bool keepLines)
    : trace(keepLines), log(trace.log(&sound)), game(desktop, log) {
    log.follow(desktop);
    desktop.setTrace(&log);
    desktop.setInputSink(&recording_.writer());
}

RecordedGame::~RecordedGame() {
    desktop.setInputSink(nullptr);
}

std::string MemoryRecording::text() const {
    struct stat st {};
    if (fd_ < 0 || fstat(fd_, &st) != 0) return {};
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const auto n = pread(fd_, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    return text;
}

Replayed replayText(const std::string& text, bool keepLines,
                    const std::function<void(HeadlessDesktop&)>& prepare) {
    Replayed result{std::nullopt, TraceSum(keepLines), {}, {}};
    replay::ReadResult file;
    {
        // The reader checks the names against a game's windows; any game has the same.
        HeadlessDesktop desktop;
        NullSound silence;
        Game game(desktop, silence);
        const auto forms = game.forms();
        std::istringstream in(text);
        file = replay::read(in, &forms);
    }
    if (file.error) {
        result.error = file.error;
        return result;
    }
    RecordingSound sound;
    TraceLog log = result.trace.log(&sound);
    MemoryRecording again;
    result.summary = replayHeadless(std::move(file.inputs), sound, &log, [&](HeadlessDesktop& d) {
        if (prepare) prepare(d);
        d.setInputSink(&again.writer());
    });
    result.rerecorded = again.text();
    return result;
}

}  // namespace skyvane::fuzzing

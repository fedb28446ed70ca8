// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The files a run writes as it goes, a recording and a trace, kept from harm: neither ever
// truncates a file the run reads, one the run already writes, or one another Skyvane writes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input.h"

namespace skyvane::replay {

// Which file a name is, whatever the name: two names of one file are one FileId.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};
// Null if there is no such file.
std::optional<FileId> fileId(const std::string& path);
// The same for a file already open (standard output, say).
std::optional<FileId> fileIdOf(int fd);

// A file the program writes into: created if missing; refused if it is not a regular file (a
// pipe or a device would hold the game, or take its bytes), if it is one of `taken` (the run's
// replay, its other output), or if another Skyvane writes into it (an advisory lock held while
// it is open). It is emptied by begin(), once every file of the run is known to be its own. A
// write that fails (a full disk) cuts the file back to its last whole line, stops the writing
// and says why, once.
class OutputFile {
  public:
    // Null, with the system's reason in `why`, if the file cannot be ours.
    static std::unique_ptr<OutputFile> open(const std::string& path,
                                            const std::vector<FileId>& taken, std::string& why);
    // Takes an open descriptor (a test's file in memory), closed when this goes.
    explicit OutputFile(int fd);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    FileId id() const { return id_; }
    // Empties the file, to write it from the start; false, with the reason, if it cannot be.
    bool begin();
    // Keeps the bytes to write; they go to the file when the buffer fills or on flush. False
    // once writing has failed.
    bool write(std::string_view bytes);
    bool flush();
    bool failed() const { return failed_; }
    const std::string& failure() const { return why_; }
    // Hears the system's reason when a write fails, once.
    std::function<void(const std::string& why)> onFailure;

  private:
    int fd_;
    FileId id_;
    std::string buffer_;
    std::uint64_t written_ = 0;  // bytes of whole writes in the file
    bool failed_ = false;
    std::string why_;
};

// Writes every input the desktop takes, a line at a time, each to the file at once, so that a
// run that dies still leaves every input up to that moment.
class Writer : public InputSink {
  public:
    // Writes the header, the language of the run's texts unless it is the game's own, and
    // whether it plays with the audio guide.
    explicit Writer(std::unique_ptr<OutputFile> file, const std::string& language = "ja",
                    bool guided = false);
    // Opens the file to record into as OutputFile::open does, and begins it; null, with `why`,
    // if it cannot be.
    static std::unique_ptr<Writer> open(const std::string& path, std::string& why,
                                        const std::vector<FileId>& taken = {},
                                        const std::string& language = "ja", bool guided = false);
    void input(const Input& input) override;
    bool failed() const { return file_->failed(); }
    const std::string& failure() const { return file_->failure(); }
    // The period of the last input written whole.
    std::uint64_t lastPeriod() const { return lastPeriod_; }
    OutputFile& file() { return *file_; }

  private:
    std::unique_ptr<OutputFile> file_;
    std::uint64_t lastPeriod_ = 0;
};

// The trace's lines into a file, written in blocks as the run goes.
class TraceFile {
  public:
    explicit TraceFile(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {}
    void line(std::string_view text);
    // Writes what is left; false if anything could not be written.
    bool close();
    OutputFile& file() { return *file_; }

  private:
    std::unique_ptr<OutputFile> file_;
};

}  // namespace skyvane::replay

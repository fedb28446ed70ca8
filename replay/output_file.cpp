// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "replay/output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "replay/format.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#define SKYVANE_POSIX_FILES 1
#endif

namespace skyvane::replay {

namespace {

// A trace writes hundreds of lines a second: they go out in blocks of this size.
constexpr std::size_t kBlock = 64 << 10;

#if SKYVANE_POSIX_FILES
FileId idOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}
#endif

}  // namespace

std::optional<FileId> fileId(const std::string& path) {
#if SKYVANE_POSIX_FILES
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return idOf(st);
#else
    (void)path;
    return std::nullopt;
#endif
}

std::optional<FileId> fileIdOf(int fd) {
#if SKYVANE_POSIX_FILES
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::nullopt;
    return idOf(st);
#else
    (void)fd;
    return std::nullopt;
#endif
}

std::unique_ptr<OutputFile> OutputFile::open(const std::string& path,
                                             const std::vector<FileId>& taken, std::string& why) {
#if SKYVANE_POSIX_FILES
    const char* kNotAFile = "not a regular file (a pipe or a device?); the game writes into a file";
    const char* kTaken = "the run reads or writes it already; name another file";
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
            why = kNotAFile;
            return nullptr;
        }
        if (std::find(taken.begin(), taken.end(), idOf(st)) != taken.end()) {
            why = kTaken;
            return nullptr;
        }
    }
    // Not blocking: a pipe nobody reads would hold the game before its first window.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    auto refuse = [&](std::string reason) -> std::unique_ptr<OutputFile> {
        why = std::move(reason);
        ::close(fd);
        return nullptr;
    };
    // Looked at again through what was opened: the name may point elsewhere by now.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return refuse(kNotAFile);
    if (std::find(taken.begin(), taken.end(), idOf(st)) != taken.end()) return refuse(kTaken);
    // Two games writing into one file would interleave their lines.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return refuse(errno == EWOULDBLOCK ? "another Skyvane is writing into it"
                                           : std::string(std::strerror(errno)));
    return std::make_unique<OutputFile>(fd);
#else
    (void)path;
    (void)taken;
    why = "writing files is not available on this system";
    return nullptr;
#endif
}

OutputFile::OutputFile(int fd) : fd_(fd) {
#if SKYVANE_POSIX_FILES
    struct stat st {};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0) id_ = idOf(st);
#endif
    if (fd_ < 0) {
        failed_ = true;
        why_ = "the file could not be opened";
    }
}

bool OutputFile::begin() {
    if (failed_) return false;
#if SKYVANE_POSIX_FILES
    if (::ftruncate(fd_, 0) != 0) {
        failed_ = true;
        why_ = std::strerror(errno);
        return false;
    }
#endif
    written_ = 0;
    return true;
}

OutputFile::~OutputFile() {
    flush();
#if SKYVANE_POSIX_FILES
    if (fd_ >= 0) ::close(fd_);
#endif
}

bool OutputFile::write(std::string_view bytes) {
    if (failed_) return false;
    buffer_.append(bytes);
    return buffer_.size() < kBlock || flush();
}

bool OutputFile::flush() {
    if (failed_) return false;
#if SKYVANE_POSIX_FILES
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const auto n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        why_ = n < 0 ? std::strerror(errno) : "nothing could be written";
        failed_ = true;
        // The file ends at its last whole line, so that what it holds can be read.
        const auto lastLine = buffer_.rfind('\n', done == 0 ? 0 : done - 1);
        const auto whole = done == 0 || lastLine == std::string::npos ? 0 : lastLine + 1;
        buffer_.clear();
        if (::ftruncate(fd_, static_cast<off_t>(written_ + whole)) != 0)
            why_ += "; the last line is cut";
        if (onFailure) onFailure(why_);
        return false;
    }
    written_ += buffer_.size();
    buffer_.clear();
    return true;
#else
    failed_ = true;
    return false;
#endif
}

Writer::Writer(std::unique_ptr<OutputFile> file, const std::string& language, bool guided)
    : file_(std::move(file)) {
    file_->write(std::string(kMagic) + " " + std::to_string(kVersion) + "\n");
    if (language != kSourceLanguage) file_->write(std::string(kLanguage) + " " + language + "\n");
    if (guided) file_->write(std::string(kGuide) + " on\n");
    file_->flush();
}

std::unique_ptr<Writer> Writer::open(const std::string& path, std::string& why,
                                     const std::vector<FileId>& taken, const std::string& language,
                                     bool guided) {
    auto file = OutputFile::open(path, taken, why);
    if (!file) return nullptr;
    if (!file->begin()) {
        why = file->failure();
        return nullptr;
    }
    auto writer = std::make_unique<Writer>(std::move(file), language, guided);
    if (writer->failed()) {
        why = writer->failure();
        return nullptr;
    }
    return writer;
}

void Writer::input(const Input& input) {
    if (file_->write(encode(input) + "\n") && file_->flush()) lastPeriod_ = input.period;
}

void TraceFile::line(std::string_view text) {
    if (file_->failed()) return;
    file_->write(text);
    file_->write("\n");
}

bool TraceFile::close() {
    return file_->flush() && !file_->failed();
}

}  // namespace skyvane::replay

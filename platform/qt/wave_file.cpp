// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/wave_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define SKYVANE_POSIX_FILES 1
#else
#include <filesystem>
#include <fstream>
#endif

namespace skyvane {

bool entryExists(const std::string& path) {
#ifdef SKYVANE_POSIX_FILES
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
#else
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
#endif
}

std::optional<std::vector<char>> readRegularFile(const std::string& path, std::size_t maxBytes) {
#ifdef SKYVANE_POSIX_FILES
    // Non-blocking, so a pipe of that name cannot hold the open; the type is judged on what was
    // opened, so nothing can swap the file in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return std::nullopt;
    std::vector<char> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
        const auto n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) return std::nullopt;
        if (n == 0) break;  // it shrank while we read
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
#else
    std::error_code ec;
    const std::filesystem::path p(path);
    if (!std::filesystem::is_regular_file(p, ec)) return std::nullopt;
    const auto size = std::filesystem::file_size(p, ec);
    if (ec || size > maxBytes) return std::nullopt;
    std::ifstream in(p, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<char> bytes(static_cast<std::size_t>(size));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
#endif
}

namespace {

std::uint32_t le32(const std::vector<char>& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

std::uint16_t le16(const std::vector<char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

bool tagAt(const std::vector<char>& b, std::size_t at, const char* tag) {
    return b.size() >= at + 4 && std::memcmp(b.data() + at, tag, 4) == 0;
}

}  // namespace

bool plausibleWave(const std::vector<char>& b) {
    if (!tagAt(b, 0, "RIFF") || !tagAt(b, 8, "WAVE")) return false;
    std::uint32_t channels = 0, rate = 0, bits = 0;
    std::uint64_t dataBytes = 0;
    bool haveData = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint64_t size = le32(b, at + 4);
        const std::size_t body = at + 8;
        if (tagAt(b, at, "fmt ") && size >= 16 && body + 16 <= b.size()) {
            channels = le16(b, body + 2);
            rate = le32(b, body + 4);
            bits = le16(b, body + 14);
        } else if (tagAt(b, at, "data")) {
            dataBytes = std::min<std::uint64_t>(size, b.size() - body);
            haveData = true;
        }
        at = body + static_cast<std::size_t>(std::min<std::uint64_t>(size + (size & 1), b.size()));
    }
    if (!haveData || channels < 1 || channels > 8 || rate < 1000 || rate > 384000 || bits < 2 ||
        bits > 64)
        return false;
    // Compressed waves give fewer bits a sample; the estimate then errs on the large side.
    const std::uint64_t frames = dataBytes * 8 / (static_cast<std::uint64_t>(bits) * channels);
    const std::uint64_t decoded = frames * 44100 / rate * 4;
    return decoded <= kMaxDecodedBytes;
}

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Strange files where the game looks for its wave files: none may hold the game, fill its
// memory or be decoded; each plays the default sound instead.

#include "platform/qt/wave_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "mission/mission_sounds.h"
#include "tests/wave_files.h"

namespace skyvane {
namespace {

namespace fs = std::filesystem;
using testing::toneWave;
using testing::WaveFormat;
using testing::writeFile;

class WaveFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("skyvane-waves-" + std::to_string(getpid()));
        fs::create_directories(dir);
        path = (dir / mission_sounds::kRotor).string();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    std::string path;
};

// The bytes this process has read so far, as Linux counts them (rchar).
std::optional<std::uint64_t> bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
#ifdef __linux__
    ADD_FAILURE() << "no rchar in /proc/self/io";
#endif
    return std::nullopt;
}

TEST_F(WaveFiles, OnlyAPlausibleRegularFileIsRead) {
    const auto good = toneWave(0.5, 22050, WaveFormat::Pcm16);
    std::vector<char> random(20000);
    std::mt19937 rng(7);
    for (char& c : random) c = static_cast<char>(rng());
    const struct {
        const char* name;
        std::function<void(const std::string&)> make;
        bool exists, read, plausible;
    } cases[] = {
        {"missing", [](const std::string&) {}, false, false, false},
        {"a good wave", [&](const std::string& p) { writeFile(p, good); }, true, true, true},
        {"8-bit",
         [](const std::string& p) { writeFile(p, toneWave(0.5, 22050, WaveFormat::Pcm8)); }, true,
         true, true},
        {"32-bit float",
         [](const std::string& p) { writeFile(p, toneWave(0.5, 22050, WaveFormat::Float32)); },
         true, true, true},
        {"96 kHz",
         [](const std::string& p) { writeFile(p, toneWave(0.5, 96000, WaveFormat::Pcm16)); }, true,
         true, true},
        {"empty", [](const std::string& p) { writeFile(p, {}); }, true, true, false},
        {"the header alone",
         [&](const std::string& p) {
             writeFile(p, {good.begin(), good.begin() + 36});
         },
         true, true, false},
        {"random bytes", [&](const std::string& p) { writeFile(p, random); }, true, true, false},
        {"a folder", [](const std::string& p) { fs::create_directory(p); }, true, false, false},
        {"a pipe", [](const std::string& p) { mkfifo(p.c_str(), 0600); }, true, false, false},
        {"a link to /dev/zero", [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
         true, false, false},
        {"a link to itself", [](const std::string& p) { fs::create_symlink(p, p); }, true, false,
         false},
        {"200 MB",
         [](const std::string& p) {
             std::ofstream(p).close();
             fs::resize_file(p, 200u << 20);
         },
         true, false, false},
        {"4 GB of sparse zeros",
         [](const std::string& p) {
             std::ofstream(p).close();
             fs::resize_file(p, 4ull << 30);
         },
         true, false, false},
        {"a wave that promises an hour at 1 kHz",
         [](const std::string& p) {
             auto w = toneWave(0.1, 1000, WaveFormat::Pcm8);
             const std::uint32_t huge = 3600 * 1000;
             std::memcpy(w.data() + 40, &huge, 4);
             w.resize(w.size() + 3000000);
             writeFile(p, w);
         },
         true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove_all(path, ec);
        c.make(path);
        EXPECT_EQ(entryExists(path), c.exists);
        const auto before = bytesReadSoFar();
        const auto bytes = readRegularFile(path, kMaxWaveFileBytes);
        const auto after = bytesReadSoFar();
        // A file refused is refused before it is read, and one taken is read once: what the
        // process read is what it kept, and the count's own line.
        if (before && after) {
            EXPECT_LE(*after - *before, (bytes ? bytes->size() : 0) + 4096);
        }
        EXPECT_EQ(bytes.has_value(), c.read);
        EXPECT_EQ(bytes && plausibleWave(*bytes), c.plausible);
        fs::remove_all(path, ec);
    }
}

// A name that is there but cannot be opened, even by root: a link to a file that is gone.
TEST_F(WaveFiles, AFileThatCannotBeOpenedIsNotRead) {
    ASSERT_EQ(symlink((path + ".gone").c_str(), path.c_str()), 0);
    EXPECT_TRUE(entryExists(path));
    EXPECT_FALSE(readRegularFile(path, kMaxWaveFileBytes).has_value());
}

// A header is only believed within the limits the mixer can take: every field at each of its
// limits and one beyond, in every combination. A zero among them would divide by zero.
TEST(WaveHeaders, AFormatIsBelievedOnlyWithinItsLimits) {
    const std::uint32_t channels[] = {0, 1, 8, 9, 0xFFFF};
    const std::uint32_t rates[] = {0, 999, 1000, 384000, 384001, 0xFFFFFFFF};
    const std::uint32_t bits[] = {0, 1, 2, 64, 65, 0xFFFF};
    auto wave = toneWave(0.01, 1000, WaveFormat::Pcm16);
    auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) wave[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    for (const auto c : channels)
        for (const auto r : rates)
            for (const auto b : bits) {
                put(22, c, 2);
                put(24, r, 4);
                put(34, b, 2);
                const bool within =
                    c >= 1 && c <= 8 && r >= 1000 && r <= 384000 && b >= 2 && b <= 64;
                EXPECT_EQ(plausibleWave(wave), within)
                    << c << " channels, " << r << " Hz, " << b << " bits";
            }
}

}  // namespace
}  // namespace skyvane

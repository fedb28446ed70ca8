// Replays: the file format, refusals that name the file and line, and the recorded runs in
// tests/replays, each of which must end where its "# expect:" line says.

#include "platform/replay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless_desktop.h"
#include "replay/headless_replay.h"
#include "screens/game.h"
#include "screens/phase.h"

namespace skyvane {
namespace {

namespace fs = std::filesystem;

replay::ReadResult readText(const std::string& text) {
    std::istringstream in(text);
    return replay::read(in);
}

TEST(ReplayFormat, EveryInputWritesAndReadsBackTheSame) {
    const std::vector<Input> inputs = {
        {.period = 0,
         .kind = Input::Kind::Text,
         .form = "Form2",
         .element = "Text1",
         .text = std::string("名無し \t\r%=\x01\xff\xfe end", 21)},
        {.period = 0, .kind = Input::Kind::Text, .form = "Form2", .element = "Text1", .text = ""},
        {.period = 3, .kind = Input::Kind::Click, .form = "Form2", .element = "Command1"},
        {.period = 3, .kind = Input::Kind::Focus, .form = "Form2", .element = "Text1"},
        {.period = 40, .kind = Input::Kind::KeyDown, .form = "Form1", .code = 16},
        {.period = 72, .kind = Input::Kind::Repeat, .form = "Form1", .code = 16},
        {.period = 72, .kind = Input::Kind::KeyUp, .form = "Form1", .code = 16},
        {.period = 80, .kind = Input::Kind::LostKeyboard},
        {.period = 80, .kind = Input::Kind::Skip, .value = 700},
        {.period = 700, .kind = Input::Kind::Close, .form = "Form1"},
        {.period = 700, .kind = Input::Kind::BoxClosed},
        {.period = 800, .kind = Input::Kind::Wait},
        {.period = 800, .kind = Input::Kind::End},
    };
    std::string file = "skyvane-replay 1\n";
    for (const auto& in : inputs) file += replay::encode(in) + "\n";
    const auto read = readText(file);
    ASSERT_FALSE(read.error) << read.error->what;
    EXPECT_EQ(read.inputs, inputs);
    EXPECT_EQ(read.lines.front(), 2);
}

TEST(ReplayFormat, ABadFileIsRefusedWithItsLine) {
    const std::string head = "skyvane-replay 1\n";
    const struct {
        const char* what;
        std::string file;
        int line;
        const char* says;
    } cases[] = {
        {"empty", "", 0, "empty"},
        {"not a replay", "hello\n", 1, "not a Skyvane replay"},
        {"a later version", "skyvane-replay 2\n", 1, "version 2"},
        {"an unknown verb", head + "5 jump Form1\n", 2, "cannot read"},
        {"a missing argument", head + "5 down Form1\n", 2, "cannot read"},
        {"a key out of range", head + "5 down Form1 300\n", 2, "cannot read"},
        {"a negative period", head + "-5 down Form1 16\n", 2, "cannot read"},
        {"a broken escape", head + "5 text Form2 Text1 =%G1\n", 2, "cannot read"},
        {"a raw space in a text", head + "5 text Form2 Text1 =a b\n", 2, "cannot read"},
        {"time going backwards", head + "9 down Form1 16\n8 up Form1 16\n", 3, "comes after"},
        {"a repeat after its period", head + "9 up Form1 16\n9 repeat Form1 16\n", 3, "repeat"},
        {"a skip backwards", head + "9 skip 4\n", 2, "cannot read"},
        {"more than a week", head + "99999999999 wait\n", 2, "week"},
        {"a truncated last line", head + "5 down Form1 16\n6 up Fo", 3, "truncated"},
        {"binary junk", head + std::string("\x00\xff\x13\x37 \x01", 6) + "\n", 2, "cannot read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto read = readText(c.file);
        ASSERT_TRUE(read.error.has_value());
        EXPECT_EQ(read.error->line, c.line);
        EXPECT_NE(read.error->what.find(c.says), std::string::npos) << read.error->what;
        EXPECT_TRUE(read.inputs.empty());
    }
}

TEST(ReplayFormat, AWindowOrElementTheGameLacksIsRefused) {
    HeadlessDesktop desktop;
    RecordingSound sound;
    Game game(desktop, sound);
    const struct {
        const char* line;
        const char* says;
    } cases[] = {
        {"5 click Form9 Command1", "no window Form9"},
        {"5 click Form1 Command9", "Command9"},
        {"5 click Form1 Label9", "Label9"},
        {"5 text Form1 Command1 =x", "text box"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto read = readText(std::string("skyvane-replay 1\n# a comment\n") + c.line + "\n");
        ASSERT_FALSE(read.error);
        const auto error = replay::validate(read, game.forms());
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->line, 3);
        EXPECT_NE(error->what.find(c.says), std::string::npos) << error->what;
    }
}

TEST(ReplayFile, ARefusalNamesTheFileAndLineAndPlaysNothing) {
    const fs::path path = fs::temp_directory_path() / "skyvane-bad.replay";
    std::ofstream(path) << "skyvane-replay 1\n5 click Form2 Command1\nnonsense\n";
    char out[256] = {}, err[256] = {};
    std::FILE* o = fmemopen(out, sizeof out, "w");
    std::FILE* e = fmemopen(err, sizeof err, "w");
    EXPECT_EQ(replayFile(path.string(), o, e), 2);
    std::fclose(o);
    std::fclose(e);
    EXPECT_STREQ(out, "");
    EXPECT_NE(std::string(err).find(path.string() + ":3:"), std::string::npos) << err;
    fs::remove(path);
}

// Every recorded run ends where it says, in well under a second each.
TEST(RecordedRuns, EachEndsWhereItsExpectLineSays) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(SKYVANE_REPLAYS))
        if (e.path().extension() == ".replay") files.push_back(e.path());
    ASSERT_GE(files.size(), 4u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file);
        std::string line, expected;
        while (std::getline(in, line))
            if (line.rfind("# expect: ", 0) == 0) expected = line.substr(10);
        ASSERT_FALSE(expected.empty()) << "no # expect: line";
        const auto read = readReplay(file.string());
        ASSERT_FALSE(read.error) << read.error->what;
        RecordingSound sound;
        EXPECT_EQ(replayHeadless(read.inputs, sound), expected);
    }
}

}  // namespace
}  // namespace skyvane

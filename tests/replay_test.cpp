// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Replays: the file format, refusals that name the file and line and say why, recordings that
// a failing disk cuts at a whole input, the round trip of a run through the real writer and
// reader, and the recorded runs (tests/replays, and the scripted ones the build writes), each of
// which must end where its "# expect:" line says.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/round_trip.h"
#include "platform/headless/headless_desktop.h"
#include "platform/text_codec.h"
#include "replay/format.h"
#include "replay/headless_replay.h"
#include "replay/output_file.h"
#include "replay/run.h"
#include "replay/trace_log.h"
#include "screens/game.h"
#include "screens/phase.h"

namespace skyvane {
namespace {

namespace fs = std::filesystem;

const std::string kHead = "skyvane-replay 1\n";

replay::ReadResult readText(const std::string& text, const std::vector<Form*>* forms = nullptr) {
    std::istringstream in(text);
    return replay::read(in, forms);
}

// A folder of the test's own, removed at the end.
struct Scratch {
    Scratch()
        : dir(fs::temp_directory_path() / ("skyvane-replay-test-" + std::to_string(getpid()))) {
        fs::create_directories(dir);
    }
    ~Scratch() { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

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
        {.period = 72, .kind = Input::Kind::KeyUp, .form = "Form1", .code = 255},
        {.period = 80, .kind = Input::Kind::LostKeyboard},
        {.period = 80, .kind = Input::Kind::Skip, .value = 700},
        {.period = 700, .kind = Input::Kind::Close, .form = "Form1"},
        {.period = 700, .kind = Input::Kind::BoxClosed},
        {.period = 800, .kind = Input::Kind::Wait},
        {.period = 800, .kind = Input::Kind::End},
    };
    std::string file = kHead;
    for (const auto& in : inputs) file += replay::encode(in) + "\n";
    const auto read = readText(file);
    ASSERT_FALSE(read.error) << read.error->what;
    EXPECT_FALSE(read.warning);
    EXPECT_EQ(read.inputs.inputs(), inputs);
}

TEST(ReplayFormat, ABadFileIsRefusedWithItsLineAndWhy) {
    HeadlessDesktop desktop;
    NullSound sound;
    Game game(desktop, sound);
    const auto forms = game.forms();
    const struct {
        const char* what;
        std::string file;
        int line;
        const char* says;
    } cases[] = {
        {"empty", "", 0, "empty"},
        {"not a replay", "hello\n", 1, "not a Skyvane replay"},
        {"a later version", "skyvane-replay 2\n", 1, "version 2"},
        {"a version spelled with a zero", "skyvane-replay 01\n", 1, "not a Skyvane replay"},
        {"an unknown verb", kHead + "5 jump Form1\n", 2,
         "cannot read this input: \"5 jump Form1\""},
        {"a missing argument", kHead + "5 down Form1\n", 2, "cannot read"},
        {"a key out of range", kHead + "5 down Form1 300\n", 2, "cannot read"},
        {"a negative period", kHead + "-5 down Form1 16\n", 2, "cannot read"},
        {"a period spelled with a zero", kHead + "05 down Form1 16\n", 2, "cannot read"},
        {"a broken escape", kHead + "5 text Form2 Text1 =%G1\n", 2, "cannot read"},
        {"a raw space in a text", kHead + "5 text Form2 Text1 =a b\n", 2, "cannot read"},
        {"time going backwards", kHead + "9 down Form1 16\n8 up Form1 16\n", 3, "comes after"},
        {"time going back after a skip", kHead + "0 skip 100\n50 wait\n", 3, "reached period 100"},
        {"a repeat after its period", kHead + "9 up Form1 16\n9 repeat Form1 16\n", 3, "repeat"},
        {"a skip backwards", kHead + "9 skip 4\n", 2, "cannot read"},
        {"an old stall no stall fits", kHead + "5 down Form1 16\n5 skip 5\n", 3,
         "cannot be replayed"},
        {"more than a week", kHead + "99999999999 wait\n", 2, "week"},
        {"a truncated last line", kHead + "5 down Form1 16\n6 up Fo", 3, "truncated"},
        {"binary junk", kHead + std::string("\x00\xff\x13\x37 \x01", 6) + "\n", 2, "cannot read"},
        {"a window the game lacks", kHead + "# a comment\n5 click Form9 Command1\n", 3,
         "no window Form9"},
        {"a button the game lacks", kHead + "5 click Form1 Command9\n", 2, "Command9"},
        {"a label clicked", kHead + "5 click Form1 Label9\n", 2, "Label9"},
        {"text typed into a button", kHead + "5 text Form1 Command1 =x\n", 2, "text box"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto read = readText(c.file, &forms);
        ASSERT_TRUE(read.error.has_value());
        EXPECT_EQ(read.error->line, c.line);
        EXPECT_NE(read.error->what.find(c.says), std::string::npos) << read.error->what;
        EXPECT_TRUE(read.inputs.empty());
    }
}

// Each limit of the reader holds exactly at its edge: the value at the limit is read, the one
// beyond it refused, and why. Each refusal says the line as printable text.
TEST(ReplayFormat, EveryLimitHoldsAtItsEdgeAndNotOneBeyond) {
    const auto week = std::to_string(replay::kMaxPeriod);
    const auto pastAWeek = std::to_string(replay::kMaxPeriod + 1);
    const auto text = [](std::size_t lineBytes) {
        const std::string start = "5 text Form2 Text1 =";
        return kHead + start + std::string(lineBytes - start.size(), 'a') + "\n";
    };
    const struct {
        const char* what;
        std::string at, beyond;
        const char* says;  // of the one beyond
        const char* atSays =
            nullptr;  // of the one at the limit, if it is refused for another reason
    } cases[] = {
        {"the last period", kHead + week + " wait\n", kHead + pastAWeek + " wait\n", "week"},
        {"the end of a stall", kHead + "0 skip " + week + "\n",
         kHead + "0 skip " + pastAWeek + "\n", "week"},
        {"the highest key", kHead + "5 down Form1 255\n", kHead + "5 down Form1 256\n",
         "cannot read"},
        {"the lowest key", kHead + "5 down Form1 1\n", kHead + "5 down Form1 0\n", "cannot read"},
        {"the longest number (read, and more than a week)", kHead + "9999999999999999999 wait\n",
         kHead + "10000000000000000000 wait\n", "cannot read", "week"},
        {"an old stall at the first period it fits", kHead + "1 skip 1\n", kHead + "0 skip 0\n",
         "cannot be replayed"},
        {"the longest line", text(replay::kMaxLine), text(replay::kMaxLine + 1), "too long"},
        {"the longest name", kHead + "5 click Form1 C" + std::string(63, 'x') + "\n",
         kHead + "5 click Form1 C" + std::string(64, 'x') + "\n", "cannot read"},
    };
    auto printable = [](const std::string& said) {
        return std::all_of(said.begin(), said.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto at = readText(c.at), beyond = readText(c.beyond);
        if (c.atSays) {
            ASSERT_TRUE(at.error);
            EXPECT_NE(at.error->what.find(c.atSays), std::string::npos) << at.error->what;
        } else {
            EXPECT_FALSE(at.error) << at.error->what;
        }
        ASSERT_TRUE(beyond.error);
        EXPECT_NE(beyond.error->what.find(c.says), std::string::npos) << beyond.error->what;
        EXPECT_TRUE(printable(beyond.error->what)) << beyond.error->what;
    }
    // Every byte of a name: written percent-encoded in printable ASCII and read back the same;
    // a byte the writer encodes is refused raw, and its refusal is printable too.
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const std::string byte(1, static_cast<char>(b));
        const auto encoded = percentEncode(byte);
        EXPECT_TRUE(printable(encoded) && encoded.find(' ') == std::string::npos) << encoded;
        EXPECT_EQ(percentDecode(encoded), byte);
        const auto raw = readText(kHead + "5 text Form2 Text1 =" + byte + "x\n");
        if (encoded == byte) {
            ASSERT_FALSE(raw.error) << raw.error->what;
            EXPECT_EQ(raw.inputs[0].text, byte + "x");
        } else if (b != '\n') {
            ASSERT_TRUE(raw.error);
            EXPECT_TRUE(printable(raw.error->what)) << raw.error->what;
        }
    }
}

// A trace keeps one event a line whatever a name holds, and gives every byte back: a name of
// all 256 bytes, typed into the name box, reads back from its trace line.
TEST(TraceLines, EveryByteOfANameReadsBackFromItsLine) {
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    auto read = readText(kHead + "0 text Form2 Text1 =" + percentEncode(every) + "\n1 wait\n");
    ASSERT_FALSE(read.error) << read.error->what;
    std::vector<std::string> lines;
    TraceLog log([&](std::string_view line) { lines.emplace_back(line); });
    NullSound sound;
    replayHeadless(std::move(read.inputs), sound, &log);
    const std::string start = "0 Form2.Text1 ";
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [&](const std::string& l) { return l.rfind(start, 0) == 0; });
    ASSERT_NE(line, lines.end());
    EXPECT_EQ(line->find('\n'), std::string::npos);
    std::string back;
    for (std::size_t i = start.size(); i < line->size(); ++i) {
        if ((*line)[i] == '\\') {
            ASSERT_EQ(line->compare(i, 2, "\\x"), 0) << *line;
            back += static_cast<char>(std::stoi(line->substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            back += (*line)[i];
        }
    }
    EXPECT_EQ(back, every);
}

// Skyvane 1.0 wrote a stall as "N skip N", losing the period it began at. Such a file is
// replayed with the shortest stall that fits, and the reader says so.
TEST(ReplayFormat, AStallAsTheFirstVersionWroteItIsReadAsOnePeriodAndSaidSo) {
    const auto read =
        readText(kHead + "0 text Form2 Text1 =Ace\n12 skip 12\n20 down Form1 16\n30 skip 30\n");
    ASSERT_FALSE(read.error) << read.error->what;
    ASSERT_EQ(read.inputs.size(), 4u);
    EXPECT_EQ(read.inputs[1].period, 11u);
    EXPECT_EQ(read.inputs[1].value, 12u);
    EXPECT_EQ(read.inputs[3].period, 29u);
    ASSERT_TRUE(read.warning.has_value());
    EXPECT_EQ(read.warning->line, 3);
    EXPECT_NE(read.warning->what.find("2 stalls"), std::string::npos) << read.warning->what;
}

TEST(ReplayFile, WhatIsNotARecordedRunIsRefusedAtOnceAndSaysWhy) {
    Scratch scratch;
    const auto fifo = scratch.path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // nobody writes into it: reading would wait
    const auto huge = scratch.path("huge.replay");
    std::ofstream(huge) << kHead;
    fs::resize_file(huge, replay::kMaxFileBytes + 1);
    const struct {
        std::string path;
        const char* says;
    } cases[] = {
        {scratch.dir.string(), "is a directory"}, {fifo, "not a regular file"},
        {"/dev/zero", "not a regular file"},      {scratch.path("missing.replay"), "No such file"},
        {huge, "larger than any recorded run"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto read = replay::readFile(c.path);
        ASSERT_TRUE(read.error.has_value());
        EXPECT_NE(read.error->what.find(c.says), std::string::npos) << read.error->what;
    }
}

TEST(ReplayFile, ARecordingGoesOnlyIntoAFileOfItsOwn) {
    Scratch scratch;
    const auto fifo = scratch.path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string why;
    const auto first = replay::Writer::open(scratch.path("mine.replay"), why);
    ASSERT_TRUE(first) << why;
    const struct {
        std::string path;
        const char* says;
    } cases[] = {
        {scratch.dir.string(), "Is a directory"},
        {fifo, "not a regular file"},
        {"/dev/null", "not a regular file"},
        {scratch.path("no/such/folder.replay"), "No such file"},
        {scratch.path("mine.replay"), "another Skyvane is writing into it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        why.clear();
        EXPECT_FALSE(replay::Writer::open(c.path, why));
        EXPECT_NE(why.find(c.says), std::string::npos) << why;
    }
    // The refused second recorder left the first one's file as it was.
    first->input({.period = 5, .kind = Input::Kind::Wait});
    std::ifstream in(scratch.path("mine.replay"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kHead + "5 wait\n");
}

// A full disk, as the system's limit on a file's size makes one: the failure is told once with
// the system's reason, and the file ends at its last whole input, which replays.
TEST(ReplayFile, AWriteThatFailsCutsTheFileAtItsLastWholeInput) {
    // A disk that takes the header and some inputs, and one that takes the header alone.
    for (const rlim_t room : {1000, 30}) {
        SCOPED_TRACE(room);
        Scratch scratch;
        const auto path = scratch.path("cut.replay");
        std::vector<std::string> told;
        std::string why;
        auto writer = replay::Writer::open(path, why);
        ASSERT_TRUE(writer) << why;
        writer->file().onFailure = [&](const std::string& r) { told.push_back(r); };
        signal(SIGXFSZ, SIG_IGN);
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit limit = before;
        limit.rlim_cur = room;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        for (std::uint64_t p = 1; p <= 200; ++p)
            writer->input({.period = p, .kind = Input::Kind::KeyDown, .form = "Form1", .code = 37});
        setrlimit(RLIMIT_FSIZE, &before);
        signal(SIGXFSZ, SIG_DFL);

        ASSERT_EQ(told.size(), 1u);
        // The system's reason, and no more: the cut at the last whole line worked.
        EXPECT_EQ(told[0], std::strerror(EFBIG));
        EXPECT_TRUE(writer->failed());
        const auto last = writer->lastPeriod();
        writer.reset();
        EXPECT_LE(fs::file_size(path), room);
        const auto read = replay::readFile(path);
        ASSERT_FALSE(read.error) << read.error->what;
        // The period the recording says it stopped at is its last whole input's, 0 for none.
        EXPECT_EQ(read.inputs.size(), last);
        if (room > 100) {
            ASSERT_GT(read.inputs.size(), 10u);
            EXPECT_EQ(read.inputs.period(read.inputs.size() - 1), last);
        }
    }
}

// A recording is kept packed: a long file costs less memory than its own size.
TEST(ReplayFile, ALongRecordingCostsNoMoreThanItsFile) {
    Scratch scratch;
    const auto path = scratch.path("long.replay");
    {
        std::ofstream out(path);
        out << kHead << "0 text Form2 Text1 =Kestrel\n";
        for (int p = 1; p < 200'000; p += 2)
            out << p << " down Form1 37\n" << p + 1 << " repeat Form1 37\n" << p + 1 << " box\n";
    }
    const auto read = replay::readFile(path);
    ASSERT_FALSE(read.error) << read.error->what;
    EXPECT_EQ(read.inputs.size(), 300'001u);
    EXPECT_LE(read.inputs.bytes(), fs::file_size(path));
}

// A run, recorded through the real writer, replays from what it wrote to the same trace: every
// handler call, property change and sound call, whatever happened during it.
TEST(RoundTrips, ARunRecordedReplaysToTheSameTrace) {
    using Script = std::function<void(HeadlessDesktop&, Game&)>;
    auto joinAndGo = [](HeadlessDesktop& d, Game& g) {
        d.advance(10);
        d.editText(g.title.Text1, "Ace");
        d.click(g.title.Command1);
        d.advance(5);
        d.click(g.mission.Command1);
    };
    const struct {
        const char* name;
        Script play;
    } cases[] = {
        {"a stall at the start",
         [](HeadlessDesktop& d, Game&) {
             d.skipTo(3);
             d.advance(40);
         }},
        {"a two-second stall in flight with keys held",
         [&](HeadlessDesktop& d, Game& g) {
             joinAndGo(d, g);
             d.pressKey(g.mission, vk::Shift);
             d.advance(20);
             d.pressKey(g.mission, vk::Left);
             d.skipTo(d.period() + 128);
             d.advance(40);
             d.releaseKey(g.mission, vk::Left);
             d.advance(300);
         }},
        {"the keyboard lost with keys held",
         [&](HeadlessDesktop& d, Game& g) {
             joinAndGo(d, g);
             d.pressKey(g.mission, vk::Shift);
             d.pressKey(g.mission, vk::Up);
             d.advance(50);
             d.loseKeyboard();
             d.advance(50);
             d.releaseKey(g.mission, vk::Shift);
             d.advance(300);
         }},
        {"a farewell answered late, with a stall behind it",
         [&](HeadlessDesktop& d, Game& g) {
             d.whileMessageBox = [&](const MessageBoxCall&) {
                 d.advance(30);
                 d.skipTo(d.period() + 40);
                 d.advance(30);
             };
             joinAndGo(d, g);
             d.advance(400);  // down it comes
             d.click(g.mission.Command2);
         }},
        {"the focus moved and the name typed twice",
         [](HeadlessDesktop& d, Game& g) {
             d.moveFocus(g.title.Text1);
             d.editText(g.title.Text1, "a");
             d.advance(7);
             d.editText(g.title.Text1, "鳥 %\r");
             d.pressKey(g.title, vk::Return);
             d.advance(3);
             d.releaseKey(g.title, vk::Return);
             d.advance(30);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fuzzing::RecordedGame run(true);
        run.desktop.invoke([&] { run.game.start(); });
        c.play(run.desktop, run.game);
        run.desktop.endFromOutside();
        const auto again = fuzzing::replayText(run.file(), true);
        ASSERT_FALSE(again.error) << again.error->line << ": " << again.error->what;
        EXPECT_GT(run.trace.lines(), 50u);
        EXPECT_TRUE(again.trace.sameAs(run.trace)) << again.trace.firstDifference(run.trace);
        EXPECT_EQ(again.summary, summary(run.game, run.desktop));
        EXPECT_EQ(again.rerecorded, run.file()) << "recorded again, the replay wrote another file";
    }
}

// What the program says of a file before it plays it: nothing, a warning that it is replayed
// approximately, or why it is refused; with the file and line, and whether it plays.
TEST(ReplayFile, AWarningOrARefusalNamesTheFileAndLine) {
    Scratch scratch;
    const struct {
        const char* what;
        std::string file;
        bool plays;
        const char* err;  // after "skyvane: " and the file's path
    } cases[] = {
        {"a run", kHead + "0 click Form2 Command1\n5 wait\n", true, ""},
        {"a run with an old stall", kHead + "3 skip 3\n5 wait\n", true, ":2: 1 stall"},
        {"a refused file", kHead + "5 click Form2 Command1\nnonsense\n", false, ":3: cannot read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto path = scratch.path("run.replay");
        std::ofstream(path, std::ios::binary) << c.file;
        char said[512] = {};
        std::FILE* err = fmemopen(said, sizeof said, "w");
        ASSERT_TRUE(err);
        EXPECT_EQ(reportReplay(path, readReplay(path), err), c.plays);
        std::fclose(err);
        if (*c.err) {
            EXPECT_EQ(std::string(said).rfind("skyvane: " + path + c.err, 0), 0u) << said;
            EXPECT_EQ(std::string(said).back(), '\n');
        } else {
            EXPECT_STREQ(said, "");
        }
    }
}

// Every recorded run ends where it says, in well under a second each: the runs recorded by hand
// on the real program, and the scripted playthroughs the build writes.
TEST(RecordedRuns, EachEndsWhereItsExpectLineSays) {
    std::vector<fs::path> files;
    for (const char* dir : {SKYVANE_REPLAYS, SKYVANE_SCRIPTED_REPLAYS})
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() == ".replay") files.push_back(e.path());
    ASSERT_GE(files.size(), 10u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file);
        std::string line, expected;
        while (std::getline(in, line))
            if (line.rfind("# expect: ", 0) == 0) expected = line.substr(10);
        ASSERT_FALSE(expected.empty()) << "no # expect: line";
        auto read = readReplay(file.string());
        ASSERT_FALSE(read.error) << read.error->what;
        NullSound sound;
        EXPECT_EQ(replayHeadless(std::move(read.inputs), sound), expected);
        // A won run is won from the tenth person on: cut where its box of thanks is still open,
        // before the mission hides, it ends won too.
        if (expected.rfind("phase=won", 0) == 0) {
            std::ifstream again(file);
            std::string cut;
            while (std::getline(again, line) && line.find(" box") == std::string::npos)
                cut += line + "\n";
            // It ends at the period the box opened in, even with nothing else taken there.
            cut += line.substr(0, line.find(' ')) + " wait\n";
            auto open = readReplayBytes(cut);
            ASSERT_FALSE(open.error) << open.error->what;
            EXPECT_EQ(
                replayHeadless(std::move(open.inputs), sound).rfind("phase=won rescued=10 ", 0),
                0u);
        }
    }
}

// A replay at its end holds the game where it ended, Shift held in flight included: the periods
// a desktop runs after it change nothing.
TEST(RecordedRuns, AReplayAtItsEndHoldsTheGameWhereItEnded) {
    auto read = readReplayBytes(
        "skyvane-replay 1\n0 click Form2 Command1\n5 click Form1 Command1\n10 down Form1 16\n"
        "40 wait\n");
    ASSERT_FALSE(read.error) << read.error->what;
    HeadlessDesktop desktop;
    NullSound silence;
    skyvane::Run run(desktop, silence, {.replay = std::move(read.inputs)});
    std::string end;
    run.onReplayEnded = [&](const std::string& line) { end = line; };
    run.start();
    run.player()->pump([&] { desktop.runPeriod(); });
    ASSERT_NE(end, "");
    const auto period = desktop.period();
    const auto altitude = run.game().mission.Label8.caption();
    for (int i = 0; i < 64; ++i) desktop.runPeriod();
    EXPECT_EQ(desktop.period(), period);
    EXPECT_EQ(run.game().mission.Label8.caption(), altitude) << end;
}

}  // namespace
}  // namespace skyvane

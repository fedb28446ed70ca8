// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Every player of a replay file ends it in one place: a few hundred random files, drawn afresh
// each run (SKYVANE_SEED=N draws the same again), each played headless and in the Qt windows
// (offscreen, at the fastest pace, on a clock of the test's own that runs a thousand times the
// real one, message boxes and all), must give the same trace, every handler call, property
// change and sound call, and the same end line. A failure prints the seed and the smallest file
// that still fails.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/replay_generator.h"
#include "layouts/layouts.h"
#include "platform/pacer.h"
#include "platform/qt/qt_desktop.h"
#include "replay/headless_replay.h"
#include "replay/run.h"

namespace skyvane {
namespace {

struct Played {
    std::vector<std::string> trace;
    std::string end;
    friend bool operator==(const Played&, const Played&) = default;
    friend void PrintTo(const Played& p, std::ostream* os) {
        *os << "'" << p.end << "' after " << p.trace.size() << " lines of trace";
    }
};

Played headless(const std::string& file) {
    Played played;
    auto read = readReplayBytes(file);
    if (read.error) return {{}, "refused: " + read.error->what};
    NullSound silence;
    TraceLog log([&](std::string_view line) { played.trace.emplace_back(line); });
    played.end = replayHeadless(std::move(read.inputs), silence, &log);
    return played;
}

// As the program watches a replay in its windows, where nobody can see them: to the end line,
// then the end.
Played inWindows(const std::string& file) {
    Played played;
    auto read = readReplayBytes(file);
    if (read.error) return {{}, "refused: " + read.error->what};
    NullSound silence;
    TraceLog log([&](std::string_view line) { played.trace.emplace_back(line); });
    QElapsedTimer real;
    real.start();
    QtDesktop desktop;
    desktop.setClock([&] { return real.nsecsElapsed() * 1000; });
    desktop.setSpeed(Pacer::kFastest);
    Run run(desktop, silence, {.replay = std::move(read.inputs), .trace = &log});
    run.onReplayEnded = [&](const std::string& line) {
        played.end = line;
        desktop.endFromOutside();
    };
    run.start();
    desktop.run();
    return played;
}

std::string firstDifference(const Played& a, const Played& b) {
    if (a.end != b.end) return "ends '" + a.end + "' against '" + b.end + "'";
    for (std::size_t i = 0; i < std::min(a.trace.size(), b.trace.size()); ++i)
        if (a.trace[i] != b.trace[i])
            return "trace line " + std::to_string(i + 1) + ": '" + a.trace[i] + "' against '" +
                   b.trace[i] + "'";
    return "one trace has " + std::to_string(a.trace.size()) + " lines, the other " +
           std::to_string(b.trace.size());
}

// What is wrong with a line of a trace, or "": its period, then what happened and to what, each
// form and element it names one the game has: a handler called ("Form1 Command1_Click", a
// key's code after it), a property changed ("Form1.Label1 940", a caption may be empty), a
// window's caption or focus ("Form1 focus Command1"), a sound ("sound HERI3.wav 9"), the audio
// guide's eight cues ("guide 1 12 8 0 0 -3 2 0").
std::string traceFault(const std::string& line) {
    static const auto names = [] {
        std::map<std::string, std::set<std::string>> n;
        for (const FormDesign* f : {&titleLayout(), &missionLayout(), &closingLayout()})
            for (const auto& e : f->elements) n[f->name].insert(e.name);
        return n;
    }();
    auto digits = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    const auto first = line.find(' ');
    if (first == std::string::npos || !digits(line.substr(0, first))) return "no period";
    const auto second = line.find(' ', first + 1);
    if (second == std::string::npos) return "nothing after what it names";
    const std::string what = line.substr(first + 1, second - first - 1);
    const std::string rest = line.substr(second + 1);
    const auto dot = what.find('.');
    if (what == "guide") {
        std::istringstream cues(rest);
        int n = 0, count = 0;
        while (cues >> n) ++count;
        return count == 8 && cues.eof() ? "" : "a guide without its eight cues";
    }
    if (what == "sound") {
        const auto last = rest.rfind(' ');
        if (last == std::string::npos || last == 0 || !digits(rest.substr(last + 1)))
            return "a sound without its name and flags";
        return "";
    }
    if (dot != std::string::npos) {
        const auto form = names.find(what.substr(0, dot));
        if (form == names.end() || !form->second.count(what.substr(dot + 1)))
            return "no such element";
        // A colour or an interval is named, then its number.
        for (const std::string named : {"fore", "back", "fill", "every"})
            if (rest == named || rest.rfind(named + " ", 0) == 0)
                return digits(rest.substr(std::min(rest.size(), named.size() + 1)))
                           ? ""
                           : "a colour or interval without its number";
        return "";
    }
    const auto form = names.find(what);
    if (form == names.end()) return "no such window";
    if (rest.rfind("caption ", 0) == 0) return "";
    if (rest.rfind("focus ", 0) == 0) {
        const std::string name = rest.substr(6);
        return name == "-" || form->second.count(name) ? "" : "focus on no such element";
    }
    const auto underscore = rest.find('_');
    if (underscore == std::string::npos) return "neither a handler, a caption nor the focus";
    const std::string element = rest.substr(0, underscore);
    if (element != "Form" && !form->second.count(element)) return "a handler of no such element";
    const auto space = rest.find(' ', underscore);
    if (space != std::string::npos && !digits(rest.substr(space + 1)))
        return "a key that is no number";
    return "";
}

std::uint64_t drawSeed() {
    if (const char* s = std::getenv("SKYVANE_SEED")) return std::strtoull(s, nullptr, 10);
    return std::random_device{}();
}

// Where a replay ends: once its last input has been applied and the game has done what it
// started, with that period's timers run and a box's handler gone on; a box the file leaves
// open stays open. The first two rows ended elsewhere in the windows than headless.
TEST(ReplayPlayers, AReplayEndsWhereItsLastInputLeavesTheGame) {
    const std::string head = "skyvane-replay 1\n0 click Form2 Command1\n";
    const struct {
        const char* what;
        std::string file;
        const char* end;
    } cases[] = {
        {"a repeat last: its period's timers run",
         head + "0 click Form1 Command1\n1 down Form1 16\n33 repeat Form1 16\n",
         "phase=flight rescued=0 fuel=984 altitude=2674 period=33"},
        {"a box closed last: the farewell goes on to the end",
         head + "1 click Form1 Command2\n40 box\n",
         "phase=ended rescued=0 fuel=0 altitude=0 period=40"},
        {"a box opened last: it stays open", head + "1 click Form1 Command2\n",
         "phase=briefing rescued=0 fuel=0 altitude=0 period=1"},
        {"a stall last: the periods it passed over", head + "3 click Form1 Command1\n20 skip 90\n",
         "phase=flight rescued=0 fuel=992 altitude=1114 period=90"},
        {"a wait last", head + "5 wait\n", "phase=briefing rescued=0 fuel=0 altitude=0 period=5"},
        {"the end", head + "7 end\n", "phase=ended rescued=0 fuel=0 altitude=0 period=7"},
        {"nothing but the header", "skyvane-replay 1\n",
         "phase=title rescued=0 fuel=0 altitude=0 period=0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(headless(c.file).end, c.end);
        EXPECT_EQ(inWindows(c.file).end, c.end);
    }
}

// A replay file is outside input: it can name inputs no desktop makes. The reader refuses what
// it can tell from the file alone; every other such input changes nothing, in either player:
// the run plays as if the line were not there. The line marked "!" is the one no desktop makes.
TEST(ReplayPlayers, AnInputNoDesktopMakesIsRefusedOrChangesNothing) {
    // Joined, GO, Shift held from period 3 and repeating from 35 on, let go at 50.
    const std::string head = "skyvane-replay 1\n0 click Form2 Command1\n2 click Form1 Command1\n";
    const std::string flight = "3 down Form1 16\n35 repeat Form1 16\n37 repeat Form1 16\n";
    const std::string tail = "50 up Form1 16\n60 wait\n";
    const struct {
        const char* what;
        std::string file;
        const char* refused;  // null: changes nothing
    } cases[] = {
        {"a click on a hidden button (BACK at the briefing)",
         "skyvane-replay 1\n0 click Form2 Command1\n!1 click Form1 Command3\n5 wait\n", nullptr},
        {"a click on join in the title, hidden once joined",
         head + "!2 click Form2 Command1\n" + flight + tail, nullptr},
        {"a click in a window not loaded", head + "!2 click Form3 Command1\n" + flight + tail,
         nullptr},
        {"a click on no button", head + "!2 click Form1 Label9\n" + flight + tail,
         "there is no button Label9 on Form1"},
        {"an edit of the name box in the title, hidden once joined",
         head + "!2 text Form2 Text1 =Ghost\n" + flight + tail, nullptr},
        {"focus on a hidden button",
         "skyvane-replay 1\n0 click Form2 Command1\n!1 focus Form1 Command3\n1 "
         "down Form1 13\n2 up Form1 13\n40 wait\n",
         nullptr},
        {"a repeat of a key not held", head + flight + "!39 repeat Form1 37\n" + tail, nullptr},
        {"a repeat of a key after its up",
         head + flight + "50 up Form1 16\n!52 repeat Form1 16\n60 wait\n", nullptr},
        {"a repeat in another window", head + flight + "!39 repeat Form2 16\n" + tail, nullptr},
        {"a repeat before the first period",
         "skyvane-replay 1\n!0 repeat Form2 16\n0 click Form2 Command1\n5 wait\n", nullptr},
        {"a repeat behind a box",
         "skyvane-replay 1\n0 click Form2 Command1\n1 down Form1 16\n2 click Form1 Command2\n!40 "
         "repeat Form1 16\n60 box\n70 wait\n",
         nullptr},
        {"an up of a key never down", head + "!2 up Form1 39\n" + flight + tail, nullptr},
        {"a second down of a held key", head + flight + "!38 down Form1 16\n" + tail, nullptr},
        {"a second down of a key held through joining, whose window hid",
         "skyvane-replay 1\n0 down Form2 13\n!5 down Form1 13\n10 wait\n", nullptr},
        {"a box closed with none open", head + "!2 box\n" + flight + tail, nullptr},
        {"a repeat after other inputs of its period",
         head + flight + "38 down Form1 37\n!38 repeat Form1 37\n" + tail,
         "a repeat comes after other inputs of its period"},
        {"an input before the one it follows", head + flight + "!20 click Form1 Command1\n" + tail,
         "comes after the run reached period 37"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string with, without;
        std::istringstream lines(c.file);
        for (std::string line; std::getline(lines, line);) {
            with += (line[0] == '!' ? line.substr(1) : line) + "\n";
            if (line[0] != '!') without += line + "\n";
        }
        const Played a = headless(with), b = inWindows(with);
        EXPECT_EQ(a, b) << firstDifference(a, b);
        if (c.refused) {
            EXPECT_NE(a.end.find(c.refused), std::string::npos) << a.end;
            continue;
        }
        const Played plain = headless(without);
        EXPECT_EQ(plain.end.rfind("refused", 0), std::string::npos) << plain.end;
        EXPECT_EQ(a, plain) << firstDifference(a, plain);
    }
}

TEST(ReplayPlayers, EveryRandomFileEndsTheSameHeadlessAndInTheWindows) {
    const auto seed = drawSeed();
    constexpr int kFiles = 300;
    int ended = 0, boxes = 0;
    for (int n = 0; n < kFiles; ++n) {
        const std::string file = fuzzing::randomReplay(seed + static_cast<std::uint64_t>(n));
        const Played a = headless(file), b = inWindows(file);
        for (const auto& line : a.trace)
            if (const auto fault = traceFault(line); !fault.empty())
                FAIL() << "seed " << seed << " + " << n << ": the trace line '" << line
                       << "': " << fault;
        if (a == b) {
            ended += a.end.rfind("phase=ended", 0) == 0;
            boxes += file.find(" box\n") != std::string::npos;
            continue;
        }
        const auto smallest = fuzzing::shrinkReplay(
            file, [](const std::string& f) { return !(headless(f) == inWindows(f)); });
        FAIL() << "seed " << seed << " + " << n << " (SKYVANE_SEED=" << seed
               << "): headless and the windows part: " << firstDifference(a, b)
               << "\nthe smallest file that still parts them:\n"
               << smallest << "which parts them at: "
               << firstDifference(headless(smallest), inWindows(smallest));
    }
    // The files cover what they are for: runs that end by themselves and runs cut short, boxes.
    EXPECT_GT(ended, kFiles / 10);
    EXPECT_LT(ended, kFiles * 9 / 10);
    EXPECT_GT(boxes, kFiles / 10);
}

}  // namespace
}  // namespace skyvane

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

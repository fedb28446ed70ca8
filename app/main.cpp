// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Skyvane: starts the Qt desktop, the sound and the title screen, or plays a recorded run.

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layouts/layouts.h"
#include "mission/mission_screen.h"
#include "platform/headless/headless_desktop.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_look.h"
#include "platform/qt/sdl_sound.h"
#include "platform/qt/signal_watcher.h"
#include "platform/replay.h"
#include "platform/trace_log.h"
#include "replay/headless_replay.h"
#include "screens/game.h"
#include "screens/phase.h"

#if defined(__unix__)
#include <unistd.h>

#include <csignal>
#endif

#ifndef SKYVANE_DATA_FROM_BIN
#define SKYVANE_DATA_FROM_BIN "../share/skyvane"
#endif
#ifndef SKYVANE_VERSION
#define SKYVANE_VERSION "unknown"
#endif

namespace {

// Exit statuses besides 0 and death by a signal (128 + its number).
constexpr int kFailed = 1;   // the display went away, or the recording could not be kept whole
constexpr int kRefused = 2;  // the command line, or a replay the game cannot play

constexpr const char* kUsage =
    "usage: skyvane [--record FILE | --replay FILE [--headless]] [--trace FILE]\n"
    "  --record FILE   play, and keep the run in FILE\n"
    "  --replay FILE   watch a recorded run; with --headless, play it without windows\n"
    "                  and print where it ended\n"
    "  --trace FILE    write every handler call, property change and sound call to FILE\n"
    "  --version       print the version\n"
    "  -h, --help      print this help\n"
    "Qt's own options (-platform, -display, -style, ...) are passed on to Qt.\n";

struct Options {
    std::string record;
    std::string replay;
    std::string trace;
    bool headless = false;
};

// Qt's own options, which QApplication takes out of the command line; those with a value take
// the next argument too.
struct QtOption {
    std::string_view name;
    bool value;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"display", true},
    {"geometry", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"name", true},
    {"title", true},
    {"visual", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

int refuse(const std::string& why) {
    std::fprintf(stderr, "skyvane: %s\nTry 'skyvane --help'.\n", why.c_str());
    return kRefused;
}

// Reads our options out of argv and leaves Qt's for QApplication. Arguments are kept as the
// system's bytes: a file name need not be UTF-8. Returns an exit status when the program ends
// here (help, version, a refusal).
std::optional<int> parseOptions(int& argc, char** argv, Options& o) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        std::string_view name = a;
        std::optional<std::string> inlineValue;
        if (a.rfind("--", 0) == 0 && a.find('=') != std::string_view::npos) {
            name = a.substr(0, a.find('='));
            inlineValue = std::string(a.substr(a.find('=') + 1));
        }
        auto value = [&](std::string& into) -> std::optional<int> {
            if (inlineValue) {
                into = *inlineValue;
            } else if (i + 1 < argc) {
                into = argv[++i];
            }
            if (into.empty()) return refuse(std::string(name) + " needs a file name");
            return std::nullopt;
        };
        std::optional<int> status;
        if (name == "--record") {
            status = value(o.record);
        } else if (name == "--replay") {
            status = value(o.replay);
        } else if (name == "--trace") {
            status = value(o.trace);
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("skyvane %s\n", SKYVANE_VERSION);
            return 0;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            const auto bare = a.substr(a[1] == '-' ? 2 : 1);
            const QtOption* qt = nullptr;
            for (const auto& q : kQtOptions)
                if (q.name == bare.substr(0, bare.find('='))) qt = &q;
            if (!qt) return refuse("unknown option '" + std::string(a) + "'");
            argv[kept++] = argv[i];
            if (qt->value && bare.find('=') == std::string_view::npos) {
                if (i + 1 >= argc) return refuse("-" + std::string(qt->name) + " needs a value");
                argv[kept++] = argv[++i];
            }
        } else {
            // The game takes no file names of its own; the likely intent is a replay.
            return refuse("unexpected argument '" + std::string(a) + "'; did you mean --replay " +
                          std::string(a) + "?");
        }
        if (status) return status;
    }
    argc = kept;
    argv[argc] = nullptr;
    if (o.headless && o.replay.empty())
        return refuse("--headless plays a recorded run: give it --replay FILE");
    if (!o.record.empty() && !o.replay.empty())
        return refuse("--record and --replay cannot go together");
    return std::nullopt;
}

// The folder of the program, as the system's bytes: a folder whose name is not UTF-8 still
// finds the sounds installed beside it.
std::string programFolder() {
#if defined(__linux__)
    std::vector<char> buf(4096);
    const auto n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n > 0) {
        std::string path(buf.data(), static_cast<std::size_t>(n));
        return path.substr(0, path.find_last_of('/'));
    }
#endif
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

// The working directory first, then the installed game's data, then the build tree.
std::vector<std::string> soundFolders() {
    const std::string here = programFolder();
    return {"", here + "/" + SKYVANE_DATA_FROM_BIN, here + "/assets"};
}

std::vector<char> defaultWave() {
    QFile file(QStringLiteral(":/sounds/default.wav"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

// The trace file of --trace: one line an event, written as the run goes.
class TraceFile {
  public:
    bool open(const std::string& path) {
        file_ = std::fopen(path.c_str(), "w");
        return file_ != nullptr;
    }
    ~TraceFile() { close(); }
    void line(std::string_view text) {
        if (!file_) return;
        std::fwrite(text.data(), 1, text.size(), file_);
        std::fputc('\n', file_);
    }
    // False if anything could not be written.
    bool close() {
        if (!file_) return ok_;
        ok_ = !std::ferror(file_) && std::fclose(file_) == 0;
        file_ = nullptr;
        return ok_;
    }

  private:
    std::FILE* file_ = nullptr;
    bool ok_ = true;
};

int playHeadless(const Options& options, TraceFile& traceFile) {
    auto file = skyvane::readReplay(options.replay);
    if (!skyvane::reportReplay(options.replay, file, stderr)) return kRefused;
    skyvane::NullSound silence;
    skyvane::TraceLog trace([&](std::string_view l) { traceFile.line(l); }, &silence);
    const bool tracing = !options.trace.empty();
    const std::string line = skyvane::replayHeadless(
        std::move(file.inputs), tracing ? static_cast<skyvane::Sound&>(trace) : silence,
        tracing ? &trace : nullptr,
        [&](skyvane::HeadlessDesktop& desktop) { trace.follow(desktop); });
    std::printf("%s\n", line.c_str());
    if (!traceFile.close()) {
        std::fprintf(stderr, "skyvane: %s: the trace could not be written whole\n",
                     options.trace.c_str());
        return kFailed;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const auto status = parseOptions(argc, argv, options)) return *status;

    TraceFile traceFile;
    if (!options.trace.empty() && !traceFile.open(options.trace)) {
        std::fprintf(stderr, "skyvane: %s: cannot write the trace: %s\n", options.trace.c_str(),
                     std::strerror(errno));
        return kRefused;
    }
    if (options.headless) return playHeadless(options, traceFile);

    // A replay is read whole, and refused, before any window opens.
    skyvane::replay::ReadResult replay;
    if (!options.replay.empty()) {
        replay = skyvane::readReplay(options.replay);
        if (!skyvane::reportReplay(options.replay, replay, stderr)) return kRefused;
    }
#if defined(__unix__)
    // A file that outgrows its limit is a write that fails, said and survived, not the end.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::unique_ptr<skyvane::replay::Writer> recorder;
    bool recordingCut = false;
    if (!options.record.empty()) {
        std::string why;
        recorder = skyvane::replay::Writer::open(options.record, why, [&](const std::string& r) {
            // Said at once, while the player can still do something about it; the game goes on.
            recordingCut = true;
            std::fprintf(stderr,
                         "skyvane: %s: the recording stopped at period %llu: %s; the file keeps "
                         "the run up to there\n",
                         options.record.c_str(),
                         static_cast<unsigned long long>(recorder ? recorder->lastPeriod() : 0),
                         r.c_str());
        });
        if (!recorder) {
            std::fprintf(stderr, "skyvane: %s: cannot record into it: %s\n", options.record.c_str(),
                         why.c_str());
            return kRefused;
        }
    }

    QApplication app(argc, argv);
    QApplication::setFont(skyvane::qtlook::font({}));
    QApplication::setWindowIcon(QIcon(skyvane::pictures::kSideLeft));

    // The audio opens on a thread of its own, when the mission needs it: the title screen never
    // waits for it.
    skyvane::SdlSound sound(soundFolders(), defaultWave(),
                            {skyvane::mission_sounds::kRotor, skyvane::mission_sounds::kExplosion});
    skyvane::QtDesktop desktop([&sound] { sound.play(nullptr, skyvane::kSoundSync); });
    skyvane::SignalWatcher watcher([&desktop](int) { desktop.endFromOutside(); });
    std::unique_ptr<skyvane::TraceLog> trace;
    if (!options.trace.empty()) {
        trace = std::make_unique<skyvane::TraceLog>(
            [&](std::string_view line) { traceFile.line(line); }, &sound);
        trace->follow(desktop);
        desktop.setTrace(trace.get());
    }
    skyvane::Game game(desktop, trace ? static_cast<skyvane::Sound&>(*trace) : sound);
    // The title screen is silent: the sound starts when the mission screen first shows.
    desktop.onShow = [&](skyvane::Form& form) {
        if (&form == &game.mission) sound.start();
    };

    std::unique_ptr<skyvane::replay::Replayer> replayer;
    std::string outcome;
    if (!options.replay.empty()) {
        replayer = std::make_unique<skyvane::replay::Replayer>(desktop, game.forms(),
                                                               std::move(replay.inputs));
        // Where the run ended, before the player closes the windows.
        replayer->onFinished = [&] { outcome = skyvane::summary(game, desktop); };
        replayer->attach();
        desktop.setDropLatePeriods(false);
    }
    if (recorder) desktop.setInputSink(recorder.get());

    desktop.invoke([&] { game.start(); });
    int status = desktop.run();
    desktop.setInputSink(nullptr);
    recorder.reset();
    desktop.setTrace(nullptr);
    if (!traceFile.close()) {
        std::fprintf(stderr, "skyvane: %s: the trace could not be written whole\n",
                     options.trace.c_str());
        status = kFailed;
    }
    // A script that recorded a run learns that the file does not hold all of it.
    if (recordingCut && status == 0) status = kFailed;
    // A replay watched in the windows ends with the same line as one played headless.
    if (replayer) {
        if (outcome.empty()) outcome = skyvane::summary(game, desktop);
        std::printf("%s\n", outcome.c_str());
        std::fflush(stdout);
    }

    // The end never waits on the audio: a device that does not close in time is left behind.
    // A signal leaves at once; the end of the process silences the stream anyway.
    const int signal = watcher.caught();
    const bool soundClosed =
        sound.shutdown(signal ? std::chrono::milliseconds(20) : skyvane::SdlSound::kCloseGrace);
    if (signal) skyvane::SignalWatcher::dieBy(signal);
    if (!soundClosed) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

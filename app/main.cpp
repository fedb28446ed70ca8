// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// Skyvane: starts the Qt desktop, the sound and the title screen, or plays a recorded run.

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layouts/layouts.h"
#include "mission/mission_sounds.h"
#include "platform/pacer.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_look.h"
#include "platform/qt/sdl_pad.h"
#include "platform/qt/sdl_sound.h"
#include "platform/qt/signal_watcher.h"
#include "replay/headless_replay.h"
#include "replay/output_file.h"
#include "replay/run.h"

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

using skyvane::replay::FileId;
using skyvane::replay::OutputFile;

// Exit statuses besides 0 and death by a signal (128 + its number).
constexpr int kFailed = 1;   // no display, or a recording or trace that could not be kept whole
constexpr int kRefused = 2;  // the command line, or a file the game cannot read or write

constexpr const char* kUsage =
    "usage: skyvane [--record FILE | --replay FILE [--headless | --speed N]] [--trace FILE]\n"
    "               [--language L]\n"
    "  --record FILE   play, and keep the run in FILE\n"
    "  --replay FILE   watch a recorded run; with --headless, play it without windows\n"
    "                  and print where it ended\n"
    "  --speed N       watch it N times as fast (0.125 to 64; 2, 4, 0.5 or 1/2, ...)\n"
    "  --language L    the game's texts in L: ja (the game's own, the default)%s;\n"
    "                  a replay plays in the language it was recorded in unless L is given\n"
    "  --audio-guide   play with the audio guide: the flight told in sounds, and the keys\n"
    "                  A, V, F and R asking how high, how fast, how much fuel, how many safe;\n"
    "                  a replay plays with the guide it was recorded with unless this is given\n"
    "  --trace FILE    write every handler call, property change and sound call to FILE\n"
    "  --languages     print the languages the game speaks, one a line\n"
    "  --version       print the version\n"
    "  -h, --help      print this help\n"
    "Qt's own options (-platform, -display, -style, ...) are passed on to Qt.\n";

struct Options {
    std::string record;
    std::string replay;
    std::string trace;
    bool headless = false;
    double speed = 1;
    bool speedGiven = false;
    std::optional<std::string> language;
    std::optional<bool> guide;
};

std::string languageList() {
    std::string list;
    for (const auto& l : skyvane::Catalog::languages()) list += (list.empty() ? "" : ", ") + l;
    return list;
}

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
        auto value = [&](std::string& into, const char* what) -> std::optional<int> {
            if (inlineValue) {
                into = *inlineValue;
            } else if (i + 1 < argc) {
                into = argv[++i];
            }
            if (into.empty()) return refuse(std::string(name) + " needs " + what);
            return std::nullopt;
        };
        std::optional<int> status;
        if (name == "--record") {
            status = value(o.record, "a file name");
        } else if (name == "--replay") {
            status = value(o.replay, "a file name");
        } else if (name == "--trace") {
            status = value(o.trace, "a file name");
        } else if (name == "--speed") {
            std::string speed;
            status = value(speed, "a number");
            if (!status) {
                const auto v = skyvane::Pacer::parseSpeed(speed);
                if (!v) return refuse(skyvane::Pacer::kSpeedRefused + ("'" + speed + "'"));
                o.speed = *v;
                o.speedGiven = true;
            }
        } else if (name == "--language") {
            std::string language;
            status = value(language, "a language");
            if (!status && !skyvane::Catalog::of(language))
                return refuse("no language '" + language + "'; the game speaks " + languageList());
            o.language = language;
        } else if (a == "--audio-guide") {
            o.guide = true;
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--help" || a == "-h") {
            std::string others;
            const auto all = skyvane::Catalog::languages();
            for (std::size_t i = 1; i < all.size(); ++i)
                others += (i + 1 == all.size() ? " or " : ", ") + all[i];
            std::printf(kUsage, others.c_str());
            return 0;
        } else if (a == "--languages") {
            for (const auto& l : skyvane::Catalog::languages()) std::printf("%s\n", l.c_str());
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
            // Qt reads its options only as two words, and passes over what it does not read:
            // -platform=X would leave the game on the default display, unsaid.
            if (bare.find('=') != std::string_view::npos)
                return refuse("Qt takes its option as two words: -" + std::string(qt->name) + " " +
                              std::string(bare.substr(bare.find('=') + 1)) + ", not '" +
                              std::string(a) + "'");
            // ... and the xcb platform takes no display among its own options.
            if (qt->name == "platform" && i + 1 < argc &&
                std::string_view(argv[i + 1]).find(":display=") != std::string_view::npos)
                return refuse("-platform " + std::string(argv[i + 1]) +
                              ": the platform takes no display; name it with -display");
            argv[kept++] = argv[i];
            if (qt->value) {
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
    if (o.speedGiven && (o.replay.empty() || o.headless))
        return refuse(
            "--speed is the pace of a replay watched in the windows: give it --replay "
            "FILE, without --headless");
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

// The files a run writes, opened only once the run can start, and never one the run reads or
// already writes. A write that fails is said at once, with the system's reason; the game plays
// on, and ends with status 1.
class Outputs {
  public:
    explicit Outputs(const Options& options) : options_(options) {
        if (!options.replay.empty()) {
            if (auto id = skyvane::replay::fileId(options.replay)) taken_.push_back(*id);
            // A replay prints its end line on standard output: a trace there would be
            // overwritten by it, or overwrite it.
            endLine_ = skyvane::replay::fileIdOf(1);
        }
    }
    // A run refused takes away the files it made before it knew.
    ~Outputs() {
        if (!opened_)
            for (const auto& path : created_) std::remove(path.c_str());
    }

    // The recording and the trace asked for; false, having said why, if one cannot be ours.
    // Neither is emptied before both are known to be the run's own.
    bool open() {
        std::unique_ptr<OutputFile> record, trace;
        if (!options_.record.empty() && !(record = openOne(options_.record, "record into it")))
            return false;
        if (!options_.trace.empty() &&
            !(trace = openOne(options_.trace, "write the trace into it")))
            return false;
        for (auto* file : {record.get(), trace.get()}) {
            if (file && !file->begin()) {
                std::fprintf(stderr, "skyvane: %s: cannot write into it: %s\n",
                             (file == record.get() ? options_.record : options_.trace).c_str(),
                             file->failure().c_str());
                return false;
            }
        }
        if (record) {
            record->onFailure = [this](const std::string& why) {
                failed_ = true;
                std::fprintf(stderr,
                             "skyvane: %s: the recording stopped at period %llu: %s; the file "
                             "keeps the run up to there\n",
                             options_.record.c_str(),
                             static_cast<unsigned long long>(recorder ? recorder->lastPeriod() : 0),
                             why.c_str());
            };
            recorder = std::make_unique<skyvane::replay::Writer>(
                std::move(record), options_.language.value_or(skyvane::replay::kSourceLanguage),
                options_.guide.value_or(false));
        }
        if (trace) {
            trace->onFailure = [this](const std::string& why) {
                failed_ = true;
                std::fprintf(stderr,
                             "skyvane: %s: the trace stopped: %s; the file keeps it up to its "
                             "last whole line\n",
                             options_.trace.c_str(), why.c_str());
            };
            traceFile = std::make_unique<skyvane::replay::TraceFile>(std::move(trace));
            this->trace = std::make_unique<skyvane::TraceLog>([this](std::string_view line) {
                if (traceFile) traceFile->line(line);
            });
        }
        opened_ = true;
        return true;
    }

    // Closes both; false if either could not be written whole.
    bool close() {
        recorder.reset();
        if (traceFile) traceFile->close();
        traceFile.reset();
        return !failed_;
    }

    std::unique_ptr<skyvane::replay::Writer> recorder;
    std::unique_ptr<skyvane::replay::TraceFile> traceFile;
    std::unique_ptr<skyvane::TraceLog> trace;

  private:
    std::unique_ptr<OutputFile> openOne(const std::string& path, const char* what) {
        std::string why;
        const auto before = skyvane::replay::fileId(path);
        if (before && endLine_ && *before == *endLine_) {
            std::fprintf(stderr,
                         "skyvane: %s: cannot %s: the replay's end line is printed there "
                         "(standard output); name another file\n",
                         path.c_str(), what);
            return nullptr;
        }
        auto file = OutputFile::open(path, taken_, why);
        if (file && !before) created_.push_back(path);
        if (!file) {
            std::fprintf(stderr, "skyvane: %s: cannot %s: %s\n", path.c_str(), what, why.c_str());
            return nullptr;
        }
        taken_.push_back(file->id());
        return file;
    }

    const Options& options_;
    std::vector<FileId> taken_;
    std::optional<FileId> endLine_;
    std::vector<std::string> created_;
    bool opened_ = false;
    bool failed_ = false;
};

int playHeadless(const Options& options) {
    auto file = skyvane::readReplay(options.replay, options.language.has_value());
    if (!skyvane::reportReplay(options.replay, file, stderr)) return kRefused;
    if (options.language) file.inputs.setLanguage(*options.language);
    if (options.guide) file.inputs.setGuided(*options.guide);
    Outputs outputs(options);
    if (!outputs.open()) return kRefused;
    skyvane::NullSound silence;
    const std::string line =
        skyvane::replayHeadless(std::move(file.inputs), silence, outputs.trace.get());
    std::printf("%s\n", line.c_str());
    return outputs.close() ? 0 : kFailed;
}

// Qt's words while it looks for a display, kept for the one sentence said if there is none.
QString qtStartupWords;
bool displayNamed = false;  // by the environment, -display or -platform
void whileStarting(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        // Qt would abort with a core dump: there is no window to show, which is a sentence and
        // status 1, not a crash.
        const QString why = !displayNamed
                                ? QStringLiteral("there is no display (DISPLAY is not set)")
                            : !qtStartupWords.isEmpty() ? qtStartupWords
                                                        : message.section('.', 0, 0);
        std::fprintf(stderr,
                     "skyvane: no window can open: %s\n"
                     "The game needs a display; a recorded run plays without one: skyvane "
                     "--replay FILE --headless\n",
                     qPrintable(why));
        std::fflush(stderr);
        std::_Exit(kFailed);
    }
    if (qtStartupWords.isEmpty() && (type == QtWarningMsg || type == QtCriticalMsg))
        qtStartupWords = message;
}

// Qt's default handler, for what the game lets through once it plays.
QtMessageHandler qtHandler = nullptr;
void whilePlaying(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    // A screen reader that answers late about a key it was only told of (the game had the key
    // already): Qt's bridge says so for every key, and nothing waits on the answer.
    if (message.startsWith(QLatin1String("QSpiApplication::keyEventError")) ||
        message.startsWith(QLatin1String("QSpiApplication::notifyKeyboardListenerCallback")))
        return;
    if (qtHandler) qtHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const auto status = parseOptions(argc, argv, options)) return *status;
#if defined(__unix__)
    // A file that outgrows its limit is a write that fails, said and survived, not the end.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (options.headless) return playHeadless(options);

    // A replay is read whole, and refused, before any window opens.
    std::optional<skyvane::replay::Recording> replay;
    if (!options.replay.empty()) {
        auto file = skyvane::readReplay(options.replay, options.language.has_value());
        if (!skyvane::reportReplay(options.replay, file, stderr)) return kRefused;
        if (options.language) file.inputs.setLanguage(*options.language);
        replay = std::move(file.inputs);
    }

    displayNamed = !qEnvironmentVariableIsEmpty("DISPLAY") ||
                   !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                   !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        for (const char* named : {"-display", "--display", "-platform", "--platform"})
            if (a.rfind(named, 0) == 0) displayNamed = true;
    }
    const auto qtWords = qInstallMessageHandler(whileStarting);
    skyvane::GameApplication app(argc, argv);
    qtHandler = qtWords;
    qInstallMessageHandler(whilePlaying);
    QApplication::setFont(skyvane::qtlook::font({}));
    QApplication::setWindowIcon(QIcon(skyvane::pictures::kSideLeft));

    // The display is open and the replay read: only now may the run's own files be written.
    Outputs outputs(options);
    if (!outputs.open()) return kRefused;

    // The audio opens on a thread of its own, when the mission needs it: the title screen never
    // waits for it.
    skyvane::SdlSound sound(soundFolders(), defaultWave(),
                            {skyvane::mission_sounds::kRotor, skyvane::mission_sounds::kExplosion},
                            options.guide.value_or(replay && replay->guided()));
    skyvane::TraceLog* trace = outputs.trace.get();
    if (trace) trace->passOn(&sound);
    skyvane::QtDesktop desktop([&sound] { sound.play(nullptr, skyvane::kSoundSync); });
    skyvane::SignalWatcher watcher([&desktop](int) { desktop.endFromOutside(); });
    const bool watching = replay.has_value();
    std::optional<skyvane::Run> run;
    run.emplace(desktop, sound,
                skyvane::RunOptions{.replay = std::move(replay),
                                    .record = outputs.recorder.get(),
                                    .trace = trace,
                                    .language = options.language,
                                    .guide = options.guide});
    // Gamepads, read by SDL on a thread of their own.
    skyvane::SdlPad pads([&desktop](const skyvane::PadState& pad) { desktop.padChanged(pad); },
                         [&desktop] { desktop.padGone(); });
    // The title screen is silent: the sound starts when the mission screen first shows, and
    // the pads are looked for then too, since SDL is loaded then.
    desktop.onShow = [&](skyvane::Form& form) {
        if (&form != &run->game().mission) return;
        sound.start();
        pads.start();
    };
    // The tests' live pilots (XTEST fingers) react to what they see: on a busy machine they are
    // given a game paced for them, SKYVANE_TEST_PACE times as fast (a half, a quarter). The
    // recording is the same at any pace. Not a player's option: --speed is for replays.
    if (const char* pace = std::getenv("SKYVANE_TEST_PACE"); pace && !watching)
        if (const auto v = skyvane::Pacer::parseSpeed(pace)) desktop.setSpeed(*v);
    if (watching) {
        desktop.setSpeed(options.speed);
        // The replay's end line, said the moment it ends; the last frame stays on the screen
        // until the player closes it, but where nobody can see it (offscreen), the game ends.
        run->onReplayEnded = [&](const std::string& line) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
            const auto platform = QGuiApplication::platformName();
            if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
                desktop.endFromOutside();
        };
    }

    run->start();
    int status = desktop.run();
    desktop.onShow = nullptr;
    run.reset();
    if (!outputs.close() && status == 0) status = kFailed;

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

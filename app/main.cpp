// Skyvane: starts the Qt desktop, the sound and the title screen, or plays a recorded run.
//
//   skyvane                         play
//   skyvane --record FILE           play, and keep the run in FILE
//   skyvane --replay FILE           watch a recorded run in the game's windows; when they
//                                   close, print where the run ended
//   skyvane --replay FILE --headless
//                                   play it without windows and print where it ended

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "layouts/layouts.h"
#include "mission/mission_screen.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_look.h"
#include "platform/qt/sdl_sound.h"
#include "platform/qt/signal_watcher.h"
#include "platform/replay.h"
#include "replay/headless_replay.h"
#include "screens/game.h"
#include "screens/phase.h"

#if defined(__linux__)
#include <unistd.h>
#endif

#ifndef SKYVANE_DATA_FROM_BIN
#define SKYVANE_DATA_FROM_BIN "../share/skyvane"
#endif

namespace {

struct Options {
    std::string record;
    std::string replay;
    bool headless = false;
};

constexpr const char* kUsage =
    "usage: skyvane [--record FILE | --replay FILE [--headless]]\n"
    "  --record FILE   play, and keep the run in FILE\n"
    "  --replay FILE   watch a recorded run; with --headless, play it without windows\n"
    "                  and print where it ended\n";

// Takes our own options out of argv and leaves Qt's; nothing on an unknown option of ours.
std::optional<Options> parseOptions(int& argc, char** argv) {
    Options o;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return !into.empty();
        };
        if (a == "--record") {
            if (!value(o.record)) return std::nullopt;
        } else if (a == "--replay") {
            if (!value(o.replay)) return std::nullopt;
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (a.rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    if (o.headless && o.replay.empty()) return std::nullopt;
    if (!o.record.empty() && !o.replay.empty()) return std::nullopt;
    return o;
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

}  // namespace

int main(int argc, char** argv) {
    const auto options = parseOptions(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (options->headless) return skyvane::replayFile(options->replay, stdout, stderr);

    // A replay is read whole, and refused, before any window opens.
    skyvane::replay::ReadResult replay;
    if (!options->replay.empty()) {
        replay = skyvane::readReplay(options->replay);
        if (replay.error) {
            std::fprintf(stderr, "skyvane: %s\n",
                         skyvane::replay::message(options->replay, *replay.error).c_str());
            return 2;
        }
    }
    std::unique_ptr<skyvane::replay::Writer> recorder;
    if (!options->record.empty()) {
        recorder =
            std::make_unique<skyvane::replay::Writer>(std::fopen(options->record.c_str(), "wb"));
        if (recorder->failed()) {
            std::fprintf(stderr, "skyvane: %s: cannot write the replay\n", options->record.c_str());
            return 2;
        }
    }

    QApplication app(argc, argv);
    QApplication::setFont(skyvane::qtlook::font({}));
    QApplication::setWindowIcon(QIcon(skyvane::pictures::SideLeft));

    // The audio opens on a thread of its own, when the mission needs it: the title screen never
    // waits for it.
    skyvane::SdlSound sound(soundFolders(), defaultWave(),
                            {skyvane::mission_sounds::kRotor, skyvane::mission_sounds::kExplosion});
    skyvane::QtDesktop desktop([&sound] { sound.play(nullptr, skyvane::kSoundSync); });
    skyvane::SignalWatcher watcher([&desktop](int) { desktop.endFromOutside(); });
    skyvane::Game game(desktop, sound);
    // The title screen is silent: the sound starts when the mission screen first shows.
    desktop.onShow = [&](skyvane::Form& form) {
        if (&form == &game.mission) sound.start();
    };

    std::unique_ptr<skyvane::replay::Replayer> replayer;
    std::string outcome;
    if (!options->replay.empty()) {
        replayer = std::make_unique<skyvane::replay::Replayer>(desktop, game.forms(),
                                                               std::move(replay.inputs));
        // Where the run ended, before the player closes the windows.
        replayer->onFinished = [&] { outcome = skyvane::summary(game, desktop); };
        replayer->attach();
        desktop.setDropLatePeriods(false);
    }
    if (recorder) desktop.setInputSink(recorder.get());

    desktop.invoke([&] { game.start(); });
    const int status = desktop.run();
    desktop.setInputSink(nullptr);
    recorder.reset();
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

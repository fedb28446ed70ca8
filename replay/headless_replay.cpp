#include "replay/headless_replay.h"

#include <fstream>

#include "platform/headless/headless_desktop.h"
#include "platform/replay.h"
#include "screens/game.h"
#include "screens/phase.h"

namespace skyvane {

std::string replayHeadless(const std::vector<Input>& inputs, Sound& sound, Trace* trace) {
    HeadlessDesktop desktop;
    Game game(desktop, sound);
    if (trace) desktop.setTrace(trace);
    replay::Replayer replayer(desktop, game.forms(), inputs);
    auto runPeriod = [&] { desktop.runPeriod(); };
    desktop.whileMessageBox = [&](const MessageBoxCall&) { replayer.pump(runPeriod); };
    desktop.invoke([&] { game.start(); });
    replayer.pump(runPeriod);
    return summary(game, desktop);
}

namespace {

class Silence : public Sound {
  public:
    void play(const char*, unsigned) override {}
};

}  // namespace

replay::ReadResult readReplay(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        replay::ReadResult r;
        r.error = replay::Error{0, "cannot read the replay"};
        return r;
    }
    auto file = replay::read(in);
    if (!file.error) {
        HeadlessDesktop desktop;
        Silence silence;
        Game game(desktop, silence);
        file.error = replay::validate(file, game.forms());
    }
    return file;
}

int replayFile(const std::string& path, std::FILE* out, std::FILE* err) {
    const auto file = readReplay(path);
    if (file.error) {
        std::fprintf(err, "skyvane: %s\n", replay::message(path, *file.error).c_str());
        return 2;
    }
    Silence silence;
    const std::string line = replayHeadless(file.inputs, silence);
    std::fprintf(out, "%s\n", line.c_str());
    return 0;
}

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

// libFuzzer: the replay reader. Whatever the bytes, it refuses them with a line that exists or
// reads them; what it reads writes back to the same inputs, and plays without a fault.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/headless/headless_desktop.h"
#include "replay/format.h"
#include "replay/headless_replay.h"
#include "screens/game.h"

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "skyvane: replay reader: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyvane;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    std::istringstream in(bytes);
    auto file = replay::read(in);
    if (file.error) {
        if (file.error->what.empty()) broken("a refusal without a reason");
        if (file.error->line < 0 || file.error->line > lines) broken("a refusal names no line");
        return 0;
    }
    if (file.warning && (file.warning->line < 1 || file.warning->line > lines))
        broken("a warning names no line");
    std::string written =
        std::string(replay::kMagic) + " " + std::to_string(replay::kVersion) + "\n";
    const auto inputs = file.inputs.inputs();
    for (const auto& input : inputs) written += replay::encode(input) + "\n";
    std::istringstream again(written);
    const auto reread = replay::read(again);
    if (reread.error || reread.warning || reread.inputs.inputs() != inputs)
        broken("what it read does not write back");

    HeadlessDesktop desktop;
    NullSound sound;
    Game game(desktop, sound);
    const auto forms = game.forms();
    std::istringstream checked(written);
    if (replay::read(checked, &forms).error) return 0;
    // Long runs are the soak's business; keep each execution short.
    if (!inputs.empty() && inputs.back().period > 20'000) return 0;
    replayHeadless(std::move(file.inputs), sound);
    return 0;
}

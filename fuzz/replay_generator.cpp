// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "fuzz/replay_generator.h"

#include <algorithm>
#include <random>
#include <sstream>

#include "platform/keys.h"
#include "platform/text_codec.h"

namespace skyvane::fuzzing {

namespace {

// Unicode as names come: ASCII, Japanese, right-to-left, emoji, control characters, a carriage
// return, a NUL, and now and then bytes that are not UTF-8 at all.
std::string randomName(std::mt19937_64& rng) {
    std::uniform_int_distribution<int> pick(0, 9);
    const int length = std::uniform_int_distribution<int>(0, 12)(rng);
    std::string name;
    auto utf8 = [&](char32_t c) {
        if (c < 0x80) {
            name += static_cast<char>(c);
        } else if (c < 0x800) {
            name += static_cast<char>(0xC0 | (c >> 6));
            name += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            name += static_cast<char>(0xE0 | (c >> 12));
            name += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            name += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            name += static_cast<char>(0xF0 | (c >> 18));
            name += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            name += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            name += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    for (int i = 0; i < length; ++i) {
        auto in = [&](char32_t lo, char32_t hi) {
            return static_cast<char32_t>(std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng));
        };
        switch (pick(rng)) {
            case 0:
            case 1:
                utf8(in(0x20, 0x7E));
                break;
            case 2:
                utf8(in(0x3041, 0x30FF));  // kana
                break;
            case 3:
                utf8(in(0x4E00, 0x9FFF));  // kanji
                break;
            case 4:
                utf8(in(0x05D0, 0x05EA));  // Hebrew, right to left
                break;
            case 5:
                utf8(in(0x1F300, 0x1F64F));  // emoji
                break;
            case 6:
                utf8(std::vector<char32_t>{0x0D, 0x0A, 0x09, 0x00, 0x3000, 0x300C, 0x300D,
                                           0x200F}[in(0, 7)]);
                break;
            case 7:
                utf8(std::vector<char32_t>{'&', '<', '[', '*', ']', '%', ' ', '='}[in(0, 7)]);
                break;
            case 8:
                name += static_cast<char>(in(0x80, 0xFF));  // not UTF-8
                break;
            default:
                utf8(in(0xA0, 0x24F));  // Latin with marks
                break;
        }
    }
    return name;
}

class Writer {
  public:
    explicit Writer(std::mt19937_64& rng) : rng_(rng) { out_ << "skyvane-replay 1\n"; }
    // A line of the header, before any input.
    void header(const char* line) { out_ << line << '\n'; }

    bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng_) < percent; }
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // Periods pass with nothing taken.
    void pass(int periods) { period_ += static_cast<std::uint64_t>(periods); }
    void line(const std::string& rest) {
        out_ << period_ << ' ' << rest << '\n';
        inputAt_ = period_;
    }
    // A repeat comes first in its period: one past the last input.
    void repeat(const char* form, int key) {
        if (inputAt_ == period_) ++period_;
        out_ << period_ << " repeat " << form << ' ' << key << '\n';
    }
    void stall() {
        const auto to = period_ + static_cast<std::uint64_t>(between(1, 200));
        line("skip " + std::to_string(to));
        period_ = to;
    }
    void comment() {
        out_ << "# ";
        if (chance(30)) out_ << '\0';
        out_ << "a comment " << between(0, 999) << '\n';
    }
    void name(const char* form) {
        line(std::string("text ") + form + " Text1 =" + percentEncode(randomName(rng_)));
    }
    std::string text() const { return out_.str(); }
    std::uint64_t period() const { return period_; }

  private:
    std::mt19937_64& rng_;
    std::ostringstream out_;
    std::uint64_t period_ = 0;
    std::uint64_t inputAt_ = ~0ull;
};

// Holds a key as the desktop would record it: down, its repeats after half a second, up.
void holdKey(Writer& w, const char* form, int key) {
    w.line(std::string("down ") + form + " " + std::to_string(key));
    const int held = w.between(1, 120);
    int at = 0;
    if (held > 32 && w.chance(80)) {
        w.pass(32);
        at = 32;
        w.repeat(form, key);
        while (at + 2 < held) {
            w.pass(2);
            at += 2;
            w.repeat(form, key);
        }
    }
    w.pass(std::max(0, held - at));
    if (w.chance(90)) w.line(std::string("up ") + form + " " + std::to_string(key));
}

}  // namespace

std::string randomReplay(std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    Writer w(rng);
    static constexpr int kGameKeys[] = {vk::Shift, vk::Left,   vk::Up,    vk::Right,
                                        vk::Down,  vk::Return, vk::Space, vk::Other};
    static constexpr const char* kButtons[][2] = {{"Form2", "Command1"}, {"Form2", "Command2"},
                                                  {"Form1", "Command1"}, {"Form1", "Command2"},
                                                  {"Form1", "Command3"}, {"Form3", "Command1"}};
    static constexpr const char* kFocus[][2] = {
        {"Form2", "Text1"}, {"Form2", "Command1"}, {"Form1", "Command1"}, {"Form1", "Command2"}};
    if (w.chance(25)) w.header("guide on");
    if (w.chance(20)) w.comment();
    // Mostly a pilot who joins and takes off; sometimes one who dithers on the title.
    w.pass(w.between(0, 40));
    if (w.chance(70)) w.name("Form2");
    if (w.chance(85)) {
        w.line("click Form2 Command1");
        w.pass(w.between(0, 30));
        if (w.chance(90)) w.line("click Form1 Command1");
    }
    const int events = w.between(1, 40);
    for (int i = 0; i < events; ++i) {
        switch (w.between(0, 13)) {
            case 0:
            case 1:
            case 2:
            case 3:
                holdKey(w, "Form1", kGameKeys[w.between(0, 7)]);
                break;
            case 4: {
                // Drawn one by one: the order a call's arguments are worked out in is the
                // compiler's, and a seed must draw the same file from every build.
                const char* form = w.chance(50) ? "Form2" : "Form3";
                holdKey(w, form, kGameKeys[w.between(0, 7)]);
                break;
            }
            case 5: {
                const auto& b = kButtons[w.between(0, 5)];
                w.line(std::string("click ") + b[0] + " " + b[1]);
                break;
            }
            case 6:
                w.stall();
                break;
            case 7: {
                // A box, closed late or never: the farewell, going home, or nothing at all.
                w.line(w.chance(50) ? "click Form1 Command2" : "click Form2 Command2");
                w.pass(w.between(0, 60));
                if (w.chance(80)) w.line("box");
                break;
            }
            case 8:
                w.line("lostkeys");
                break;
            case 9: {
                const auto& f = kFocus[w.between(0, 3)];
                w.line(std::string("focus ") + f[0] + " " + f[1]);
                break;
            }
            case 10:
                w.name("Form2");
                break;
            case 11:
                if (w.chance(30)) w.line(w.chance(50) ? "close Form1" : "close Form2");
                break;
            case 12:
                w.line("box");  // no box to close
                break;
            default:
                w.pass(w.between(1, 150));
                break;
        }
        if (w.chance(30)) w.pass(w.between(0, 40));
    }
    if (w.chance(15)) w.line("wait");
    if (w.chance(40)) w.line("end");
    return w.text();
}

std::string shrinkReplay(const std::string& file,
                         const std::function<bool(const std::string&)>& fails) {
    std::vector<std::string> lines;
    std::istringstream in(file);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    if (lines.empty()) return file;
    auto join = [](const std::vector<std::string>& ls) {
        std::string s;
        for (const auto& l : ls) s += l + '\n';
        return s;
    };
    for (std::size_t chunk = (lines.size() + 1) / 2; chunk >= 1; chunk /= 2) {
        for (std::size_t at = 1; at < lines.size();) {
            auto fewer = lines;
            fewer.erase(
                fewer.begin() + static_cast<std::ptrdiff_t>(at),
                fewer.begin() + static_cast<std::ptrdiff_t>(std::min(at + chunk, fewer.size())));
            if (fails(join(fewer))) {
                lines = std::move(fewer);
            } else {
                at += chunk;
            }
        }
        if (chunk == 1) break;
    }
    return join(lines);
}

}  // namespace skyvane::fuzzing

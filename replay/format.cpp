// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "replay/format.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/keys.h"
#include "platform/text_codec.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define SKYVANE_POSIX_FILES 1
#endif

namespace skyvane::replay {

namespace {

struct Verb {
    Input::Kind kind;
    const char* word;
};

constexpr Verb kVerbs[] = {
    {Input::Kind::KeyDown, "down"},
    {Input::Kind::KeyUp, "up"},
    {Input::Kind::Repeat, "repeat"},
    {Input::Kind::Click, "click"},
    {Input::Kind::Close, "close"},
    {Input::Kind::BoxClosed, "box"},
    {Input::Kind::Text, "text"},
    {Input::Kind::Focus, "focus"},
    {Input::Kind::LostKeyboard, "lostkeys"},
    {Input::Kind::Skip, "skip"},
    {Input::Kind::End, "end"},
    {Input::Kind::Wait, "wait"},
};

const char* wordFor(Input::Kind kind) {
    for (const auto& v : kVerbs)
        if (v.kind == kind) return v.word;
    return "?";
}

constexpr char kHex[] = "0123456789ABCDEF";

bool isName(std::string_view s) {
    if (s.empty() || s.size() > 64) return false;
    for (const char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

// A number as the writer spells it: decimal digits, no sign, no leading zero.
template <class T>
bool number(std::string_view s, T& out) {
    if (s.empty() || s.size() > 19 || (s.size() > 1 && s[0] == '0')) return false;
    for (const char c : s)
        if (c < '0' || c > '9') return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        const auto end = line.find(' ', i);
        out.push_back(line.substr(i, end == std::string_view::npos ? line.npos : end - i));
        if (end == std::string_view::npos) break;
        i = end + 1;
    }
    return out;
}

// How a line looks in a message: printable, and short.
std::string shown(std::string_view line) {
    std::string s;
    for (const char ch : line.substr(0, 60)) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F) {
            s += ch;
        } else {
            s += "\\x";
            s += kHex[c >> 4];
            s += kHex[c & 15];
        }
    }
    if (line.size() > 60) s += "...";
    return s;
}

std::optional<Input> parse(std::string_view line) {
    const auto f = fields(line);
    if (f.size() < 2) return std::nullopt;
    Input in;
    if (!number(f[0], in.period)) return std::nullopt;
    const Verb* verb = nullptr;
    for (const auto& v : kVerbs)
        if (f[1] == v.word) verb = &v;
    if (!verb) return std::nullopt;
    in.kind = verb->kind;
    auto formAnd = [&](std::size_t count) {
        if (f.size() != count || !isName(f[2])) return false;
        in.form = f[2];
        return true;
    };
    switch (in.kind) {
        case Input::Kind::KeyDown:
        case Input::Kind::KeyUp:
        case Input::Kind::Repeat:
            if (!formAnd(4) || !number(f[3], in.code) || in.code < 1 || in.code >= vk::kCount)
                return std::nullopt;
            return in;
        case Input::Kind::Click:
            if (!formAnd(4) || !isName(f[3])) return std::nullopt;
            in.element = f[3];
            return in;
        case Input::Kind::Close:
            if (!formAnd(3)) return std::nullopt;
            return in;
        case Input::Kind::Text: {
            if (!formAnd(5) || !isName(f[3]) || f[4].empty() || f[4][0] != '=') return std::nullopt;
            in.element = f[3];
            auto text = percentDecode(f[4].substr(1));
            if (!text) return std::nullopt;
            in.text = std::move(*text);
            return in;
        }
        case Input::Kind::Focus:
            if (!formAnd(4) || !isName(f[3])) return std::nullopt;
            in.element = f[3];
            return in;
        case Input::Kind::Skip:
            // A skip to its own period is a stall as an older writer wrote it; the reader sorts
            // it out.
            if (f.size() != 3 || !number(f[2], in.value) || in.value < in.period)
                return std::nullopt;
            return in;
        case Input::Kind::BoxClosed:
        case Input::Kind::LostKeyboard:
        case Input::Kind::End:
        case Input::Kind::Wait:
            if (f.size() != 2) return std::nullopt;
            return in;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Input> decode(std::string_view line) {
    return parse(line);
}

std::string encode(const Input& in) {
    std::string s = std::to_string(in.period) + " " + wordFor(in.kind);
    switch (in.kind) {
        case Input::Kind::KeyDown:
        case Input::Kind::KeyUp:
        case Input::Kind::Repeat:
            s += " " + in.form + " " + std::to_string(in.code);
            break;
        case Input::Kind::Click:
            s += " " + in.form + " " + in.element;
            break;
        case Input::Kind::Close:
            s += " " + in.form;
            break;
        case Input::Kind::Text:
            s += " " + in.form + " " + in.element + " =" + percentEncode(in.text);
            break;
        case Input::Kind::Focus:
            s += " " + in.form + " " + in.element;
            break;
        case Input::Kind::Skip:
            s += " " + std::to_string(in.value);
            break;
        case Input::Kind::BoxClosed:
        case Input::Kind::LostKeyboard:
        case Input::Kind::End:
        case Input::Kind::Wait:
            break;
    }
    return s;
}

std::string message(const std::string& file, const Error& error) {
    std::string m = file;
    if (error.line > 0) m.append(":").append(std::to_string(error.line));
    return m.append(": ").append(error.what);
}

Input Recording::operator[](std::size_t i) const {
    const Item& item = items_[i];
    Input in;
    in.period = item.period;
    in.kind = static_cast<Input::Kind>(item.kind);
    if (item.form) in.form = names_[item.form - 1];
    if (item.element) in.element = names_[item.element - 1];
    switch (in.kind) {
        case Input::Kind::KeyDown:
        case Input::Kind::KeyUp:
        case Input::Kind::Repeat:
            in.code = static_cast<int>(item.arg);
            break;
        case Input::Kind::Skip:
            in.value = item.arg;
            break;
        case Input::Kind::Text:
            in.text = texts_[item.arg];
            break;
        default:
            break;
    }
    return in;
}

std::uint16_t Recording::intern(const std::string& name) {
    if (name.empty()) return 0;
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i] == name) return static_cast<std::uint16_t>(i + 1);
    names_.push_back(name);
    return static_cast<std::uint16_t>(names_.size());
}

bool Recording::push_back(const Input& in) {
    if (in.period > kMaxPeriod || in.value > kMaxPeriod) return false;
    // The game has three windows and a dozen names between them; only a file that was never a
    // recording names thousands.
    if (names_.size() + 2 >= 0xFFFF) return false;
    Item item{};
    item.period = static_cast<std::uint32_t>(in.period);
    item.kind = static_cast<std::uint32_t>(in.kind);
    item.form = intern(in.form);
    item.element = intern(in.element);
    switch (in.kind) {
        case Input::Kind::KeyDown:
        case Input::Kind::KeyUp:
        case Input::Kind::Repeat:
            item.arg = static_cast<std::uint32_t>(in.code);
            break;
        case Input::Kind::Skip:
            item.arg = static_cast<std::uint32_t>(in.value);
            break;
        case Input::Kind::Text:
            item.arg = static_cast<std::uint32_t>(texts_.size());
            texts_.push_back(in.text);
            break;
        default:
            break;
    }
    items_.push_back(item);
    return true;
}

std::vector<Input> Recording::inputs() const {
    std::vector<Input> all;
    all.reserve(size());
    for (std::size_t i = 0; i < size(); ++i) all.push_back((*this)[i]);
    return all;
}

std::size_t Recording::bytes() const {
    std::size_t n = items_.capacity() * sizeof(Item);
    for (const auto& t : texts_) n += sizeof(std::string) + t.capacity();
    for (const auto& t : names_) n += sizeof(std::string) + t.capacity();
    return n;
}

namespace {

// The window or element an input names that the game lacks, if any.
std::optional<std::string> lacking(const Input& in, const std::vector<Form*>& forms) {
    if (in.form.empty()) return std::nullopt;
    const Form* form = formNamed(forms, in.form);
    if (!form) return "there is no window " + in.form + " in the game";
    if (in.element.empty()) return std::nullopt;
    const Element* e = form->find(in.element);
    const bool fits = e && ((in.kind == Input::Kind::Click && e->kind() == ElementKind::Button) ||
                            (in.kind == Input::Kind::Text && e->kind() == ElementKind::TextBox) ||
                            (in.kind == Input::Kind::Focus && dynamic_cast<const Focusable*>(e)));
    if (fits) return std::nullopt;
    return "there is no " + std::string(in.kind == Input::Kind::Text ? "text box" : "button") +
           " " + in.element + " on " + in.form;
}

}  // namespace

ReadResult read(std::istream& in, const std::vector<Form*>* forms, std::size_t expectedInputs) {
    ReadResult result;
    result.inputs.reserve(expectedInputs);
    auto fail = [&](int line, std::string what) {
        result.inputs = Recording{};
        result.warning.reset();
        result.error = Error{line, std::move(what)};
        return std::move(result);
    };
    std::string line;
    int number = 0;
    std::uint64_t bytes = 0;
    bool header = false;
    bool languageNamed = false;
    bool betweenInputsAtLast = false;  // the line before was not a repeat
    std::uint64_t now = 0;             // the period the run has reached, skips included
    int oldStalls = 0;
    // Read in blocks, not a character at a time: a long run has millions of lines.
    std::vector<char> block(1 << 16);
    std::size_t at = 0, end = 0;
    while (true) {
        line.clear();
        bool newline = false;
        while (!newline) {
            if (at == end) {
                in.read(block.data(), static_cast<std::streamsize>(block.size()));
                at = 0;
                end = static_cast<std::size_t>(in.gcount());
                if (end == 0) break;
                bytes += end;
                if (bytes > kMaxFileBytes)
                    return fail(0, "larger than any recorded run (" +
                                       std::to_string(kMaxFileBytes >> 20) + " MB); not read");
            }
            const char* from = block.data() + at;
            const auto* nl = static_cast<const char*>(std::memchr(from, '\n', end - at));
            const std::size_t n = nl ? static_cast<std::size_t>(nl - from) : end - at;
            if (line.size() + n > kMaxLine) return fail(number + 1, "the line is too long");
            line.append(from, n);
            at += n;
            if (nl) {
                ++at;
                newline = true;
            }
        }
        if (!newline && line.empty()) break;
        ++number;
        if (!newline) return fail(number, "the file ends in the middle of a line (truncated?)");
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!header) {
            const auto f = fields(line);
            int version = 0;
            if (f.size() != 2 || f[0] != kMagic || !skyvane::replay::number(f[1], version))
                return fail(number, "not a Skyvane replay (it must start with \"" +
                                        std::string(kMagic) + " " + std::to_string(kVersion) +
                                        "\")");
            if (version != kVersion)
                return fail(number, "replay version " + std::to_string(version) +
                                        " is not supported (this game reads version " +
                                        std::to_string(kVersion) + ")");
            header = true;
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        if (line.rfind(std::string(kLanguage) + " ", 0) == 0) {
            const auto f = fields(line);
            const bool name =
                f.size() == 2 && f[1].size() >= 2 && f[1].size() <= 8 &&
                std::all_of(f[1].begin(), f[1].end(), [](char c) {
                    return (c >= 'a' && c <= 'z') || c == '_' || (c >= 'A' && c <= 'Z');
                });
            if (!name) return fail(number, "not a language: \"" + shown(line) + "\"");
            if (!result.inputs.empty())
                return fail(number, "the language is named after the run began");
            if (languageNamed) return fail(number, "the language is named twice");
            languageNamed = true;
            result.inputs.setLanguage(std::string(f[1]));
            continue;
        }
        if (line.rfind(std::string(kGuide) + " ", 0) == 0) {
            if (line != std::string(kGuide) + " on")
                return fail(number, "cannot read this input: \"" + shown(line) + "\"");
            if (!result.inputs.empty())
                return fail(number, "the guide is asked for after the run began");
            if (result.inputs.guided()) return fail(number, "the guide is asked for twice");
            result.inputs.setGuided(true);
            continue;
        }
        auto input = parse(line);
        if (!input) return fail(number, "cannot read this input: \"" + shown(line) + "\"");
        if (input->period > kMaxPeriod || input->value > kMaxPeriod)
            return fail(number, "the run goes on for more than a week of play");
        if (input->period < now)
            return fail(number, "period " + std::to_string(input->period) +
                                    " comes after the run reached period " + std::to_string(now));
        if (input->kind == Input::Kind::Repeat && !result.inputs.empty() &&
            input->period == result.inputs.period(result.inputs.size() - 1) && betweenInputsAtLast)
            return fail(number, "a repeat comes after other inputs of its period");
        if (input->kind == Input::Kind::Skip && input->value == input->period) {
            // Skyvane 1.0 wrote a stall at the period it ended, losing where it began. The
            // shortest stall that fits is one period passed over.
            if (input->period == 0 || input->period - 1 < now)
                return fail(number,
                            "a stall recorded without the period it began at (by "
                            "Skyvane 1.0) that no stall fits; this run cannot be "
                            "replayed");
            --input->period;
            if (++oldStalls == 1) result.warning = Error{number, ""};
        }
        if (forms)
            if (auto why = lacking(*input, *forms)) return fail(number, std::move(*why));
        betweenInputsAtLast = input->kind != Input::Kind::Repeat;
        now = input->kind == Input::Kind::Skip ? input->value : input->period;
        if (!result.inputs.push_back(*input))
            return fail(number, "too many different windows and elements for a recorded run");
    }
    if (!header) return fail(0, "the file is empty");
    if (oldStalls > 0)
        result.warning->what =
            std::to_string(oldStalls) + (oldStalls == 1 ? " stall was" : " stalls were") +
            " recorded by Skyvane 1.0 without the period it began at; each is replayed as a "
            "stall of one period, so the run may end differently from the one recorded";
    return result;
}

std::uint64_t Recording::lastPeriod() const {
    if (items_.empty()) return 0;
    const Item& last = items_.back();
    return static_cast<Input::Kind>(last.kind) == Input::Kind::Skip ? last.arg : last.period;
}

ReadResult readBytes(std::string_view bytes, const std::vector<Form*>* forms) {
    if (bytes.size() > kMaxFileBytes) {
        ReadResult result;
        result.error = Error{0, "is " + std::to_string(bytes.size() >> 20) +
                                    " MB, larger than any recorded run (" +
                                    std::to_string(kMaxFileBytes >> 20) + " MB); not read"};
        return result;
    }
    std::istringstream in{std::string(bytes)};
    return read(in, forms, static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
}

namespace {

#if SKYVANE_POSIX_FILES
// A file's bytes through a descriptor opened not to block: a file that has none to give now
// (the kernel's log looks like a regular file and waits for news) ends the stream, and says so.
class NonBlockingFile : public std::streambuf {
  public:
    explicit NonBlockingFile(int fd) : fd_(fd) {}
    bool wouldBlock() const { return wouldBlock_; }
    int error() const { return error_; }
    bool rewind() {
        setg(nullptr, nullptr, nullptr);
        return ::lseek(fd_, 0, SEEK_SET) == 0;
    }

  protected:
    int_type underflow() override {
        while (true) {
            const auto n = ::read(fd_, buf_, sizeof buf_);
            if (n > 0) {
                setg(buf_, buf_, buf_ + n);
                return traits_type::to_int_type(buf_[0]);
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) wouldBlock_ = true;
            if (n < 0 && !wouldBlock_) error_ = errno;
            return traits_type::eof();
        }
    }

  private:
    int fd_;
    char buf_[1 << 16];
    bool wouldBlock_ = false;
    int error_ = 0;
};
#endif

}  // namespace

ReadResult readFile(const std::string& path, const std::vector<Form*>* forms) {
    namespace fs = std::filesystem;
    ReadResult result;
    auto fail = [&](std::string what) {
        result.error = Error{0, std::move(what)};
        return result;
    };
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec) return fail("cannot open the replay: " + ec.message());
    if (fs::is_directory(status)) return fail("is a directory, not a replay");
    if (!fs::is_regular_file(status))
        return fail("is not a regular file (a pipe or a device?); a replay is read from a file");
    const auto size = fs::file_size(path, ec);
    if (!ec && size > kMaxFileBytes)
        return fail("is " + std::to_string(size >> 20) + " MB, larger than any recorded run (" +
                    std::to_string(kMaxFileBytes >> 20) + " MB); not read");
#if SKYVANE_POSIX_FILES
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(std::string("cannot open the replay: ") + std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // Looked at again through the descriptor: the name may have changed what it points at.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return fail("is not a regular file (a pipe or a device?); a replay is read from a file");
    NonBlockingFile file(fd);
    std::istream in(&file);
    // One input a line: counting them first lets the recording take just the room it needs.
    std::size_t lines = 0;
    std::uint64_t bytes = 0;
    char buf[1 << 16];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        lines += static_cast<std::size_t>(std::count(buf, buf + in.gcount(), '\n'));
        bytes += static_cast<std::uint64_t>(in.gcount());
        if (bytes > kMaxFileBytes || in.eof()) break;
    }
    auto refused = [&]() -> std::optional<std::string> {
        if (file.wouldBlock())
            return "gives no bytes without waiting for them (is it a file at all?); not read";
        if (file.error())
            return std::string("cannot read the replay: ") + std::strerror(file.error());
        return std::nullopt;
    };
    if (auto why = refused()) return fail(std::move(*why));
    in.clear();
    if (!file.rewind()) return fail(std::string("cannot read the replay: ") + std::strerror(errno));
    result = read(in, forms, lines);
    if (auto why = refused()) {
        result = ReadResult{};
        return fail(std::move(*why));
    }
    return result;
#else
    std::ifstream in(path, std::ios::binary);
    if (!in) return fail(std::string("cannot open the replay: ") + std::strerror(errno));
    return read(in, forms);
#endif
}

}  // namespace skyvane::replay

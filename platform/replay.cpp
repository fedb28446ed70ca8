#include "platform/replay.h"

#include <cctype>
#include <charconv>

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

constexpr std::size_t kMaxLine = 16u << 20;
constexpr char kHex[] = "0123456789ABCDEF";

// Printable ASCII stands as it is; every other byte, the space and '%' as %XX, so any text, even
// bytes that are not UTF-8, fits on one line and comes back byte for byte.
std::string percentEncode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c > 0x20 && c < 0x7F && c != '%') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '%') {
            if (i + 2 >= s.size()) return std::nullopt;
            const int hi = hexValue(s[i + 1]), lo = hexValue(s[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (c > 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

bool isName(std::string_view s) {
    if (s.empty() || s.size() > 64) return false;
    for (const char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

template <class T>
bool number(std::string_view s, T& out) {
    if (s.empty() || s.size() > 19) return false;
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
            if (f.size() != 3 || !number(f[2], in.value) || in.value <= in.period)
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

ReadResult read(std::istream& in) {
    ReadResult result;
    auto fail = [&](int line, std::string what) {
        result.inputs.clear();
        result.lines.clear();
        result.error = Error{line, std::move(what)};
        return result;
    };
    std::string line;
    int number = 0;
    bool header = false;
    bool betweenInputsAtLast = false;  // the line before was not a repeat
    while (true) {
        line.clear();
        char c;
        bool newline = false;
        while (in.get(c)) {
            if (c == '\n') {
                newline = true;
                break;
            }
            if (line.size() >= kMaxLine) return fail(number + 1, "the line is too long");
            line += c;
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
        auto input = parse(line);
        if (!input) return fail(number, "cannot read this input: \"" + shown(line) + "\"");
        if (input->period > kMaxPeriod || input->value > kMaxPeriod)
            return fail(number, "the run goes on for more than a week of play");
        if (!result.inputs.empty()) {
            const auto before = result.inputs.back().period;
            if (input->period < before)
                return fail(number, "period " + std::to_string(input->period) +
                                        " comes after period " + std::to_string(before));
            if (input->kind == Input::Kind::Repeat && input->period == before &&
                betweenInputsAtLast)
                return fail(number, "a repeat comes after other inputs of its period");
        }
        betweenInputsAtLast = input->kind != Input::Kind::Repeat;
        result.inputs.push_back(std::move(*input));
        result.lines.push_back(number);
    }
    if (!header) return fail(0, "the file is empty");
    return result;
}

std::optional<Error> validate(const ReadResult& replay, const std::vector<Form*>& forms) {
    for (std::size_t i = 0; i < replay.inputs.size(); ++i) {
        const Input& in = replay.inputs[i];
        const int line = i < replay.lines.size() ? replay.lines[i] : 0;
        if (in.form.empty()) continue;
        const Form* form = formNamed(forms, in.form);
        if (!form) return Error{line, "there is no window " + in.form + " in the game"};
        if (in.element.empty()) continue;
        const Element* e = form->find(in.element);
        const bool fits =
            e && ((in.kind == Input::Kind::Click && e->kind() == ElementKind::Button) ||
                  (in.kind == Input::Kind::Text && e->kind() == ElementKind::TextBox) ||
                  (in.kind == Input::Kind::Focus && dynamic_cast<const Focusable*>(e)));
        if (!fits)
            return Error{
                line, "there is no " +
                          std::string(in.kind == Input::Kind::Text ? "text box" : "button") + " " +
                          in.element + " on " + in.form};
    }
    return std::nullopt;
}

Writer::Writer(std::FILE* file) : file_(file) {
    if (!file_ || std::fprintf(file_, "%s %d\n", kMagic, kVersion) < 0 || std::fflush(file_) != 0)
        failed_ = true;
}

Writer::~Writer() {
    if (file_) std::fclose(file_);
}

void Writer::input(const Input& input) {
    if (!file_ || failed_) return;
    const std::string line = encode(input) + "\n";
    // Flushed at once: a run that dies still leaves every input up to that moment.
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0)
        failed_ = true;
}

Replayer::Replayer(DesktopBase& desktop, std::vector<Form*> forms, std::vector<Input> inputs)
    : desktop_(desktop), forms_(std::move(forms)), inputs_(std::move(inputs)) {
    desktop_.lockOutPlayer(true);
    desktop_.setAutoRepeat(false);
    desktop_.periodStart = [this] { periodStart(); };
}

Replayer::~Replayer() {
    desktop_.beforePeriod = nullptr;
    desktop_.periodStart = nullptr;
    desktop_.setAutoRepeat(true);
    desktop_.lockOutPlayer(false);
}

void Replayer::attach() {
    desktop_.beforePeriod = [this] { return beforePeriod(); };
}

void Replayer::applyNext() {
    const Input in = inputs_[next_++];
    desktop_.apply(in, forms_);
    if (finished() && onFinished) {
        auto done = std::move(onFinished);
        onFinished = nullptr;
        done();
    }
}

bool Replayer::beforePeriod() {
    while (!finished() && !desktop_.ended()) {
        const Input& in = inputs_[next_];
        if (in.kind == Input::Kind::Repeat) {
            if (in.period > desktop_.period()) return true;  // its period has not started
            ++next_;
            continue;
        }
        if (in.period > desktop_.period()) return true;
        const bool closesBox = in.kind == Input::Kind::BoxClosed && desktop_.modal();
        applyNext();
        // The handler behind the box goes on before the grid does.
        if (closesBox) return false;
    }
    return !desktop_.ended();
}

void Replayer::periodStart() {
    while (!finished() && inputs_[next_].kind == Input::Kind::Repeat &&
           inputs_[next_].period == desktop_.period())
        applyNext();
}

}  // namespace skyvane::replay

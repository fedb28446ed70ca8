// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "replay/trace_log.h"

#include <charconv>
#include <cstring>

#include "platform/form.h"

namespace skyvane {

TraceLog::TraceLog(LineSink sink, Sound* sound) : sink_(std::move(sink)), sound_(sound) {}

TraceLog::TraceLog(TraceHash& hash, Sound* sound) : hash_(&hash), sound_(sound) {}

// Each line is built in one buffer that keeps its room: a run writes tens of thousands.
void TraceLog::start() {
    line_.clear();
    number(desktop_ ? static_cast<std::int64_t>(desktop_->period()) : 0);
}

void TraceLog::word(std::string_view text, char before) {
    if (hash_) {
        hash_->text(text);
        return;
    }
    line_ += before;
    // One event a line, whatever a name holds.
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c != '\\') {
            line_ += ch;
        } else {
            line_ += "\\x";
            line_ += kHex[c >> 4];
            line_ += kHex[c & 15];
        }
    }
}

void TraceLog::number(std::int64_t n) {
    if (hash_) {
        hash_->number(n);
        return;
    }
    if (!line_.empty()) line_ += ' ';
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
    (void)ec;
    line_.append(buf, end);
}

void TraceLog::finish() {
    if (hash_) {
        hash_->endLine();
    } else if (sink_) {
        sink_(line_);
    }
}

void TraceLog::handlerCalled(const Form& form, std::string_view element, std::string_view event,
                             int code) {
    start();
    word(form.design().name);
    word(element);
    word(event, '_');
    if (code) number(code);
    finish();
}

void TraceLog::elementChanged(Element& e, Property p) {
    start();
    word(e.form().design().name);
    word(e.name(), '.');
    switch (p) {
        case Property::Left:
            number(static_cast<Control&>(e).left());
            break;
        case Property::Top:
            number(static_cast<Control&>(e).top());
            break;
        case Property::Visible:
            word(static_cast<Control&>(e).visible() ? "shown" : "hidden");
            break;
        case Property::Picture:
            word(static_cast<Image&>(e).picture().resource());
            break;
        case Property::Caption:
            word(static_cast<Label&>(e).caption());
            break;
        case Property::Text:
            word(static_cast<TextBox&>(e).text());
            break;
        case Property::ForeColour:
            word("fore");
            number(static_cast<Label&>(e).foreColour());
            break;
        case Property::BackColour:
            word("back");
            number(static_cast<Label&>(e).backColour());
            break;
        case Property::FillColour:
            word("fill");
            number(static_cast<Shape&>(e).fillColour());
            break;
        case Property::Interval:
            word("every");
            number(static_cast<Timer&>(e).interval());
            break;
        case Property::Enabled:
            word(static_cast<Timer&>(e).enabled() ? "on" : "off");
            break;
        case Property::Focus:
            word("focus");
            break;
    }
    finish();
}

void TraceLog::formChanged(Form& f, Property p) {
    start();
    word(f.design().name);
    if (p == Property::Caption) {
        word("caption");
        word(f.caption());
    } else {
        word("focus");
        word(f.focus() ? f.focus()->name() : "-");
    }
    finish();
}

void TraceLog::play(const char* name, unsigned flags) {
    start();
    word("sound");
    word(name ? name : "-");
    number(flags);
    finish();
    if (sound_) sound_->play(name, flags);
}

void TraceLog::guide(const Guide& g) {
    start();
    word("guide");
    for (const int n : {g.flying ? 1 : 0, g.height, g.tickEvery, g.rising ? 1 : 0,
                        g.warning ? 1 : 0, g.pan, g.depth, g.inZone ? 1 : 0})
        number(n);
    finish();
    if (sound_) sound_->guide(g);
}

void TraceHash::text(std::string_view bytes) {
    // Eight bytes at a time, then the rest with its length, so "ab" "c" differs from "a" "bc".
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        mix(word);
    }
    std::uint64_t rest = bytes.size();
    for (; i < bytes.size(); ++i) rest = (rest << 8) | static_cast<unsigned char>(bytes[i]);
    mix(rest ^ (static_cast<std::uint64_t>(bytes.size()) << 56));
}

}  // namespace skyvane

#include "platform/trace_log.h"

#include "platform/form.h"

namespace skyvane {

TraceLog::TraceLog(LineSink sink, Sound* sound) : sink_(std::move(sink)), sound_(sound) {}

void TraceLog::add(std::string_view what) {
    line_ = std::to_string(desktop_ ? desktop_->period() : 0);
    line_ += ' ';
    // One event a line, whatever a name holds.
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : what) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c != '\\') {
            line_ += ch;
        } else {
            line_ += "\\x";
            line_ += kHex[c >> 4];
            line_ += kHex[c & 15];
        }
    }
    if (sink_) sink_(line_);
}

void TraceLog::handlerCalled(const Form& form, std::string_view element, std::string_view event,
                             int code) {
    std::string s = form.design().name + " " + std::string(element) + "_" + std::string(event);
    if (code) s += " " + std::to_string(code);
    add(s);
}

void TraceLog::elementChanged(Element& e, Property p) {
    std::string value;
    switch (p) {
        case Property::Left:
            value = std::to_string(static_cast<Control&>(e).left());
            break;
        case Property::Top:
            value = std::to_string(static_cast<Control&>(e).top());
            break;
        case Property::Visible:
            value = static_cast<Control&>(e).visible() ? "shown" : "hidden";
            break;
        case Property::Picture:
            value = static_cast<Image&>(e).picture().resource();
            break;
        case Property::Caption:
            value = static_cast<Label&>(e).caption();
            break;
        case Property::Text:
            value = static_cast<TextBox&>(e).text();
            break;
        case Property::ForeColour:
            value = "fore " + std::to_string(static_cast<Label&>(e).foreColour());
            break;
        case Property::BackColour:
            value = "back " + std::to_string(static_cast<Label&>(e).backColour());
            break;
        case Property::FillColour:
            value = "fill " + std::to_string(static_cast<Shape&>(e).fillColour());
            break;
        case Property::Interval:
            value = "every " + std::to_string(static_cast<Timer&>(e).interval());
            break;
        case Property::Enabled:
            value = static_cast<Timer&>(e).enabled() ? "on" : "off";
            break;
        case Property::Focus:
            value = "focus";
            break;
    }
    add(e.form().design().name + "." + e.name() + " " + value);
}

void TraceLog::formChanged(Form& f, Property p) {
    if (p == Property::Caption) {
        add(f.design().name + " caption " + f.caption());
    } else {
        add(f.design().name + " focus " + (f.focus() ? f.focus()->name() : "-"));
    }
}

void TraceLog::play(const char* name, unsigned flags) {
    add(std::string("sound ") + (name ? name : "-") + " " + std::to_string(flags));
    if (sound_) sound_->play(name, flags);
}

void TraceHash::add(std::string_view line) {
    for (const char c : line) {
        hash_ ^= static_cast<unsigned char>(c);
        hash_ *= 1099511628211ull;
    }
    hash_ ^= '\n';
    hash_ *= 1099511628211ull;
    ++lines_;
}

}  // namespace skyvane

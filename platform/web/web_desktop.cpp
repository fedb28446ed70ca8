// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/web/web_desktop.h"

#include <emscripten.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "platform/geometry.h"
#include "platform/keys.h"
#include "platform/reading.h"
#include "platform/text_codec.h"
#include "platform/web/dom_keys.h"
#include "platform/web/page.h"

namespace skyvane::web {

namespace {

std::string cssColour(Colour c) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string s = "#";
    for (const int shift : {0, 8, 16}) {
        const auto byte = (c >> shift) & 0xFF;
        s += kHex[byte >> 4];
        s += kHex[byte & 15];
    }
    return s;
}

// The pictures are compiled in as ":/pictures/name.xpm"; the page serves them as PNG files.
std::string pictureUrl(const std::string& resource) {
    if (resource.empty()) return {};
    std::string path = resource.rfind(":/", 0) == 0 ? resource.substr(2) : resource;
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && path.substr(dot) == ".xpm") path = path.substr(0, dot) + ".png";
    return path;
}

// A little JSON, enough for a window's description.
class Json {
  public:
    Json& key(const char* k) {
        comma();
        quoted(k);
        out_ += ':';
        fresh_ = true;
        return *this;
    }
    Json& str(const std::string& s) {
        comma();
        quoted(s);
        return *this;
    }
    Json& num(double n) {
        comma();
        // Most are whole numbers: written without printf, which would be compiled for them.
        char digits[24];
        if (n == std::trunc(n) && std::abs(n) < 1e15) {
            const auto end =
                std::to_chars(digits, digits + sizeof digits, static_cast<long long>(n)).ptr;
            out_.append(digits, end);
        } else {
            out_ += std::to_string(n);
        }
        return *this;
    }
    Json& boolean(bool b) {
        comma();
        out_ += b ? "true" : "false";
        return *this;
    }
    Json& open(char c) {
        comma();
        out_ += c;
        fresh_ = true;
        return *this;
    }
    Json& close(char c) {
        out_ += c;
        fresh_ = false;
        return *this;
    }
    const std::string& text() const { return out_; }

  private:
    void comma() {
        if (!fresh_) out_ += ',';
        fresh_ = false;
    }
    void quoted(const std::string& s) {
        static constexpr char kHex[] = "0123456789abcdef";
        out_ += '"';
        for (const char ch : s) {
            const auto c = static_cast<unsigned char>(ch);
            if (c == '"' || c == '\\') {
                out_ += '\\';
                out_ += ch;
            } else if (c < 0x20) {
                out_ += "\\u00";
                out_ += kHex[c >> 4];
                out_ += kHex[c & 15];
            } else {
                out_ += ch;
            }
        }
        out_ += '"';
    }
    std::string out_;
    bool fresh_ = true;
};

const char* kindName(ElementKind kind) {
    switch (kind) {
        case ElementKind::Label:
            return "label";
        case ElementKind::Image:
            return "image";
        case ElementKind::Shape:
            return "shape";
        case ElementKind::Frame:
            return "frame";
        case ElementKind::Button:
            return "button";
        case ElementKind::TextBox:
            return "textbox";
        case ElementKind::Timer:
            return "timer";
    }
    return "";
}

void fontOf(Json& j, const FontDesign& font) {
    j.key("font").open('{');
    j.key("families").open('[');
    for (const auto& family : geometry::familiesFor(font.face)) j.str(family);
    j.close(']');
    j.key("px").num(geometry::fontPixels(font));
    j.key("bold").boolean(font.bold);
    // The window's default font at its small size is drawn crisp, without smoothing.
    j.key("crisp").boolean(font.face.empty());
    j.close('}');
}

const char* readingName(Reading r) {
    switch (r) {
        case Reading::Own:
            return "own";
        case Reading::Live:
            return "live";
        case Reading::Readout:
            return "readout";
        case Reading::Named:
            return "named";
        case Reading::Hidden:
            return "hidden";
    }
    return "own";
}

// The window as the page builds it: every element with its place in pixels and its look.
std::string describe(const Form& form, bool still) {
    const auto& d = form.design();
    Json j;
    j.open('{');
    j.key("caption").str(form.caption());
    j.key("width").num(geometry::px(d.clientWidth));
    j.key("height").num(geometry::px(d.clientHeight));
    j.key("background").str(cssColour(d.background));
    j.key("fixed").boolean(d.border == BorderStyle::FixedSingle);
    j.key("minButton").boolean(d.minButton);
    j.key("maxButton").boolean(d.maxButton);
    j.key("icon").str(pictureUrl(d.icon));
    j.key("elements").open('[');
    int index = 0;
    // Where each element stands in the order a reader reads its container.
    std::unordered_map<const Element*, int> readAt;
    for (const auto& e : form.elements())
        if (e->kind() == ElementKind::Frame || e->design().container.empty())
            for (const auto* read :
                 readingOrder(form, e->kind() == ElementKind::Frame ? e->name() : ""))
                readAt.emplace(read, static_cast<int>(readAt.size()));
    for (const auto& e : form.elements()) {
        const auto& s = e->design();
        j.open('{');
        j.key("name").str(s.name);
        j.key("kind").str(kindName(s.kind));
        j.key("reading").str(readingName(s.reading));
        const auto spoken = spokenOf(*e);
        j.key("spoken").str(spoken.hidden ? "" : spoken.name);
        j.key("readAt").num(readAt.count(e.get()) ? readAt[e.get()] : 0);
        j.key("describedBy").str(s.describedBy);
        j.key("container").str(s.container);
        j.key("index").num(index++);
        if (auto* c = dynamic_cast<const Control*>(e.get())) {
            const auto r = geometry::rect(c->left(), c->top(), s.width, s.height);
            j.key("x").num(r.x).key("y").num(r.y).key("w").num(r.width).key("h").num(r.height);
            j.key("visible").boolean(c->visible());
        }
        switch (s.kind) {
            case ElementKind::Label: {
                const auto& l = static_cast<const Label&>(*e);
                j.key("caption").str(l.caption());
                j.key("fore").str(
                    cssColour(still && s.still == Still::Colour ? s.stillColour : l.foreColour()));
                j.key("back").str(cssColour(l.backColour()));
                j.key("opaque").boolean(s.label.opaque);
                j.key("border").boolean(s.label.border);
                j.key("align").str(s.label.align == Align::Left    ? "left"
                                   : s.label.align == Align::Right ? "right"
                                                                   : "center");
                fontOf(j, s.label.font);
                break;
            }
            case ElementKind::Image:
                j.key("picture").str(
                    pictureUrl(static_cast<const Image&>(*e).picture().resource()));
                j.key("stretch").boolean(s.stretch);
                break;
            case ElementKind::Shape: {
                const auto& sh = s.shape;
                j.key("shape").str(sh.kind == ShapeKind::Rectangle          ? "rectangle"
                                   : sh.kind == ShapeKind::RoundedRectangle ? "rounded"
                                                                            : "circle");
                j.key("fillStyle")
                    .str(sh.fill == Fill::Transparent ? "transparent"
                         : sh.fill == Fill::Opaque    ? "opaque"
                                                      : "solid");
                j.key("back").str(cssColour(sh.back));
                j.key("fill").str(cssColour(static_cast<const Shape&>(*e).fillColour()));
                j.key("borderColour").str(cssColour(sh.border));
                j.key("borderWidth").num(sh.borderWidth);
                break;
            }
            case ElementKind::Frame:
                j.key("back").str(cssColour(s.background));
                break;
            case ElementKind::Button:
                j.key("caption").str(static_cast<const Button&>(*e).caption());
                j.key("tab").num(s.tabIndex);
                fontOf(j, {});
                break;
            case ElementKind::TextBox:
                j.key("text").str(static_cast<const TextBox&>(*e).text());
                j.key("tab").num(s.tabIndex);
                fontOf(j, {});
                break;
            case ElementKind::Timer:
                break;
        }
        j.close('}');
    }
    j.close(']');
    j.close('}');
    return j.text();
}

std::int64_t clockNs() {
    return static_cast<std::int64_t>(std::llround(sv_now() * 1e6));
}

}  // namespace

// Mirrors one form in the page: every change the logic makes is handed over as it happens.
class PageWindow : public FormObserver {
  public:
    explicit PageWindow(Form& form)
        : form_(form), name_(form.design().name), still_(sv_reduced_motion() != 0) {
        sv_open_window(name_.c_str(), describe(form, still_).c_str());
        form.setObserver(this);
    }
    ~PageWindow() override {
        form_.setObserver(nullptr);
        sv_close_window(name_.c_str());
    }
    PageWindow(const PageWindow&) = delete;
    PageWindow& operator=(const PageWindow&) = delete;

    void elementChanged(Element& e, Property p) override {
        // Held still for a player who asks for no motion: a colour the blink would change, and
        // the blank phase of a blinking text, which shows its words from one period to the next.
        if (still_ && e.design().still == Still::Colour && p == Property::ForeColour) return;
        if (still_ && e.design().still == Still::Words &&
            (p == Property::Caption || p == Property::ForeColour || p == Property::BackColour)) {
            waiting_.insert(&static_cast<Label&>(e));
            return;
        }
        set(e, p);
    }
    void formChanged(Form&, Property p) override {
        if (p == Property::Caption)
            sv_set_caption(name_.c_str(), form_.caption().data(), form_.caption().size());
        if (p == Property::Focus) applyFocus();
    }
    void applyFocus() {
        sv_set_focus(name_.c_str(), form_.focus() ? form_.focus()->name().c_str() : "");
    }
    // After an edit the desktop refused, the page shows the model's text again.
    void showText(const TextBox& box) {
        sv_set(name_.c_str(), box.name().c_str(), "text", box.text().data(), box.text().size());
    }
    // At the end of a period: a text held still shows as it stands, unless it stands blank.
    void showWaiting() {
        for (auto* label : waiting_)
            if (!label->caption().empty())
                for (const auto p : {Property::ForeColour, Property::BackColour, Property::Caption})
                    set(*label, p);
        waiting_.clear();
    }
    void tell(const Element& e, const std::string& words) {
        sv_set(name_.c_str(), e.name().c_str(), "spoken", words.data(), words.size());
    }

  private:
    void set(Element& e, Property p) {
        auto set = [&](const char* property, const std::string& value) {
            sv_set(name_.c_str(), e.name().c_str(), property, value.data(), value.size());
        };
        switch (p) {
            case Property::Left:
            case Property::Top: {
                const auto& c = static_cast<Control&>(e);
                const auto r =
                    geometry::rect(c.left(), c.top(), e.design().width, e.design().height);
                // The game sets its sprites' places on every tick, mostly to where they stand:
                // only a move crosses into the page.
                const int at = p == Property::Left ? r.x : r.y;
                auto& sent = placed_[&e][p == Property::Left ? 0 : 1];
                if (sent == at) break;
                sent = at;
                set(p == Property::Left ? "left" : "top", std::to_string(at));
                break;
            }
            case Property::Visible:
                set("visible", static_cast<Control&>(e).visible() ? "1" : "0");
                break;
            case Property::Picture:
                set("picture", pictureUrl(static_cast<Image&>(e).picture().resource()));
                break;
            case Property::Caption:
                set("caption", static_cast<Label&>(e).caption());
                break;
            case Property::Text:
                set("text", static_cast<TextBox&>(e).text());
                break;
            case Property::ForeColour:
                set("fore", cssColour(static_cast<Label&>(e).foreColour()));
                break;
            case Property::BackColour:
                set("back", cssColour(static_cast<Label&>(e).backColour()));
                break;
            case Property::FillColour:
                set("fill", cssColour(static_cast<Shape&>(e).fillColour()));
                break;
            case Property::Interval:
            case Property::Enabled:
            case Property::Focus:
                break;
        }
    }

    Form& form_;
    std::string name_;
    bool still_;
    std::unordered_set<Label*> waiting_;
    std::unordered_map<const Element*, std::array<std::optional<int>, 2>> placed_;
};

WebDesktop::WebDesktop() {
    pacer_.setOrigin(clockNs());
    // A page cannot know whether a screen reader reads it: it is always told, and the keys that
    // ask the game how high and how fast are always questions.
    setListened(true);
    setReaderKeys(true);
}

WebDesktop::~WebDesktop() {
    windows_.clear();
}

Form* WebDesktop::form(std::string_view name) const {
    return formNamed(forms_, name);
}

PageWindow* WebDesktop::windowFor(const Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.get();
}

void WebDesktop::attach(Form& form) {
    windows_[&form] = std::make_unique<PageWindow>(form);
}

void WebDesktop::detach(Form& form) {
    windows_.erase(&form);
}

void WebDesktop::present(Form& form, bool visible) {
    sv_show_window(form.design().name.c_str(), visible ? 1 : 0);
    if (visible)
        if (auto* w = windowFor(form)) w->applyFocus();
}

void WebDesktop::runMessageBox(const std::string& text, int style, const std::string& title) {
    (void)style;  // the game only asks for the information box with one OK button
    sv_box_open(text.data(), text.size(), title.data(), title.size());
    boxOpen_ = true;
    // The page goes on, the grid too, until the box is closed: by the player, by a replay, or
    // by the end of the program.
    while (boxOpen_ && !ended()) step();
    boxOpen_ = false;
    sv_box_close();
}

void WebDesktop::closeMessageBox() {
    boxOpen_ = false;
}

void WebDesktop::quit() {
    sv_ended();
}

void WebDesktop::say(Form& form, const std::string& words) {
    sv_say(form.design().name.c_str(), words.data(), words.size());
}

void WebDesktop::endPeriod() {
    for (auto& [form, window] : windows_) window->showWaiting();
    // Half a second is the reader's, whatever the pace of a replay.
    for (const auto& notice : takeNews(static_cast<std::uint64_t>(sv_now() * 64 / 1000))) {
        auto* window = windowFor(notice.element->form());
        if (!window) continue;
        if (notice.kind == Notice::Kind::Renamed) {
            window->tell(*notice.element, notice.words);
        } else if (!notice.withFocus) {
            // Said with the focus, by the button the words describe.
            say(notice.element->form(), notice.words);
        }
    }
}

void WebDesktop::setSpeed(double speed) {
    pacer_.setSpeed(speed, clockNs(), period());
}

void WebDesktop::run() {
    while (!ended()) step();
}

void WebDesktop::step() {
    takeEvents();
    // A hidden page holds the game, sound or no sound: no period runs until it shows again, and
    // the periods it was away are then passed over as a stall (a replay goes on from where it
    // stood).
    if (sv_hidden()) {
        emscripten_sleep(50);
        return;
    }
    const unsigned waitMs = runDuePeriods();
    if (ended()) return;
    emscripten_sleep(waitMs);
}

unsigned WebDesktop::runDuePeriods() {
    // A replay watched fast runs several periods between two turns of the page; a few dozen at
    // most, so that the page is drawn and answers in between.
    for (int n = 0; n < 64 && !ended(); ++n) {
        if (!pacer_.catchUp(*this, clockNs())) break;
        const auto before = period();
        runPeriod();
        endPeriod();
        if (period() == before) break;
    }
    const double waitMs = static_cast<double>(pacer_.nextDeadlineNs() - clockNs()) / 1e6;
    return static_cast<unsigned>(std::max(0.0, std::ceil(waitMs)));
}

void WebDesktop::takeEvents() {
    while (!ended()) {
        char* event = sv_next_event();
        if (!event) return;
        const std::string text = event;
        std::free(event);
        handle(text);
    }
}

void WebDesktop::handle(std::string_view event) {
    std::vector<std::string_view> words;
    for (std::size_t at = 0; at <= event.size();) {
        const auto space = event.find(' ', at);
        const auto end = space == std::string_view::npos ? event.size() : space;
        words.push_back(event.substr(at, end - at));
        at = end + 1;
    }
    const auto verb = words[0];
    // The player's own input: refused while a replay plays, which a close box or the box's OK
    // ends instead, as in the windows of the Qt desktop.
    if (playerLockedOut()) {
        if (verb == "close" || verb == "box") endFromOutside();
        return;
    }
    Form* f = words.size() > 1 ? form(words[1]) : nullptr;
    if (verb == "tab" && words.size() == 3) {
        if (f) tab(*f, words[2] == "-1");
        return;
    }
    // Keys, held by the keyboard, a finger or a pad: one down and one up for the game.
    if ((verb == "kdown" || verb == "kup") && (words.size() == 3 || words.size() == 4)) {
        if (!f) return;
        const int code = virtualKeyForDomCode(words[2]);
        const auto source =
            words.size() == 4 && words[3] == "touch" ? Source::Touch : Source::Keyboard;
        if (verb == "kup") {
            holdKey(*f, code, source, false);
        } else if (!askedReader(*f, code)) {
            holdKey(*f, code, source, true);
        }
        return;
    }
    if (verb == "pad" && words.size() == 5) {
        PadState pad;
        auto read = [](std::string_view w, auto& into) {
            return std::from_chars(w.data(), w.data() + w.size(), into).ec == std::errc();
        };
        if (!f || !read(words[2], pad.buttons) || !read(words[3], pad.stickX) ||
            !read(words[4], pad.stickY))
            return;
        const bool onButton = f->focus() && f->focus()->kind() == ElementKind::Button;
        for (const auto& [code, down] : pad_.update(pad, onButton))
            holdKey(*f, code, Source::Pad, down);
        return;
    }
    Input in;
    if (f) in.form = f->design().name;
    if (verb == "click" && words.size() == 3) {
        in.kind = Input::Kind::Click;
        in.element = words[2];
    } else if (verb == "close" && words.size() == 2) {
        in.kind = Input::Kind::Close;
    } else if (verb == "text" && words.size() == 4 && words[3].rfind('=', 0) == 0) {
        auto text = percentDecode(words[3].substr(1));
        if (!text) return;
        in.kind = Input::Kind::Text;
        in.element = words[2];
        in.text = std::move(*text);
    } else if (verb == "focus" && words.size() == 3) {
        in.kind = Input::Kind::Focus;
        in.element = words[2];
    } else if (verb == "lostkeys" && words.size() == 1) {
        in.kind = Input::Kind::LostKeyboard;
        pad_.release();
    } else if (verb == "box" && words.size() == 1) {
        in.kind = Input::Kind::BoxClosed;
    } else {
        return;
    }
    apply(in, forms_, From::Player);
    // After an edit or a move of the focus that the desktop refused, the page shows the model
    // again.
    if (!f) return;
    auto* window = windowFor(*f);
    if (!window) return;
    if (in.kind == Input::Kind::Text)
        if (auto* t = dynamic_cast<TextBox*>(f->find(in.element)); t && t->text() != in.text)
            window->showText(*t);
    if (in.kind == Input::Kind::Focus)
        if (auto* e = f->find(in.element); e && f->focus() != e) window->applyFocus();
}

void WebDesktop::tab(Form& f, bool back) {
    // The focus goes round the window's tab stops, forward or back.
    std::vector<Focusable*> stops;
    for (Focusable* s = f.nextInTabOrder(-1); s; s = f.nextInTabOrder(s->design().tabIndex))
        stops.push_back(s);
    if (stops.empty()) return;
    std::size_t at = 0;
    while (at < stops.size() && stops[at] != f.focus()) ++at;
    const std::size_t n = stops.size();
    const std::size_t next =
        at == n ? (back ? n - 1 : 0) : (back ? (at + n - 1) % n : (at + 1) % n);
    if (!moveFocus(*stops[next]))
        if (auto* w = windowFor(f)) w->applyFocus();
}

void WebSound::play(const char* name, unsigned flags) {
    sv_sound(name ? name : "", static_cast<int>(flags));
}

void WebSound::guide(const Guide& g) {
    sv_guide(g.flying, g.height, g.tickEvery, g.rising, g.warning, g.pan, g.depth, g.inZone);
}

}  // namespace skyvane::web

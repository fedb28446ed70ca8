// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/desktop_base.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace skyvane {

namespace {

template <class T>
T* findIn(const Form& form, const std::string& name) {
    return dynamic_cast<T*>(form.find(name));
}

}  // namespace

// Marks input as coming from a replay, which the lock on the player lets through.
class DesktopBase::Applying {
  public:
    explicit Applying(DesktopBase& d) : d_(d), was_(d.applying_) { d_.applying_ = true; }
    ~Applying() { d_.applying_ = was_; }
    Applying(const Applying&) = delete;
    Applying& operator=(const Applying&) = delete;

  private:
    DesktopBase& d_;
    bool was_;
};

DesktopBase::DesktopBase() = default;
DesktopBase::~DesktopBase() = default;

void DesktopBase::throwIfEnded() const {
    if (ended_) throw ProgramEnded{};
}

bool DesktopBase::takesInput() const {
    return !ended_ && boxes_ == 0 && (!source_ || applying_);
}

void DesktopBase::setInputSource(InputSource* source) {
    source_ = source;
}

void DesktopBase::handlerFailed(const std::exception& error) {
    std::fprintf(stderr, "skyvane: a handler failed: %s\n", error.what());
}

void DesktopBase::callClick(Button& button) {
    if (button.onClick) call(button.form(), button.name(), "Click", 0, button.onClick);
}

void DesktopBase::setTrace(Trace* trace) {
    trace_ = trace;
    for (Form* f : forms_) relayTo(*f);
}

void DesktopBase::setListened(bool listened) {
    if (listened_ == listened) return;
    listened_ = listened;
    for (Form* f : forms_) relayTo(*f);
}

// A form tells its changes to the relay only while somebody hears them.
void DesktopBase::relayTo(Form& form) {
    form.setTrace(trace_ || listened_ ? &relay_ : nullptr);
}

void DesktopBase::Relay::handlerCalled(const Form& form, std::string_view element,
                                       std::string_view event, int code) {
    if (desktop_.trace_) desktop_.trace_->handlerCalled(form, element, event, code);
}

void DesktopBase::Relay::elementChanged(Element& element, Property property) {
    if (desktop_.trace_) desktop_.trace_->elementChanged(element, property);
    if (desktop_.listened_) desktop_.news_.changed(element, property);
}

void DesktopBase::Relay::formChanged(Form& form, Property property) {
    if (desktop_.trace_) desktop_.trace_->formChanged(form, property);
    if (desktop_.listened_ && property == Property::Focus) desktop_.news_.focusMoved(form);
}

void DesktopBase::record(Input input) {
    if (!sink_) return;
    input.period = period_;
    sink_->input(input);
}

void DesktopBase::load(Form& form) {
    throwIfEnded();
    if (form.loaded()) return;
    form.resetElements();
    form.setLoaded(true);
    relayTo(form);
    forms_.push_back(&form);
    attach(form);
    for (const auto& e : form.elements()) {
        if (auto* t = dynamic_cast<Timer*>(e.get())) {
            t->clock_ = this;
            t->restart();
            timers_.push_back(t);
        }
    }
    call(form, "Form", "Load", 0, [&] { form.Form_Load(); });
    throwIfEnded();
}

void DesktopBase::show(Form& form) {
    load(form);
    if (form.visible()) return;
    form.setVisible(true);
    // A reader speaks the focus of a window it comes to.
    if (listened_) news_.focusMoved(form);
    present(form, true);
}

void DesktopBase::hide(Form& form) {
    throwIfEnded();
    if (!form.loaded() || !form.visible()) return;
    form.setVisible(false);
    present(form, false);
}

void DesktopBase::unload(Form& form) {
    throwIfEnded();
    if (!form.loaded()) return;
    std::int16_t cancel = 0;
    call(form, "Form", "Unload", 0, [&] { form.Form_Unload(cancel); });
    throwIfEnded();
    if (cancel != 0) return;
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [&](Timer* t) { return &t->form() == &form; }),
                  timers_.end());
    if (form.visible()) {
        form.setVisible(false);
        present(form, false);
    }
    detach(form);
    form.setLoaded(false);
    form.setTrace(nullptr);
    news_.forget(form);
    forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
    if (keyForm_ == &form) keyForm_ = nullptr;
    for (auto& key : held_)
        if (key.form == &form) key.form = nullptr;
    if (forms_.empty()) end();
}

void DesktopBase::messageBox(const std::string& text, int style, const std::string& title) {
    throwIfEnded();
    // The box takes the keyboard, as another window would: the keys held now are let go in the
    // windows behind it, so that each key-down the game took has its key-up.
    releaseHeldKeys();
    ++boxes_;
    struct Closed {
        int& boxes;
        ~Closed() { --boxes; }
    } closed{boxes_};
    runMessageBox(text, style, title);
    throwIfEnded();
    record({.kind = Input::Kind::BoxClosed});
}

void DesktopBase::finish() {
    if (ended_) return;
    record({.kind = Input::Kind::End});
    ended_ = true;
    forgetKeys();
    if (source_) source_->programEnded();
    quit();
}

void DesktopBase::end() {
    finish();
    throw ProgramEnded{};
}

void DesktopBase::endFromOutside() {
    finish();
}

void DesktopBase::skipTo(std::uint64_t period) {
    if (period <= period_ || ended_) return;
    // Recorded at the period where the stall began, so that a replay passes over the same
    // periods.
    record({.kind = Input::Kind::Skip, .value = period});
    period_ = period;
}

void DesktopBase::repeatDueKey() {
    // A replay brings the repeats the desktop made as it was recorded.
    if (source_ || !repeatKey_ || !keyForm_) return;
    const auto now = nowUs();
    if (nextRepeatUs_ > now) return;
    // A late repeat is not made up for with a burst.
    nextRepeatUs_ = std::max(nextRepeatUs_ + kRepeatEveryUs, now + 1);
    record({.kind = Input::Kind::Repeat, .form = keyForm_->design().name, .code = repeatKey_});
    deliverKeyDown(*keyForm_, repeatKey_, true);
}

void DesktopBase::runPeriod() {
    if (ended_) return;
    if (source_ && !source_->beforePeriod()) return;
    if (ended_) return;
    ++period_;
    repeatDueKey();
    if (source_) source_->periodStart();
    if (ended_) return;
    if (due_.size() <= depth_) due_.emplace_back();
    auto& due = due_[depth_];
    due.assign(timers_.begin(), timers_.end());
    if (order_) order_(due);
    ++depth_;
    struct Leave {
        std::size_t& depth;
        ~Leave() { --depth; }
    } leave{depth_};
    for (Timer* t : due) {
        if (ended_) return;
        // Checked at the moment of the tick: a handler earlier in this period may have stopped,
        // restarted or unloaded it.
        if (!t->form().loaded() || !t->enabled() || t->periods() == 0 || t->due_ > period_ ||
            t->running_)
            continue;
        t->scheduleNext(period_);
        t->running_ = true;
        if (t->onTimer) invoke([&] { call(t->form(), t->name(), "Timer", 0, t->onTimer); });
        t->running_ = false;
    }
    if (afterPeriod && !ended_) afterPeriod();
}

bool DesktopBase::keyHeld(int keyCode) const {
    return std::any_of(held_.begin(), held_.end(),
                       [&](const HeldKey& k) { return k.code == keyCode; });
}

void DesktopBase::forgetKeys() {
    held_.clear();
    holders_.clear();
    repeatKey_ = 0;
    spaceArmed_ = nullptr;
}

std::int16_t DesktopBase::shiftMask() const {
    return static_cast<std::int16_t>((keyHeld(vk::Shift) ? 1 : 0) | (keyHeld(vk::Control) ? 2 : 0) |
                                     (keyHeld(vk::Menu) ? 4 : 0));
}

void DesktopBase::deliverKeyDown(Form& form, int keyCode, bool repeat) {
    if (ended_ || !form.loaded() || !form.visible()) return;
    if (auto* focus = form.focus()) {
        if (focus->kind() != ElementKind::Button || repeat) return;
        auto* button = static_cast<Button*>(focus);
        if (keyCode == vk::Return) invoke([&] { callClick(*button); });
        if (keyCode == vk::Space) spaceArmed_ = button;
        return;
    }
    const auto mask = shiftMask();
    invoke([&] {
        call(form, "Form", "KeyDown", keyCode,
             [&] { form.Form_KeyDown(static_cast<std::int16_t>(keyCode), mask); });
    });
}

void DesktopBase::pressKey(Form& form, int keyCode) {
    if (!takesInput() || keyCode <= 0 || keyCode >= vk::kCount || keyHeld(keyCode)) return;
    if (!form.loaded() || !form.visible()) return;
    if (form.focus() && form.focus()->kind() == ElementKind::TextBox) return;
    record({.kind = Input::Kind::KeyDown, .form = form.design().name, .code = keyCode});
    held_.push_back({keyCode, &form});
    // Only the key pressed last repeats, as on the classic keyboard.
    repeatKey_ = keyCode;
    nextRepeatUs_ = nowUs() + kRepeatDelayUs;
    keyForm_ = &form;
    deliverKeyDown(form, keyCode, false);
}

void DesktopBase::holdKey(Form& form, int keyCode, Source source, bool down) {
    const auto bit = static_cast<unsigned>(source);
    auto it = std::find_if(holders_.begin(), holders_.end(),
                           [&](const auto& h) { return h.first == keyCode; });
    if (down) {
        if (it != holders_.end()) {
            it->second |= bit;
            return;
        }
        pressKey(form, keyCode);
        // A key the game did not take (behind a box, typed into the name box) is nobody's.
        if (keyHeld(keyCode)) holders_.emplace_back(keyCode, bit);
        return;
    }
    if (it == holders_.end()) {
        // Never held through here (a key whose down went no further): its up goes as it always
        // went, to the desktop's own rules.
        releaseKey(form, keyCode);
        return;
    }
    if (!(it->second & bit)) return;
    it->second &= ~bit;
    if (it->second != 0) return;
    holders_.erase(it);
    releaseKey(form, keyCode);
}

bool DesktopBase::askedReader(Form& form, int keyCode, bool readerListens) {
    if (!(readerKeys_ || readerListens) || !takesInput() || !form.loaded() || !form.visible())
        return false;
    if (form.focus() && form.focus()->kind() == ElementKind::TextBox) return false;
    auto words = form.answerReader(keyCode);
    if (!words) return false;
    say(form, *words);
    return true;
}

void DesktopBase::releaseKey(Form& form, int keyCode) {
    // Let go here, the key is no source's any more.
    std::erase_if(holders_, [&](const auto& h) { return h.first == keyCode; });
    if (!takesInput() || !keyHeld(keyCode)) return;
    record({.kind = Input::Kind::KeyUp, .form = form.design().name, .code = keyCode});
    std::erase_if(held_, [&](const HeldKey& k) { return k.code == keyCode; });
    // Releasing the repeating key stops all repeat, even while other keys are still down.
    if (keyCode == repeatKey_) repeatKey_ = 0;
    deliverKeyUp(form, keyCode);
}

void DesktopBase::deliverKeyUp(Form& form, int keyCode) {
    if (ended_ || !form.loaded() || !form.visible()) return;
    if (auto* focus = form.focus()) {
        auto* armed = spaceArmed_;
        spaceArmed_ = nullptr;
        if (keyCode == vk::Space && armed == focus) invoke([&] { callClick(*armed); });
        return;
    }
    const auto mask = shiftMask();
    invoke([&] {
        call(form, "Form", "KeyUp", keyCode,
             [&] { form.Form_KeyUp(static_cast<std::int16_t>(keyCode), mask); });
    });
}

void DesktopBase::loseKeyboard() {
    if (!takesInput()) return;
    releaseHeldKeys();
}

void DesktopBase::releaseHeldKeys() {
    if (held_.empty() && !repeatKey_ && !spaceArmed_) return;
    record({.kind = Input::Kind::LostKeyboard});
    // As if the player had let go of every key, in the order they went down; a space bar held
    // on a button does not press it.
    const auto keys = std::move(held_);
    forgetKeys();
    for (const auto& key : keys)
        if (key.form) deliverKeyUp(*key.form, key.code);
}

void DesktopBase::click(Button& button) {
    Form& form = button.form();
    if (!takesInput() || !form.loaded() || !form.visible() || !button.visible()) return;
    record({.kind = Input::Kind::Click, .form = form.design().name, .element = button.name()});
    form.takeFocus(&button);
    invoke([&] { callClick(button); });
}

void DesktopBase::closeWindow(Form& form) {
    if (!takesInput() || !form.loaded()) return;
    record({.kind = Input::Kind::Close, .form = form.design().name});
    invoke([&] { unload(form); });
}

bool DesktopBase::editText(TextBox& box, std::string text) {
    Form& form = box.form();
    if (!takesInput() || !form.loaded() || !form.visible() || !box.visible()) return false;
    record({.kind = Input::Kind::Text,
            .form = form.design().name,
            .element = box.name(),
            .text = text});
    box.setText(std::move(text));
    return true;
}

bool DesktopBase::moveFocus(Focusable& element) {
    Form& form = element.form();
    if (!takesInput() || !form.loaded() || !element.visible()) return false;
    if (form.focus() == &element) return true;
    record({.kind = Input::Kind::Focus, .form = form.design().name, .element = element.name()});
    form.takeFocus(&element);
    return true;
}

void DesktopBase::apply(const Input& in, const std::vector<Form*>& forms, From from) {
    std::optional<Applying> applying;
    if (from == From::Replay) applying.emplace(*this);
    Form* form = formNamed(forms, in.form);
    switch (in.kind) {
        case Input::Kind::KeyDown:
            // A replay's keys are its run's, whatever they are; only the player asks questions.
            if (form && !(from == From::Player && askedReader(*form, in.code)))
                pressKey(*form, in.code);
            break;
        case Input::Kind::KeyUp:
            if (form) releaseKey(*form, in.code);
            break;
        case Input::Kind::Repeat:
            // Only the key pressed last repeats, in the window it went down in, until it is let
            // go or a box takes the keyboard.
            if (from == From::Replay && form && form == keyForm_ && repeatKey_ != 0 &&
                in.code == repeatKey_ && takesInput()) {
                record(in);
                deliverKeyDown(*form, in.code, true);
            }
            break;
        case Input::Kind::Click:
            if (form)
                if (auto* b = findIn<Button>(*form, in.element)) click(*b);
            break;
        case Input::Kind::Close:
            if (form) closeWindow(*form);
            break;
        case Input::Kind::BoxClosed:
            if (boxes_ > 0 && !ended_) closeMessageBox();
            break;
        case Input::Kind::Text:
            if (form)
                if (auto* t = findIn<TextBox>(*form, in.element)) editText(*t, in.text);
            break;
        case Input::Kind::Focus:
            if (form)
                if (auto* f = findIn<Focusable>(*form, in.element)) moveFocus(*f);
            break;
        case Input::Kind::LostKeyboard:
            loseKeyboard();
            break;
        case Input::Kind::Skip:
            if (from == From::Replay) skipTo(in.value);
            break;
        case Input::Kind::End:
            if (from == From::Replay) endFromOutside();
            break;
        case Input::Kind::Wait:
            break;
    }
}

}  // namespace skyvane

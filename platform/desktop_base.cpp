#include "platform/desktop_base.h"

#include <algorithm>
#include <exception>

namespace skyvane {

DesktopBase::DesktopBase() = default;
DesktopBase::~DesktopBase() = default;

void DesktopBase::throwIfEnded() const {
    if (ended_) throw ProgramEnded{};
}

void DesktopBase::invoke(const std::function<void()>& handler) {
    if (ended_ || !handler) return;
    try {
        handler();
    } catch (const ProgramEnded&) {
        // The program has ended; the handler stops here.
    } catch (const std::exception&) {
        // A handler that fails stops where it failed; the game goes on.
    }
}

void DesktopBase::load(Form& form) {
    throwIfEnded();
    if (form.loaded()) return;
    form.resetElements();
    form.setLoaded(true);
    forms_.push_back(&form);
    attach(form);
    for (const auto& e : form.elements()) {
        if (auto* t = dynamic_cast<Timer*>(e.get())) {
            t->attachClock(this);
            timers_.push_back(t);
        }
    }
    form.Form_Load();
    throwIfEnded();
}

void DesktopBase::show(Form& form) {
    load(form);
    if (form.visible()) return;
    form.setVisible(true);
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
    form.Form_Unload(cancel);
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
    forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
    if (keyForm_ == &form) keyForm_ = nullptr;
    if (forms_.empty()) end();
}

void DesktopBase::messageBox(const std::string& text, int style, const std::string& title) {
    throwIfEnded();
    runMessageBox(text, style, title);
    throwIfEnded();
}

void DesktopBase::end() {
    if (!ended_) {
        ended_ = true;
        held_.clear();
        quit();
    }
    throw ProgramEnded{};
}

void DesktopBase::skipTo(std::uint64_t period) {
    if (period > period_) period_ = period;
}

void DesktopBase::runPeriod() {
    if (ended_) return;
    ++period_;
    const auto now = nowUs();
    std::vector<int> repeats;
    for (auto& [key, next] : held_) {
        if (next > now) continue;
        // A late repeat is not made up for with a burst.
        next = std::max(next + kRepeatEveryUs, now + 1);
        repeats.push_back(key);
    }
    for (int key : repeats) {
        if (ended_) return;
        if (keyForm_) deliverKeyDown(*keyForm_, key, true);
    }
    auto due = timers_;
    if (order_) order_(due);
    for (Timer* t : due) {
        if (ended_) return;
        // Checked at the moment of the tick: a handler earlier in this period may have stopped,
        // restarted or unloaded it.
        if (!t->form().loaded() || !t->enabled() || t->periods() == 0 || t->due() > period_ ||
            t->running)
            continue;
        t->scheduleNext(period_);
        t->running = true;
        invoke(t->onTimer);
        t->running = false;
    }
}

std::int16_t DesktopBase::shiftMask() const {
    return static_cast<std::int16_t>((keyHeld(vk::Shift) ? 1 : 0) | (keyHeld(vk::Control) ? 2 : 0) |
                                     (keyHeld(vk::Menu) ? 4 : 0));
}

void DesktopBase::deliverKeyDown(Form& form, int keyCode, bool repeat) {
    if (ended_ || !form.loaded() || !form.visible()) return;
    if (auto* focus = form.focus()) {
        auto* button = dynamic_cast<Button*>(focus);
        if (!button || repeat) return;
        if (keyCode == vk::Return) click(*button);
        if (keyCode == vk::Space) spaceArmed_ = button;
        return;
    }
    const auto mask = shiftMask();
    invoke([&] { form.Form_KeyDown(static_cast<std::int16_t>(keyCode), mask); });
}

void DesktopBase::pressKey(Form& form, int keyCode) {
    if (ended_) return;
    if (!held_.count(keyCode)) held_[keyCode] = nowUs() + kRepeatDelayUs;
    keyForm_ = &form;
    deliverKeyDown(form, keyCode, false);
}

void DesktopBase::releaseKey(Form& form, int keyCode) {
    if (ended_) return;
    held_.erase(keyCode);
    if (!form.loaded() || !form.visible()) return;
    if (auto* focus = form.focus()) {
        auto* armed = spaceArmed_;
        spaceArmed_ = nullptr;
        if (keyCode == vk::Space && armed == focus) click(*armed);
        return;
    }
    const auto mask = shiftMask();
    invoke([&] { form.Form_KeyUp(static_cast<std::int16_t>(keyCode), mask); });
}

void DesktopBase::releaseAllKeys() {
    held_.clear();
    spaceArmed_ = nullptr;
}

void DesktopBase::click(Button& button) {
    Form& form = button.form();
    if (ended_ || !form.loaded() || !form.visible() || !button.visible()) return;
    form.takeFocus(&button);
    invoke(button.onClick);
}

void DesktopBase::closeWindow(Form& form) {
    invoke([&] { unload(form); });
}

}  // namespace skyvane

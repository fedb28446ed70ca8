#include "platform/qt/qt_desktop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>

#include "platform/qt/qt_look.h"
#include "platform/qt/qt_views.h"

namespace skyvane {

namespace {
constexpr std::int64_t kPeriodNs = kPeriodUs * 1000;
}

int virtualKey(const QKeyEvent& event) {
    const int k = event.key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk::Return;
        case Qt::Key_Shift:
            return vk::Shift;
        case Qt::Key_Control:
            return vk::Control;
        case Qt::Key_Alt:
            return vk::Menu;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return vk::Space;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return vk::Left;
        case Qt::Key_Up:
            return vk::Up;
        case Qt::Key_Right:
            return vk::Right;
        case Qt::Key_Down:
            return vk::Down;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

QtDesktop::QtDesktop(std::function<void()> onEnd) : onEnd_(std::move(onEnd)) {
    elapsed_.start();
    pacer_.setSingleShot(true);
    pacer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pacer_, &QTimer::timeout, this, [this] { wake(); });
    qApp->installEventFilter(this);
    QObject::connect(qApp, &QApplication::focusChanged, this,
                     [this](QWidget*, QWidget* now) { focusChanged(now); });
    arm(nowNs());
}

QtDesktop::~QtDesktop() {
    pacer_.stop();
    // The forms may be gone already: nothing the closing windows do may reach them.
    if (qApp) {
        qApp->removeEventFilter(this);
        QObject::disconnect(qApp, nullptr, this, nullptr);
    }
    for (auto& [form, window] : windows_) delete window;
    windows_.clear();
}

FormWindow* QtDesktop::windowFor(const Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second;
}

void QtDesktop::setClock(std::function<std::int64_t()> nowNs) {
    clock_ = std::move(nowNs);
    pacer_.stop();
}

std::int64_t QtDesktop::nowNs() const {
    return clock_ ? clock_() : elapsed_.nsecsElapsed();
}

void QtDesktop::wake() {
    if (ended()) return;
    const auto now = nowNs();
    const auto due = static_cast<std::uint64_t>(now / kPeriodNs);
    if (due > period()) {
        // Ticks missed while the process stalled are dropped, not replayed in a burst.
        skipTo(due - 1);
        runPeriod();
    }
    if (!ended() && !clock_) arm(now);
}

void QtDesktop::arm(std::int64_t now) {
    // Qt timers take whole milliseconds: wake just after the next absolute deadline.
    const std::int64_t next = static_cast<std::int64_t>(period() + 1) * kPeriodNs;
    const std::int64_t waitMs = std::max<std::int64_t>(0, (next - now + 999'999) / 1'000'000);
    pacer_.start(static_cast<int>(waitMs));
}

void QtDesktop::attach(Form& form) {
    auto* window = new FormWindow(form, *this);
    windows_[&form] = window;
}

void QtDesktop::detach(Form& form) {
    auto it = windows_.find(&form);
    if (it == windows_.end()) return;
    FormWindow* window = it->second;
    windows_.erase(it);
    form.setObserver(nullptr);
    window->hide();
    window->deleteLater();  // we may be inside its own close event
}

void QtDesktop::present(Form& form, bool visible) {
    FormWindow* window = windowFor(form);
    if (!window) return;
    if (visible) {
        window->placeOnScreen();
        window->show();
        window->raise();
        window->activateWindow();
        if (auto* f = form.focus()) {
            if (auto* w = window->widgetFor(*f)) w->setFocus(Qt::OtherFocusReason);
        }
    } else {
        window->hide();
    }
}

void QtDesktop::runMessageBox(const std::string& text, int style, const std::string& title) {
    (void)style;  // the game only asks for the information box with one OK button
    QWidget* parent = QApplication::activeWindow();
    if (!parent) {
        for (auto& [form, window] : windows_)
            if (window->isVisible()) parent = window;
    }
    QMessageBox box(QMessageBox::Information, qtlook::windowTitle(title), qtlook::displayText(text),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtDesktop::quit() {
    pacer_.stop();
    if (onEnd_) onEnd_();
    for (auto& [form, window] : windows_) window->hide();
    QCoreApplication::exit(0);
}

void QtDesktop::focusChanged(QWidget* now) {
    if (!now) return;
    auto* window = dynamic_cast<FormWindow*>(now->window());
    if (!window) return;
    if (auto* f = dynamic_cast<Focusable*>(window->elementFor(now))) window->form().takeFocus(f);
}

bool QtDesktop::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::WindowDeactivate) {
        // Keys held while the window loses the keyboard stop repeating.
        if (dynamic_cast<FormWindow*>(watched)) releaseAllKeys();
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    auto* window = dynamic_cast<FormWindow*>(widget->window());
    if (!window) return false;
    if (qobject_cast<QLineEdit*>(widget)) return false;  // typing a name
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    // X11 sends its own repeats as release-press pairs, and none for Shift; we repeat every held
    // key ourselves instead.
    if (key->isAutoRepeat()) return true;
    const int code = virtualKey(*key);
    if (code == 0) return true;
    if (type == QEvent::KeyPress) {
        pressKey(window->form(), code);
    } else {
        releaseKey(window->form(), code);
    }
    return true;
}

}  // namespace skyvane

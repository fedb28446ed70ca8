#include "platform/qt/qt_desktop.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <chrono>
#include <cstdio>

#include "platform/qt/qt_look.h"
#include "platform/qt/qt_views.h"

namespace skyvane {

namespace {
constexpr std::int64_t kPeriodNs = kPeriodUs * 1000;

bool isPlayerInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            return false;
    }
}
}  // namespace

int virtualKey(const QKeyEvent& event) {
    const int k = event.key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return vk::F1 + (k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return vk::Backspace;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vk::Tab;
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
            return vk::Pause;
        case Qt::Key_CapsLock:
            return vk::CapsLock;
        case Qt::Key_Escape:
            return vk::Escape;
        case Qt::Key_Space:
            return vk::Space;
        case Qt::Key_PageUp:
            return vk::PageUp;
        case Qt::Key_PageDown:
            return vk::PageDown;
        case Qt::Key_End:
            return vk::End;
        case Qt::Key_Home:
            return vk::Home;
        case Qt::Key_Left:
            return vk::Left;
        case Qt::Key_Up:
            return vk::Up;
        case Qt::Key_Right:
            return vk::Right;
        case Qt::Key_Down:
            return vk::Down;
        case Qt::Key_Insert:
            return vk::Insert;
        case Qt::Key_Delete:
            return vk::Delete;
        default:
            return 0;
    }
}

QtDesktop::QtDesktop(std::function<void()> onEnd)
    : onEnd_(std::move(onEnd)), tracePace_(!qEnvironmentVariableIsEmpty("SKYVANE_TRACE_PACE")) {
    elapsed_.start();
    pacer_.setSingleShot(true);
    pacer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&pacer_, &QTimer::timeout, this, [this] { wake(); });
    qApp->installEventFilter(this);
    arm(1, nowNs());
}

QtDesktop::~QtDesktop() {
    pacer_.stop();
    // The forms may be gone already: nothing the closing windows do may reach them.
    if (qApp) qApp->removeEventFilter(this);
    for (auto& [form, window] : windows_) {
        window->release();
        delete window;
    }
    windows_.clear();
}

FormWindow* QtDesktop::windowFor(const Form& form) const {
    auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second;
}

int QtDesktop::run() {
    if (ended()) return 0;
    running_ = true;
    const int status = QApplication::exec();
    running_ = false;
    return status;
}

void QtDesktop::setClock(std::function<std::int64_t()> nowNs) {
    clock_ = std::move(nowNs);
    origin_ = 0;
    pacer_.stop();
}

bool QtDesktop::pacerArmed() const {
    return pacer_.isActive();
}

std::int64_t QtDesktop::nowNs() const {
    return (clock_ ? clock_() : elapsed_.nsecsElapsed()) - origin_;
}

void QtDesktop::wake() {
    if (ended()) return;
    const auto now = nowNs();
    auto due = static_cast<std::uint64_t>(std::max<std::int64_t>(0, now) / kPeriodNs);
    if (due > period() + 1) {
        if (dropLate_) {
            // Ticks missed while the process stalled are dropped, not replayed in a burst.
            skipTo(due - 1);
        } else {
            origin_ += static_cast<std::int64_t>(due - period() - 1) * kPeriodNs;
            due = period() + 1;
        }
    }
    // Armed before the period runs: a handler in it may open a message box, and the grid goes on
    // ticking behind the box.
    arm(std::max(due, period()) + 1, nowNs());
    if (due <= period()) return;
    if (tracePace_) {
        std::fprintf(stderr, "skyvane: tick %llu %lld\n",
                     static_cast<unsigned long long>(period() + 1),
                     static_cast<long long>(elapsed_.nsecsElapsed()));
    }
    runPeriod();
}

void QtDesktop::arm(std::uint64_t period, std::int64_t now) {
    if (ended()) return;
    // Qt timers take whole milliseconds: wake just after that period's absolute deadline.
    const std::int64_t next = static_cast<std::int64_t>(period) * kPeriodNs;
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
    window->release();
    window->deleteLater();  // we may be inside its own close event
}

void QtDesktop::present(Form& form, bool visible) {
    FormWindow* window = windowFor(form);
    if (!window) return;
    if (visible) {
        window->showPlaced();
        if (onShow) onShow(form);
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
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    QMessageBox box(QMessageBox::Information, qtlook::windowTitle(title), QString(),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(screen ? qtlook::boxText(text, box.font(), screen->availableGeometry())
                       : qtlook::displayText(text));
    box_ = &box;
    closingBox_ = false;
    box.exec();
    box_ = nullptr;
    // During a replay only the replay closes its boxes; a player who closes one ends it.
    if (playerLockedOut() && !closingBox_ && !ended()) endFromOutside();
}

void QtDesktop::closeMessageBox() {
    if (!box_) return;
    closingBox_ = true;
    box_->done(QMessageBox::Ok);
}

void QtDesktop::closedByPlayer(Form& form) {
    if (playerLockedOut()) {
        endFromOutside();
    } else {
        closeWindow(form);
    }
}

void QtDesktop::painted(const FormWindow& window) {
    (void)window;
    if (firstFrameTraced_) return;
    firstFrameTraced_ = true;
    if (qEnvironmentVariableIsEmpty("SKYVANE_TRACE_STARTUP")) return;
    // Once the whole window, its elements too, is painted and on its way to the screen.
    QTimer::singleShot(0, [] {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
        std::fprintf(stderr, "skyvane: first frame %lld\n", static_cast<long long>(ns));
        std::fflush(stderr);
    });
}

void QtDesktop::quit() {
    pacer_.stop();
    if (onEnd_) onEnd_();
    for (auto& [form, window] : windows_) window->hide();
    // A box still open (the program ended from outside) is left at once.
    if (box_) {
        closingBox_ = true;
        box_->done(QMessageBox::Ok);
    }
    if (running_) QCoreApplication::exit(0);
}

void QtDesktop::focusChanged(QWidget* now) {
    auto* window = dynamic_cast<FormWindow*>(now->window());
    if (!window || !window->form()) return;
    auto* element = dynamic_cast<Focusable*>(window->elementFor(now));
    if (!element || !moveFocus(*element)) window->applyFocusLater();
}

bool QtDesktop::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    // Every event of the application passes here: the many that are none of ours (paints,
    // moves, timers) leave at once.
    if (type != QEvent::WindowDeactivate && type != QEvent::FocusIn && !isPlayerInput(type))
        return false;
    if (type == QEvent::WindowDeactivate) {
        // Keys held while the window loses the keyboard stop repeating.
        if (dynamic_cast<FormWindow*>(watched)) loseKeyboard();
        return false;
    }
    // A replay shows a run; the player's keys and clicks change nothing.
    if (playerLockedOut() && isPlayerInput(type) && watched->isWidgetType()) return true;

    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    auto* window = dynamic_cast<FormWindow*>(widget->window());
    if (!window || !window->form()) return false;
    if (type == QEvent::FocusIn) {
        // The player moves the focus with the mouse or Tab; any other move is Qt's own, and the
        // model's focus is put back.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
            reason == Qt::BacktabFocusReason) {
            focusChanged(widget);
        } else {
            window->applyFocusLater();
        }
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    if (qobject_cast<QLineEdit*>(widget)) return false;  // typing a name
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    // X11 sends its own repeats as release-press pairs, and none for Shift; we make the repeats
    // ourselves instead, as the classic keyboard does.
    if (key->isAutoRepeat()) return true;
    const int code = virtualKey(*key);
    if (code == 0) return true;
    if (type == QEvent::KeyPress) {
        pressKey(*window->form(), code);
    } else {
        releaseKey(*window->form(), code);
    }
    return true;
}

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/qt_desktop.h"

#include <QAbstractNativeEventFilter>
#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>
#include <chrono>
#include <cstdio>

#include "platform/qt/qt_accessible.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_look.h"
#include "platform/qt/qt_views.h"

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include <dlfcn.h>
#define SKYVANE_X11 1
#endif

namespace skyvane {

namespace {

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
#if SKYVANE_X11
// X sends its own repeats of a held key as release-press pairs, which Qt marks as repeats only
// when the press has already arrived. With XKB's detectable auto-repeat the server sends the
// presses alone; a press of a key already down is then dropped by the desktop. The call is
// looked up in the Xlib that Qt's X11 plugin has loaded, so nothing links against X.
void useDetectableAutoRepeat() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    void* lib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!x11 || !x11->display() || !lib) return;
    using Set = int (*)(void* display, int detectable, int* supported);
    if (auto set = reinterpret_cast<Set>(dlsym(lib, "XkbSetDetectableAutoRepeat"))) {
        int supported = 0;
        set(x11->display(), 1, &supported);
    }
    dlclose(lib);
}

// Another client (a window manager's kill, xdotool windowclose) may destroy one of our windows
// under Qt, which goes on as if it were there.
struct DestroyNotify {
    std::uint8_t responseType;
    std::uint8_t pad;
    std::uint16_t sequence;
    std::uint32_t event;
    std::uint32_t window;
};
constexpr std::uint8_t kDestroyNotify = 17;
#endif

}  // namespace

class QtDesktop::WindowWatch : public QAbstractNativeEventFilter {
  public:
    explicit WindowWatch(QtDesktop& desktop) : desktop_(desktop) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
#if SKYVANE_X11
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const DestroyNotify*>(message);
        if ((event->responseType & 0x7F) != kDestroyNotify) return false;
        for (auto& [form, window] : desktop_.windows_) {
            if (window->testAttribute(Qt::WA_WState_Created) && window->winId() == event->window) {
                desktop_.windowDestroyed(*window);
                break;
            }
        }
#else
        (void)type;
        (void)message;
#endif
        return false;
    }

  private:
    QtDesktop& desktop_;
};

int virtualKey(const QKeyEvent& event) {
    const int k = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return (keypad ? vk::Numpad0 : '0') + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return vk::F1 + (k - Qt::Key_F1);
    if (keypad) {
        switch (k) {
            case Qt::Key_Asterisk:
                return vk::Multiply;
            case Qt::Key_Plus:
                return vk::Add;
            case Qt::Key_Minus:
                return vk::Subtract;
            case Qt::Key_Period:
            case Qt::Key_Comma:
                return vk::Decimal;
            case Qt::Key_Slash:
                return vk::Divide;
            default:
                break;
        }
    }
    // The key, not the character: a shifted punctuation key keeps the code of its key, as on a
    // US keyboard.
    static const struct {
        int qt;
        int code;
    } kKeys[] = {
        {Qt::Key_Backspace, vk::Backspace},
        {Qt::Key_Tab, vk::Tab},
        {Qt::Key_Backtab, vk::Tab},
        {Qt::Key_Return, vk::Return},
        {Qt::Key_Enter, vk::Return},
        {Qt::Key_Shift, vk::Shift},
        {Qt::Key_Control, vk::Control},
        {Qt::Key_Alt, vk::Menu},
        {Qt::Key_AltGr, vk::Menu},
        {Qt::Key_Pause, vk::Pause},
        {Qt::Key_CapsLock, vk::CapsLock},
        {Qt::Key_Hiragana_Katakana, vk::Kana},
        {Qt::Key_Katakana, vk::Kana},
        {Qt::Key_Hiragana, vk::Kana},
        {Qt::Key_Zenkaku_Hankaku, vk::Kanji},
        {Qt::Key_Zenkaku, vk::Kanji},
        {Qt::Key_Hankaku, vk::Kanji},
        {Qt::Key_Kanji, vk::Kanji},
        {Qt::Key_Escape, vk::Escape},
        {Qt::Key_Henkan, vk::Convert},
        {Qt::Key_Muhenkan, vk::NonConvert},
        {Qt::Key_Space, vk::Space},
        {Qt::Key_PageUp, vk::PageUp},
        {Qt::Key_PageDown, vk::PageDown},
        {Qt::Key_End, vk::End},
        {Qt::Key_Home, vk::Home},
        {Qt::Key_Left, vk::Left},
        {Qt::Key_Up, vk::Up},
        {Qt::Key_Right, vk::Right},
        {Qt::Key_Down, vk::Down},
        {Qt::Key_Print, vk::PrintScreen},
        {Qt::Key_Insert, vk::Insert},
        {Qt::Key_Delete, vk::Delete},
        {Qt::Key_Meta, vk::LeftWindows},
        {Qt::Key_Super_L, vk::LeftWindows},
        {Qt::Key_Super_R, vk::LeftWindows},
        {Qt::Key_Menu, vk::Apps},
        {Qt::Key_NumLock, vk::NumLock},
        {Qt::Key_ScrollLock, vk::ScrollLock},
        {Qt::Key_Semicolon, vk::Semicolon},
        {Qt::Key_Colon, vk::Semicolon},
        {Qt::Key_Equal, vk::Plus},
        {Qt::Key_Plus, vk::Plus},
        {Qt::Key_Comma, vk::Comma},
        {Qt::Key_Less, vk::Comma},
        {Qt::Key_Minus, vk::Minus},
        {Qt::Key_Underscore, vk::Minus},
        {Qt::Key_Period, vk::Period},
        {Qt::Key_Greater, vk::Period},
        {Qt::Key_Slash, vk::Slash},
        {Qt::Key_Question, vk::Slash},
        {Qt::Key_QuoteLeft, vk::Backquote},
        {Qt::Key_AsciiTilde, vk::Backquote},
        {Qt::Key_BracketLeft, vk::OpenBracket},
        {Qt::Key_BraceLeft, vk::OpenBracket},
        {Qt::Key_Backslash, vk::Backslash},
        {Qt::Key_Bar, vk::Backslash},
        {Qt::Key_yen, vk::Backslash},
        {Qt::Key_BracketRight, vk::CloseBracket},
        {Qt::Key_BraceRight, vk::CloseBracket},
        {Qt::Key_Apostrophe, vk::Quote},
        {Qt::Key_QuoteDbl, vk::Quote},
        {Qt::Key_Exclam, '1'},
        {Qt::Key_At, '2'},
        {Qt::Key_NumberSign, '3'},
        {Qt::Key_Dollar, '4'},
        {Qt::Key_Percent, '5'},
        {Qt::Key_AsciiCircum, '6'},
        {Qt::Key_Ampersand, '7'},
        {Qt::Key_Asterisk, '8'},
        {Qt::Key_ParenLeft, '9'},
        {Qt::Key_ParenRight, '0'},
    };
    for (const auto& entry : kKeys)
        if (entry.qt == k) return entry.code;
    return vk::Other;
}

QtDesktop::QtDesktop(std::function<void()> onEnd)
    : onEnd_(std::move(onEnd)), tracePace_(!qEnvironmentVariableIsEmpty("SKYVANE_TRACE_PACE")) {
    elapsed_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { wake(); });
    qApp->installEventFilter(this);
    if (auto* app = dynamic_cast<GameApplication*>(qApp))
        app->first = [this](QObject* receiver, QEvent* event) {
            return takeKeyFirst(receiver, event);
        };
    qtaccess::install();
    windowWatch_ = std::make_unique<WindowWatch>(*this);
    qApp->installNativeEventFilter(windowWatch_.get());
#if SKYVANE_X11
    useDetectableAutoRepeat();
#endif
    arm();
}

QtDesktop::~QtDesktop() {
    timer_.stop();
    // The forms may be gone already: nothing the closing windows do may reach them.
    if (qApp) {
        if (auto* app = dynamic_cast<GameApplication*>(qApp)) app->first = nullptr;
        qApp->removeEventFilter(this);
        qApp->removeNativeEventFilter(windowWatch_.get());
    }
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
    pacer_.setOrigin(0);
    timer_.stop();
}

void QtDesktop::setSpeed(double speed) {
    pacer_.setSpeed(speed, clockNs(), period());
    arm();
}

bool QtDesktop::pacerArmed() const {
    return timer_.isActive();
}

int QtDesktop::nextWakeMs() const {
    return timer_.interval();
}

std::int64_t QtDesktop::clockNs() const {
    return clock_ ? clock_() : elapsed_.nsecsElapsed();
}

void QtDesktop::wake() {
    // A replay watched fast runs several periods between two wakes; a few dozen at most, so
    // that the windows are drawn and answer in between.
    bool held = false;
    for (int n = 0; n < 64 && !ended(); ++n) {
        if (!pacer_.catchUp(*this, clockNs())) break;
        // Armed before the period runs: a handler in it may open a message box, and the grid
        // goes on ticking behind the box.
        arm();
        if (tracePace_) {
            // The system's clock, which other programs' logs (a screen reader's) are stamped by.
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
            std::fprintf(stderr, "skyvane: tick %llu %lld\n",
                         static_cast<unsigned long long>(period()) + 1, static_cast<long long>(ns));
        }
        const auto before = period();
        runPeriod();
        tellReader();
        // A grid held where it stands (a replay at its end, or behind a box it closes) looks
        // again a period later: the deadline it stands at is past, and waking for it at once
        // would spin the processor until the window closes.
        if (period() == before) {
            held = true;
            break;
        }
    }
    arm(held);
}

void QtDesktop::arm(bool held) {
    if (ended()) return;
    // Qt timers take whole milliseconds: wake just after the next period's absolute deadline.
    const std::int64_t wait = held ? pacer_.periodNs() : pacer_.nextDeadlineNs() - clockNs();
    const std::int64_t waitMs = std::max<std::int64_t>(0, (wait + 999'999) / 1'000'000);
    timer_.start(static_cast<int>(waitMs));
}

void QtDesktop::attach(Form& form) {
    auto* window = new FormWindow(form, *this);
    windows_[&form] = window;
}

void QtDesktop::detach(Form& form) {
    if (shownLast_ == &form) shownLast_ = nullptr;
    if (padForm_ == &form) padForm_ = nullptr;
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
        shownLast_ = &form;
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
    // A window destroyed behind the box closes as soon as the box lets it.
    if (!destroyed_.empty()) QTimer::singleShot(0, this, [this] { closeDestroyed(); });
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

void QtDesktop::windowDestroyed(FormWindow& window) {
    if (!window.form() || !window.form()->loaded()) return;
    destroyed_.push_back(window.form());
    QTimer::singleShot(0, this, [this] { closeDestroyed(); });
}

void QtDesktop::closeDestroyed() {
    if (modal() || ended()) return;
    const auto forms = std::move(destroyed_);
    destroyed_.clear();
    // The window cannot come back: the game goes on as if its close box had been pressed.
    for (Form* form : forms)
        if (form->loaded() && !ended()) closedByPlayer(*form);
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
    timer_.stop();
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
        // Keys held while the window loses the keyboard stop repeating. A replay's file says
        // when its run lost the keyboard: a window hidden as the replay plays is no loss.
        if (dynamic_cast<FormWindow*>(watched) && !playerLockedOut()) {
            loseKeyboard();
            pad_.release();
        }
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
    auto* key = static_cast<QKeyEvent*>(event);
    switch (routeKey(watched, key)) {
        case KeyRoute::Qt:
            // A key typed into the name box is the box's own; but a key that went down before
            // the box took the focus still goes up in the game, or it would stay held and repeat
            // for ever.
            if (type == QEvent::KeyRelease && !key->isAutoRepeat())
                releaseKey(*window->form(), virtualKey(*key));
            return false;
        case KeyRoute::Drop:
            return true;
        case KeyRoute::Game:
            takeKey(*window, key);
            return true;
    }
    return false;
}

QtDesktop::KeyRoute QtDesktop::routeKey(QObject* watched, QKeyEvent* key) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    auto* window = widget ? dynamic_cast<FormWindow*>(widget->window()) : nullptr;
    if (!window || !window->form()) return KeyRoute::Qt;
    // Typing a name: the keys are the box's own, and those it passes on to its window too.
    if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QLineEdit*>(QApplication::focusWidget()))
        return KeyRoute::Qt;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return KeyRoute::Qt;
    // The window system's own repeats never reach the game (X repeats no Shift, and repeats a
    // key held before another one): the desktop makes the repeats, as the classic keyboard
    // does, and drops a press of a key already down, which can only be such a repeat.
    if (key->isAutoRepeat()) return KeyRoute::Drop;
    return KeyRoute::Game;
}

void QtDesktop::takeKey(FormWindow& window, QKeyEvent* key) {
    const int code = virtualKey(*key);
    if (key->type() == QEvent::KeyPress) {
        // A player who listens asks the game with keys of their own.
        if (!askedReader(*window.form(), code, QAccessible::isActive()))
            holdKey(*window.form(), code, Source::Keyboard, true);
    } else {
        holdKey(*window.form(), code, Source::Keyboard, false);
    }
}

bool QtDesktop::takeKeyFirst(QObject* receiver, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    // What a screen reader's bridge sends back of a key it heard: the game had it long since.
    if (receiver == &readerEar_) return true;
    if (!event->spontaneous() || playerLockedOut()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // A screen reader's own commands (the keypad, keys held with its Insert or Caps Lock) are
    // its own first, as they always were: what it takes, the game never sees.
    if (key->key() == Qt::Key_Insert || key->key() == Qt::Key_CapsLock)
        readerModifier_ = type == QEvent::KeyPress;
    if (QAccessible::isActive() &&
        (readerModifier_ || key->key() == Qt::Key_Insert || key->key() == Qt::Key_CapsLock ||
         (key->modifiers() & Qt::KeypadModifier)))
        return false;
    // A key comes to the window first, and from there to its widget with the focus.
    QObject* target = receiver;
    if (auto* window = qobject_cast<QWindow*>(receiver)) {
        target = nullptr;
        for (auto& [form, view] : windows_)
            if (view->windowHandle() == window)
                target = view->focusWidget() ? view->focusWidget() : view;
        if (!target) return false;
    }
    switch (routeKey(target, key)) {
        case KeyRoute::Qt: {
            // Tab and the name box's keys, at once and in order with the game's: a copy that is
            // not the display's own, which the bridge lets through. The reader hears the key
            // after (it echoes what is typed); its bridge sends it back here.
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                           key->nativeVirtualKey(), key->nativeModifiers(), key->text(),
                           key->isAutoRepeat(), key->count());
            QCoreApplication::sendEvent(receiver, &copy);
            event->setAccepted(copy.isAccepted());
            if (auto* app = dynamic_cast<GameApplication*>(qApp))
                app->throughFilters(&readerEar_, event);
            return true;
        }
        case KeyRoute::Drop:
            return true;
        case KeyRoute::Game:
            // The game's keys are the game's alone, at once: a reader that heard them would
            // break off what it is saying each time the pilot touches a key.
            takeKey(*dynamic_cast<FormWindow*>(static_cast<QWidget*>(target)->window()), key);
            return true;
    }
    return false;
}

void QtDesktop::padChanged(const PadState& pad) {
    if (playerLockedOut() || ended()) return;
    // The window with the keyboard; where none has it (a display without a window manager),
    // the one shown last.
    auto* window = dynamic_cast<FormWindow*>(QApplication::activeWindow());
    Form* form = window ? window->form() : shownLast_;
    if (!form || !form->visible()) return;
    const bool onButton = form->focus() && form->focus()->kind() == ElementKind::Button;
    for (const auto& [code, down] : pad_.update(pad, onButton)) {
        // A key goes up where it went down.
        Form& to = !down && padForm_ ? *padForm_ : *form;
        holdKey(to, code, Source::Pad, down);
        if (down) padForm_ = form;
    }
}

void QtDesktop::padGone() {
    for (const auto& [code, down] : pad_.release())
        if (padForm_) holdKey(*padForm_, code, Source::Pad, down);
}

void QtDesktop::tellReader() {
    // Nothing is worked out for a reader while none listens, which is every tick of a game
    // nobody reads.
    setListened(QAccessible::isActive());
    if (!listened()) return;
    // Half a second is the reader's, whatever the pace of a replay.
    const auto notices = takeNews(static_cast<std::uint64_t>(elapsed_.nsecsElapsed() / 15'625'000));
    for (const auto& notice : notices) {
        FormWindow* window = windowFor(notice.element->form());
        if (!window) continue;
        if (notice.kind == Notice::Kind::Said) {
            // Said with the focus, by the button that the words describe.
            if (!notice.withFocus) window->announce(notice.words);
        } else if (auto* widget = window->widgetFor(*notice.element)) {
            QAccessibleEvent renamed(widget, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&renamed);
        }
    }
}

void QtDesktop::say(Form& form, const std::string& words) {
    if (auto* window = windowFor(form)) window->announce(words);
}

}  // namespace skyvane

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/qt_views.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_look.h"
#include "platform/reading.h"

namespace skyvane {

namespace look = qtlook;

// Qt's own cache: it is emptied with the application, so no picture outlives it at exit.
QPixmap pixmapFor(const std::string& resource) {
    if (resource.empty()) return {};
    const auto key = QString::fromStdString(resource);
    QPixmap pm;
    if (!QPixmapCache::find(key, &pm)) {
        pm = QPixmap(key);
        QPixmapCache::insert(key, pm);
    }
    return pm;
}

// ---- Labels ----

TextPlacement labelText(const ElementDesign& design, QSize size) {
    TextPlacement placed;
    placed.box = QRect(QPoint(0, 0), size);
    if (design.label.border) placed.box.adjust(2, 2, -2, -2);
    placed.flags = Qt::AlignTop | Qt::TextWordWrap;
    switch (design.label.align) {
        case Align::Left:
            placed.flags |= Qt::AlignLeft;
            break;
        case Align::Right:
            placed.flags |= Qt::AlignRight;
            break;
        case Align::Centre:
            placed.flags |= Qt::AlignHCenter;
            break;
    }
    // What the label's font leaves unsaid comes from the program's font, as the window's would.
    placed.font = look::font(design.label.font).resolve(look::font({}));
    return placed;
}

LabelView::LabelView(Label& label, QWidget* parent) : ElementView(label, parent), label_(label) {
    setFont(labelText(label.design(), {}).font);
}

void LabelView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const auto& design = label_.design().label;
    if (design.opaque) p.fillRect(rect(), look::colour(label_.backColour()));
    if (design.border) {
        // A sunken single border, two pixels deep.
        const int w = width(), h = height();
        p.fillRect(0, 0, w, 1, QColor(128, 128, 128));
        p.fillRect(0, 0, 1, h, QColor(128, 128, 128));
        p.fillRect(1, 1, w - 2, 1, QColor(64, 64, 64));
        p.fillRect(1, 1, 1, h - 2, QColor(64, 64, 64));
        p.fillRect(0, h - 1, w, 1, QColor(255, 255, 255));
        p.fillRect(w - 1, 0, 1, h, QColor(255, 255, 255));
        p.fillRect(1, h - 2, w - 2, 1, QColor(212, 208, 200));
        p.fillRect(w - 2, 1, 1, h - 2, QColor(212, 208, 200));
    }
    const auto placed = labelText(label_.design(), size());
    p.setPen(look::colour(label_.foreColour()));
    p.setFont(placed.font);
    // drawText never reads markup or mnemonics: the caption shows as it stands.
    p.drawText(placed.box, placed.flags, look::displayText(label_.caption()));
}

// ---- Images ----

ImageView::ImageView(Image& image, QWidget* parent) : ElementView(image, parent), image_(image) {}

void ImageView::paintEvent(QPaintEvent*) {
    const QPixmap pm = pixmapFor(image_.picture().resource());
    if (pm.isNull()) return;
    QPainter p(this);
    // Pixel art keeps its hard edges when it is scaled.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (image_.design().stretch) {
        p.drawPixmap(rect(), pm);
    } else {
        p.drawPixmap(0, 0, pm);
    }
}

// ---- Shapes ----

ShapeView::ShapeView(Shape& shape, QWidget* parent) : ElementView(shape, parent), shape_(shape) {}

void ShapeView::paintEvent(QPaintEvent*) {
    const auto& design = shape_.design().shape;
    const int bw = std::max(1, design.borderWidth);
    QRectF outerRect(rect());
    if (design.kind == ShapeKind::Circle) {
        const double d = std::min(width(), height());
        outerRect = QRectF((width() - d) / 2, (height() - d) / 2, d, d);
    }
    const QRectF innerRect = outerRect.adjusted(bw, bw, -bw, -bw);
    QPainterPath outer, inner;
    switch (design.kind) {
        case ShapeKind::Rectangle:
            outer.addRect(outerRect);
            if (innerRect.isValid()) inner.addRect(innerRect);
            break;
        case ShapeKind::RoundedRectangle: {
            const double r = std::min(outerRect.width(), outerRect.height()) / 6.0;
            outer.addRoundedRect(outerRect, r, r);
            if (innerRect.isValid())
                inner.addRoundedRect(innerRect, std::max(0.0, r - bw), std::max(0.0, r - bw));
            break;
        }
        case ShapeKind::Circle:
            outer.addEllipse(outerRect);
            if (innerRect.isValid()) inner.addEllipse(innerRect);
            break;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (design.fill == Fill::Opaque) p.fillPath(inner, look::colour(design.back));
    if (design.fill == Fill::Solid) p.fillPath(inner, look::colour(shape_.fillColour()));
    // The border lies inside the bounds.
    p.fillPath(outer.subtracted(inner), look::colour(design.border));
}

// ---- The window ----

FormWindow::FormWindow(Form& form, QtDesktop& desktop) : form_(&form), desktop_(desktop) {
    const auto& design = form.design();
    Qt::WindowFlags flags = Qt::Window;
    if (design.border == BorderStyle::FixedSingle) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
        if (design.minButton) flags |= Qt::WindowMinimizeButtonHint;
        if (design.maxButton) flags |= Qt::WindowMaximizeButtonHint;
    }
    setWindowFlags(flags);
    const QSize client(look::px(design.clientWidth), look::px(design.clientHeight));
    if (design.border == BorderStyle::FixedSingle) {
        setFixedSize(client);
    } else {
        resize(client);
    }
    QPalette pal = palette();
    pal.setColor(QPalette::Window, look::colour(design.background));
    setPalette(pal);
    setAutoFillBackground(true);
    // The window takes the keys itself only when no button or text box shows.
    setFocusPolicy(Qt::NoFocus);
    if (!design.icon.empty()) setWindowIcon(QIcon(pixmapFor(design.icon)));
    setWindowTitle(look::windowTitle(form.caption()));
    build();
    form.setObserver(this);
}

// The form may already be gone when the desktop closes its windows at exit.
FormWindow::~FormWindow() = default;

QWidget* FormWindow::widgetFor(const Element& element) const {
    auto it = widgets_.find(&element);
    return it == widgets_.end() ? nullptr : it->second;
}

Element* FormWindow::elementFor(const QWidget* widget) const {
    for (const auto& [element, w] : widgets_)
        if (w == widget) return const_cast<Element*>(element);
    return nullptr;
}

void FormWindow::build() {
    std::unordered_map<std::string, QWidget*> containers{{"", this}};
    for (const auto& e : form_->elements())
        if (e->kind() == ElementKind::Frame) {
            auto* w = new QWidget(this);
            QPalette pal = w->palette();
            pal.setColor(QPalette::Window, look::colour(e->design().background));
            w->setPalette(pal);
            w->setAutoFillBackground(true);
            w->setObjectName(QString::fromStdString(e->name()));
            widgets_[e.get()] = w;
            containers[e->name()] = w;
        }
    for (const auto& e : form_->elements()) {
        QWidget* parent =
            containers.count(e->design().container) ? containers[e->design().container] : this;
        QWidget* w = nullptr;
        switch (e->kind()) {
            case ElementKind::Label:
                w = new LabelView(static_cast<Label&>(*e), parent);
                break;
            case ElementKind::Image:
                w = new ImageView(static_cast<Image&>(*e), parent);
                break;
            case ElementKind::Shape:
                w = new ShapeView(static_cast<Shape&>(*e), parent);
                break;
            case ElementKind::Button: {
                auto& model = static_cast<Button&>(*e);
                auto* b = new QPushButton(look::buttonText(model.caption()), parent);
                b->setFont(look::font({}));
                b->setAutoDefault(true);  // Return presses the focused button
                b->setFocusPolicy(Qt::StrongFocus);
                QObject::connect(b, &QPushButton::clicked, b,
                                 [this, &model] { desktop_.click(model); });
                w = b;
                break;
            }
            case ElementKind::TextBox: {
                auto& model = static_cast<TextBox&>(*e);
                auto* t = new QLineEdit(parent);
                t->setFont(look::font({}));
                t->setMaxLength(std::numeric_limits<int>::max());  // a name has no length limit
                t->setText(QString::fromStdString(model.text()));
                QObject::connect(t, &QLineEdit::textEdited, t,
                                 [this, t, &model](const QString& text) {
                                     if (!desktop_.editText(model, text.toStdString()))
                                         t->setText(QString::fromStdString(model.text()));
                                 });
                w = t;
                break;
            }
            case ElementKind::Frame:
            case ElementKind::Timer:
                break;
        }
        if (w) {
            w->setObjectName(QString::fromStdString(e->name()));
            widgets_[e.get()] = w;
        }
    }
    // The name box is Qt's own widget: it is named by its caption once. The elements drawn here
    // are named when a reader asks (platform/qt/qt_accessible.cpp).
    for (const auto& e : form_->elements())
        if (e->kind() == ElementKind::TextBox)
            if (auto* w = widgetFor(*e))
                w->setAccessibleName(QString::fromStdString(spokenOf(*e).name));
    // Stacking: within a container the first element listed is in front, and frames, buttons
    // and the text box lie above everything drawn.
    auto windowed = [](const Element& e) {
        return e.kind() == ElementKind::Frame || e.kind() == ElementKind::Button ||
               e.kind() == ElementKind::TextBox;
    };
    const auto& all = form_->elements();
    for (int pass = 0; pass < 2; ++pass)
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (windowed(**it) != (pass == 1)) continue;
            if (auto* w = widgetFor(**it)) w->raise();
        }
    // Tab order as laid out.
    std::vector<Focusable*> focusables;
    for (const auto& e : all)
        if (auto* f = dynamic_cast<Focusable*>(e.get())) focusables.push_back(f);
    std::stable_sort(focusables.begin(), focusables.end(),
                     [](auto* a, auto* b) { return a->design().tabIndex < b->design().tabIndex; });
    for (size_t i = 1; i < focusables.size(); ++i)
        QWidget::setTabOrder(widgetFor(*focusables[i - 1]), widgetFor(*focusables[i]));
    for (const auto& e : all)
        if (auto* c = dynamic_cast<Control*>(e.get())) {
            auto* w = widgetFor(*c);
            w->setGeometry(look::rect(c->left(), c->top(), c->design().width, c->design().height));
            w->setVisible(c->visible());
        }
}

void FormWindow::showPlaced() {
    if (!placed_) {
        placed_ = true;
        if (form_ && form_->design().start == StartPosition::CentreScreen) {
            centre();
            // The frame's size is known only once the window manager has framed the window.
            centreWithFrame_ = true;
            QTimer::singleShot(2000, this, [this] { centreWithFrame_ = false; });
        }
    }
    show();
    raise();
    activateWindow();
    applyFocus();
}

void FormWindow::centre() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    // move() places the frame; until the window is framed the frame is the client area.
    move(look::framePosition(s->availableGeometry(), frameGeometry().size()));
}

void FormWindow::release() {
    form_ = nullptr;
    hide();
    std::vector<QWidget*> direct;
    for (auto& [element, widget] : widgets_)
        if (widget->parent() == this) direct.push_back(widget);
    widgets_.clear();
    for (QWidget* widget : direct) delete widget;  // a frame takes its children with it
}

bool FormWindow::event(QEvent* event) {
    // Handling a deferred delete deletes this window: nothing may touch it afterwards.
    if (event->type() == QEvent::DeferredDelete) return QWidget::event(event);
    const bool handled = QWidget::event(event);
    if (centreWithFrame_ && (event->type() == QEvent::Move || event->type() == QEvent::Show) &&
        frameGeometry().size() != size()) {
        centreWithFrame_ = false;
        centre();
    }
    return handled;
}

void FormWindow::paintEvent(QPaintEvent*) {
    desktop_.painted(*this);
}

void FormWindow::elementChanged(Element& element, Property property) {
    QWidget* w = widgetFor(element);
    if (!w) return;
    switch (property) {
        case Property::Left:
        case Property::Top: {
            const auto& c = static_cast<Control&>(element);
            w->setGeometry(look::rect(c.left(), c.top(), c.design().width, c.design().height));
            break;
        }
        case Property::Visible:
            w->setVisible(static_cast<Control&>(element).visible());
            if (form_ && form_->focus() == &element) applyFocus();
            break;
        case Property::Text: {
            auto* t = static_cast<QLineEdit*>(w);
            const auto text = QString::fromStdString(static_cast<TextBox&>(element).text());
            if (t->text() != text) t->setText(text);
            break;
        }
        default:
            w->update();
            break;
    }
}

void FormWindow::formChanged(Form&, Property property) {
    if (!form_) return;
    if (property == Property::Caption) setWindowTitle(look::windowTitle(form_->caption()));
    if (property == Property::Focus) applyFocus();
}

void FormWindow::announce(const std::string& words) {
    if (announcers_.empty())
        for (int i = 0; i < 8; ++i) {
            announcers_.push_back(new Announcer(this));
            announcers_.back()->setGeometry(0, 0, 0, 0);
            announcers_.back()->hide();
        }
    auto* announcer = announcers_[nextAnnouncer_++ % announcers_.size()];
    announcer->words = QString::fromStdString(words).replace('\r', ' ').replace('\n', ' ');
    // A notification that shows is what a reader speaks of an object it does not look at.
    announcer->hide();
    announcer->show();
}

void FormWindow::applyFocus() {
    if (!form_) return;
    if (auto* f = form_->focus()) {
        // The model moves the focus before it shows the button that takes it; the button takes
        // it as it shows, so that a screen reader hears one move, to a button it can see.
        auto* w = widgetFor(*f);
        if (w && !w->hasFocus() && !w->isHidden()) w->setFocus(Qt::OtherFocusReason);
    } else if (auto* fw = focusWidget()) {
        fw->clearFocus();
    }
}

void FormWindow::applyFocusLater() {
    QMetaObject::invokeMethod(
        this, [this] { applyFocus(); }, Qt::QueuedConnection);
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // The model decides: unloading the form closes the window.
    event->ignore();
    if (form_) desktop_.closedByPlayer(*form_);
}

}  // namespace skyvane

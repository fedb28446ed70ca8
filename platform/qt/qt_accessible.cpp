// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#include "platform/qt/qt_accessible.h"

#include <QAccessibleWidget>
#include <QPushButton>
#include <vector>

#include "platform/qt/qt_views.h"
#include "platform/reading.h"

namespace skyvane::qtaccess {

namespace {

// A window, a frame or a drawn element (a label, a picture, a shape). Its role and children are
// looked up at each call: Qt asks for the interface while the widget is still being built, before
// the window knows which element it shows.
class ViewAccessible : public QAccessibleWidget {
  public:
    ViewAccessible(QWidget* widget, FormWindow& window)
        : QAccessibleWidget(widget), window_(window) {}

    QAccessible::Role role() const override {
        if (widget() == &window_) return QAccessible::Window;
        const Element* e = window_.elementFor(widget());
        if (!e) return QAccessible::Client;
        switch (e->kind()) {
            case ElementKind::Frame:
                return QAccessible::Grouping;
            case ElementKind::Label:
                // The message line is a status bar: its changes are told as they come.
                return e->design().reading == Reading::Live ? QAccessible::StatusBar
                                                            : QAccessible::StaticText;
            case ElementKind::Image:
            case ElementKind::Shape:
                return QAccessible::Graphic;
            default:
                return QAccessible::Client;
        }
    }
    // What a reader says of it now, from the layout's reading: asked for, never kept.
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || widget() == &window_) return QAccessibleWidget::text(t);
        const Element* e = window_.elementFor(widget());
        if (!e) return {};
        return QString::fromStdString(spokenOf(*e).name).replace('\r', ' ').replace('\n', ' ');
    }
    int childCount() const override { return static_cast<int>(children().size()); }
    QAccessibleInterface* child(int index) const override {
        const auto all = children();
        if (index < 0 || index >= static_cast<int>(all.size())) return nullptr;
        return QAccessible::queryAccessibleInterface(all[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto all = children();
        for (std::size_t i = 0; i < all.size(); ++i)
            if (child && child->object() == all[i]) return static_cast<int>(i);
        return -1;
    }

  private:
    // The elements a reader reads here: shown, not decoration, in reading order.
    std::vector<QWidget*> children() const {
        std::vector<QWidget*> kids;
        const Form* form = window_.form();
        if (!form) return kids;
        std::string container;
        if (widget() != &window_) {
            const Element* e = window_.elementFor(widget());
            if (!e || e->kind() != ElementKind::Frame) return kids;
            container = e->name();
        }
        for (const auto* e : readingOrder(*form, container)) {
            auto* w = window_.widgetFor(*e);
            if (w && !w->isHidden() && !spokenOf(*e).hidden) kids.push_back(w);
        }
        return kids;
    }

    FormWindow& window_;
};

// A button, read by its caption and described by the elements its design names.
class ButtonAccessible : public QAccessibleWidget {
  public:
    ButtonAccessible(QPushButton* button, FormWindow& window)
        : QAccessibleWidget(button, QAccessible::PushButton), window_(window) {}

    QString text(QAccessible::Text t) const override {
        const Element* e = window_.elementFor(widget());
        if (!e || (t != QAccessible::Name && t != QAccessible::Description))
            return QAccessibleWidget::text(t);
        // A hidden button describes nothing: a reader catching up late on its focus would read
        // the words that replaced the ones it stood for, and those are told on their own.
        if (t == QAccessible::Description && widget()->isHidden()) return {};
        const auto words = t == QAccessible::Name ? spokenOf(*e).name : describedOf(*e);
        return QString::fromStdString(words).replace('\r', ' ').replace('\n', ' ');
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<QPushButton*>(widget())->animateClick();
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

  private:
    FormWindow& window_;
};

// Words a reader speaks as they come: a notification that shows.
class AnnouncerAccessible : public QAccessibleWidget {
  public:
    explicit AnnouncerAccessible(Announcer* announcer)
        : QAccessibleWidget(announcer, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return static_cast<Announcer*>(widget())->words;
        return {};
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    auto* window = dynamic_cast<FormWindow*>(widget->window());
    if (!window) return nullptr;
    if (auto* announcer = dynamic_cast<Announcer*>(widget))
        return new AnnouncerAccessible(announcer);
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return new ButtonAccessible(button, *window);
    // The window and the widgets it draws itself; the name box is Qt's own.
    if (widget != window && className != QLatin1String("QWidget")) return nullptr;
    return new ViewAccessible(widget, *window);
}

}  // namespace

void install() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(factory);
}

}  // namespace skyvane::qtaccess

// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The widgets that mirror the model's elements, and the window that holds them.

#include <QFont>
#include <QPixmap>
#include <QWidget>
#include <unordered_map>
#include <vector>

#include "platform/form.h"

namespace skyvane {

class QtDesktop;

// Labels, images and shapes draw themselves from the model on every paint.
class ElementView : public QWidget {
  public:
    ElementView(Element& element, QWidget* parent) : QWidget(parent), element_(element) {}
    Element& element() const { return element_; }

  private:
    Element& element_;
};

// Where and how a label draws its caption: the rectangle inside its border, the flags and the
// font. The view paints with it, and the tests measure with it, so what they measure is drawn.
struct TextPlacement {
    QRect box;
    int flags = 0;
    QFont font;
};
TextPlacement labelText(const ElementDesign& design, QSize size);

class LabelView : public ElementView {
  public:
    LabelView(Label& label, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    Label& label_;
};

class ImageView : public ElementView {
  public:
    ImageView(Image& image, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    Image& image_;
};

class ShapeView : public ElementView {
  public:
    ShapeView(Shape& shape, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    Shape& shape_;
};

// Where a window's words for a screen reader are spoken from: no element, and nothing to see.
class Announcer : public QWidget {
  public:
    using QWidget::QWidget;
    QString words;
};

// One top-level window per form. It keeps no game state: every paint and every property comes
// from the model, and changes arrive through the observer.
class FormWindow : public QWidget, public FormObserver {
  public:
    FormWindow(Form& form, QtDesktop& desktop);
    ~FormWindow() override;

    // Null once the form is unloaded: the window waits to be deleted and shows nothing more.
    Form* form() const { return form_; }
    // The form is gone or going: the element views go now, the window when Qt deletes it.
    void release();
    QWidget* widgetFor(const Element& element) const;
    Element* elementFor(const QWidget* widget) const;
    // Shows the window; the first time, where the layout places it.
    void showPlaced();
    // Gives the keyboard focus to the element that holds it in the model.
    void applyFocus();
    void applyFocusLater();
    // Words for a screen reader to speak now.
    void announce(const std::string& words);

    void elementChanged(Element& element, Property property) override;
    void formChanged(Form& form, Property property) override;

  protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void build();
    void centre();

    Form* form_;
    QtDesktop& desktop_;
    std::unordered_map<const Element*, QWidget*> widgets_;
    // A few, taken in turn: a reader asks for the words when it comes to the news, which may
    // be after the next words are out.
    std::vector<Announcer*> announcers_;
    std::size_t nextAnnouncer_ = 0;
    bool placed_ = false;
    // Centred again once the window manager has told the size of its frame.
    bool centreWithFrame_ = false;
};

// Pictures come from Qt's pixmap cache, loaded at their first use.
QPixmap pixmapFor(const std::string& resource);

}  // namespace skyvane

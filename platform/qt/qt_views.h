#pragma once

// The widgets that mirror the model's elements, and the window that holds them.

#include <QPixmap>
#include <QWidget>
#include <unordered_map>

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

// One top-level window per form. It keeps no game state: every paint and every property comes
// from the model, and changes arrive through the observer.
class FormWindow : public QWidget, public FormObserver {
  public:
    FormWindow(Form& form, QtDesktop& desktop);
    ~FormWindow() override;

    Form& form() const { return form_; }
    QWidget* widgetFor(const Element& element) const;
    Element* elementFor(const QWidget* widget) const;
    void placeOnScreen();

    void elementChanged(Element& element, Property property) override;
    void formChanged(Property property) override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void build();
    void applyFocus();

    Form& form_;
    QtDesktop& desktop_;
    std::unordered_map<const Element*, QWidget*> widgets_;
    bool placed_ = false;
};

// Pictures are loaded once per resource.
QPixmap pixmapFor(const std::string& resource);

}  // namespace skyvane

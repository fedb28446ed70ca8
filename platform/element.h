// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

// The toolkit-neutral model of a window's elements. The game logic changes only the properties
// declared here; everything else about an element is its fixed look from the layout.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/picture.h"

namespace skyvane {

class Form;

// 0x00BBGGRR, as the layouts store colours.
using Colour = std::uint32_t;

enum class ElementKind { Label, Image, Shape, Frame, Button, TextBox, Timer };
enum class Align { Left, Right, Centre };
enum class ShapeKind { Rectangle, RoundedRectangle, Circle };
// Interior of a shape: Transparent shows what lies behind, Opaque the back colour, Solid the fill.
enum class Fill { Transparent, Opaque, Solid };

// Faces as the layouts name them, after the classic Japanese desktop; the adapters map them to
// faces that are installed.
namespace faces {
inline constexpr const char* kPGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* kGothic = "ＭＳ ゴシック";
inline constexpr const char* kMincho = "ＭＳ 明朝";
}  // namespace faces

struct FontDesign {
    std::string face;  // one of faces::, or empty: the window's default font
    double points = 0;
    bool bold = false;
};

// How a label is drawn.
struct LabelStyle {
    Colour fore = 0;
    Colour back = 0;
    FontDesign font = {};  // no face: the window's default font
    bool border = false;
    Align align = Align::Left;
    bool opaque = true;  // else what lies behind shows through
};

// How a shape is drawn.
struct ShapeStyle {
    ShapeKind kind = ShapeKind::Rectangle;
    Fill fill = Fill::Transparent;
    Colour back = 0;  // interior of an opaque shape
    Colour fillColour = 0;
    Colour border = 0;
    int borderWidth = 1;  // pixels, drawn inside the bounds
};

// One element as laid out. Positions and sizes are twips relative to the container.
// How a screen reader reads an element; the Qt adapter and the page both follow it.
enum class Reading {
    Own,      // by its own text: a button, a label, a frame as a group (named by readWith)
    Live,     // a label whose every change is announced: the message line
    Readout,  // a value, named by the caption of readWith and its own ("燃料 940")
    Named,    // a picture, named by `spoken` for what it shows
    Hidden,   // decoration, or words another element reads
};

// How a blinking element shows to a player who asks for no motion (a page's reduced motion):
// still, in the phase that says what the blink says.
enum class Still {
    Moves,   // as the game draws it
    Colour,  // in stillColour, whatever colour the game gives it
    Words,   // with its last words while the game blinks it blank
};

struct ElementDesign {
    ElementKind kind = ElementKind::Label;
    std::string name;
    std::string role;       // what the element is for, in a few words
    std::string container;  // empty: the window itself
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string caption;  // label and button caption, text box text
    LabelStyle label;
    std::string picture;  // resource path, empty for none
    bool stretch = false;
    ShapeStyle shape;
    Colour background = 0;  // of a frame
    int tabIndex = -1;      // -1: takes no focus
    int interval = 0;       // timer, milliseconds
    Reading reading = Reading::Own;
    std::string readWith;      // the label whose caption names this element (a readout, a box)
    std::string spoken;        // a picture's name, as the captions in the game's language
    std::string spokenAtRest;  // a shape's name while it has its design's fill (a lamp that is off)
    std::string describedBy;   // a button's description: these elements' words (names, by spaces)
    Still still = Still::Moves;
    Colour stillColour = 0;
};

enum class Property {
    Left,
    Top,
    Visible,
    Picture,
    Caption,
    Text,
    ForeColour,
    BackColour,
    FillColour,
    Interval,
    Enabled,
    Focus,
};

class Element {
  public:
    Element(Form& form, const ElementDesign& design) : form_(form), design_(design) {}
    virtual ~Element() = default;
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    const std::string& name() const { return design_.name; }
    ElementKind kind() const { return design_.kind; }
    const ElementDesign& design() const { return design_; }
    Form& form() const { return form_; }

    // Back to the laid-out values, as when the window is created.
    virtual void reset() {}

  protected:
    void notify(Property p);

  private:
    Form& form_;
    const ElementDesign& design_;
};

// Anything drawn: it has a place and can be shown or hidden.
class Control : public Element {
  public:
    using Element::Element;
    int left() const { return left_; }
    int top() const { return top_; }
    bool visible() const { return visible_; }
    void setLeft(int twips);
    void setTop(int twips);
    void setVisible(bool v);
    void reset() override;

  private:
    int left_ = 0;
    int top_ = 0;
    bool visible_ = true;
};

class Label : public Control {
  public:
    using Control::Control;
    const std::string& caption() const { return caption_; }
    Colour foreColour() const { return fore_; }
    Colour backColour() const { return back_; }
    void setCaption(std::string text);
    void setForeColour(Colour c);
    void setBackColour(Colour c);
    void reset() override;

  private:
    std::string caption_;
    Colour fore_ = 0;
    Colour back_ = 0;
};

class Image : public Control {
  public:
    using Control::Control;
    const Picture& picture() const { return picture_; }
    void setPicture(Picture p);
    void reset() override;

  private:
    Picture picture_;
};

class Shape : public Control {
  public:
    using Control::Control;
    Colour fillColour() const { return fill_; }
    void setFillColour(Colour c);
    void reset() override;

  private:
    Colour fill_ = 0;
};

class Frame : public Control {
  public:
    using Control::Control;
};

// Buttons and the text box can hold the keyboard focus.
class Focusable : public Control {
  public:
    using Control::Control;
    bool hasFocus() const;
    void setFocus();
};

class Button : public Focusable {
  public:
    using Focusable::Focusable;
    const std::string& caption() const { return design().caption; }
    std::function<void()> onClick;
};

class TextBox : public Focusable {
  public:
    using Focusable::Focusable;
    const std::string& text() const { return text_; }
    void setText(std::string text);
    void reset() override;

  private:
    std::string text_;
};

// The period of the timer grid that a timer counts from; the desktop that runs the timers.
class TimerClock {
  public:
    virtual ~TimerClock() = default;
    virtual std::uint64_t period() const = 0;
};

class Timer : public Element {
  public:
    using Element::Element;
    int interval() const { return interval_; }
    bool enabled() const { return enabled_; }
    void setInterval(int ms);
    void setEnabled(bool e);
    void reset() override;

    // Whole 1/64 s periods between ticks; 0 never ticks.
    int periods() const { return periods_; }
    static int periodsFor(int intervalMs);

    std::function<void()> onTimer;

  private:
    // The schedule belongs to the desktop that runs the timer; the logic sees only the interval
    // and whether the timer runs.
    friend class DesktopBase;
    void restart();
    void scheduleNext(std::uint64_t now) { due_ = now + static_cast<std::uint64_t>(periods_); }

    int interval_ = 0;
    int periods_ = 0;
    bool enabled_ = true;
    bool running_ = false;  // its handler is on the stack
    const TimerClock* clock_ = nullptr;
    std::uint64_t due_ = 0;
};

}  // namespace skyvane

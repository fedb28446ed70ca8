// SPDX-FileCopyrightText: 2026 the Skyvane developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/element.h"

namespace skyvane {

enum class BorderStyle { FixedSingle, Sizable };
enum class StartPosition { CentreScreen, WindowsDefault };

struct FormDesign {
    std::string name;
    std::string caption;
    int clientWidth = 0;  // twips
    int clientHeight = 0;
    BorderStyle border = BorderStyle::FixedSingle;
    bool minButton = false;
    bool maxButton = false;
    Colour background = 0;
    StartPosition start = StartPosition::CentreScreen;
    std::string icon;  // resource path
    // Front to back within each container, as the layout tables list them.
    std::vector<ElementDesign> elements;
};

// Told of every change the logic makes, so a view can mirror the model.
class Form;

class FormObserver {
  public:
    virtual ~FormObserver() = default;
    virtual void elementChanged(Element& element, Property property) = 0;
    virtual void formChanged(Form& form, Property property) = 0;  // Caption or Focus
};

// One window. Screens derive from it, bind its elements to members named after them and
// override the event handlers they have.
class Form {
  public:
    explicit Form(const FormDesign& design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const FormDesign& design() const { return design_; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);

    bool loaded() const { return loaded_; }
    bool visible() const { return visible_; }

    const std::vector<std::unique_ptr<Element>>& elements() const { return elements_; }
    Element* find(std::string_view name) const;
    // The element of that name and kind; a layout that lacks it is a programming error.
    template <class T>
    T& get(std::string_view name) const {
        return dynamic_cast<T&>(*findOrThrow(name));
    }

    // The element holding the keyboard focus, or null when the window holds it itself.
    Focusable* focus() const { return focus_; }
    // The first visible one after this tab index (-1: the first of all), or null.
    Focusable* nextInTabOrder(int tabIndex) const;

    virtual void Form_Load() {}
    virtual void Form_Unload(std::int16_t& Cancel) { (void)Cancel; }
    virtual void Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift) {
        (void)KeyCode;
        (void)Shift;
    }
    virtual void Form_KeyUp(std::int16_t KeyCode, std::int16_t Shift) {
        (void)KeyCode;
        (void)Shift;
    }

    // The words that answer a player's question asked with this key (how high, how fast), for
    // screen readers; nullopt: the key is no question, and goes to the game.
    virtual std::optional<std::string> answerReader(int keyCode) const {
        (void)keyCode;
        return std::nullopt;
    }

    // For the desktop and its adapters: the view that mirrors the form, and a second listener
    // that logs every change (replays and their tests compare such logs).
    void setObserver(FormObserver* observer) { observer_ = observer; }
    FormObserver* observer() const { return observer_; }
    void setTrace(FormObserver* trace) { trace_ = trace; }
    FormObserver* trace() const { return trace_; }
    void setLoaded(bool loaded) { loaded_ = loaded; }
    void setVisible(bool visible) { visible_ = visible; }
    void resetElements();
    // Focus moved by the player (a click or Tab) or by the logic.
    void takeFocus(Focusable* element);
    // After a visibility change: a hidden focus holder passes the focus on in tab order, and a
    // window holding the focus itself gives it to the first element that shows.
    void refocus();

  private:
    Element* findOrThrow(std::string_view name) const;

    const FormDesign& design_;
    std::string caption_;
    std::vector<std::unique_ptr<Element>> elements_;
    std::vector<Focusable*> tabStops_;  // every element that can take the focus, in tab order
    Focusable* focus_ = nullptr;
    FormObserver* observer_ = nullptr;
    FormObserver* trace_ = nullptr;
    bool loaded_ = false;
    bool visible_ = false;
};

// The form of that name among these, or null.
Form* formNamed(const std::vector<Form*>& forms, std::string_view name);

}  // namespace skyvane

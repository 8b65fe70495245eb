#pragma once

#include <cstdint>
#include <functional>

// What a plugin's own view asks of the program that shows it. Main thread,
// also while the view is being opened.
struct EffectPluginUiCallbacks {
    // The view set one of the effect's parameters (a control input, never an
    // output or the bypass).
    std::function<void(std::uint32_t id, float value)> setParameter;
    // The view wants its window this many pixels wide and high (both positive).
    std::function<void(int width, int height)> resize;
};

// A plugin's own X11 view, opened inside a parent X window. It draws the
// values it is given and reports what the user sets through the callbacks.
// Main thread only; it must go before its parent window does.
class EffectPluginUi {
public:
    virtual ~EffectPluginUi() = default;

    // The view's X window inside the parent; 0 for a view that shows a
    // window of its own.
    virtual std::uintptr_t window() const = 0;
    // One step of the view's own work, about 30 times a second; a view that
    // asked to close is stepped no more.
    virtual void idle() = 0;
    // A parameter's or an output's value, for the view to draw.
    virtual void setValue(std::uint32_t id, float value) = 0;
    // Where the plugin lets its host show and hide the view.
    virtual void show() = 0;
    virtual void hide() = 0;
};

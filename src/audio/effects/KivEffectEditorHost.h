#pragma once

#include "audio/effects/KivEffectEditorWindow.h"

#include <memory>
#include <string>

// An effect's editor window while it has one, and where the window last was,
// so that the next one opens there. Main thread.
class KivEffectEditorHost {
public:
    KivEffectEditorWindow* window() const { return _window.get(); }
    bool isOpen() const { return _window && _window->isVisible(); }
    const std::string& lastFrame() const { return _lastFrame; }
    void setLastFrame(std::string frame) { _lastFrame = std::move(frame); }
    // Where an open window is now, else where the last one was.
    std::string frame() const { return isOpen() ? _window->frameText() : _lastFrame; }

    // Shows the window; false when there is none.
    bool show();
    // Takes a new window (or none) and moves it to where the last one was.
    void open(std::unique_ptr<KivEffectEditorWindow> window);
    // Moves the window, when there is one, to where the last one was.
    void placeAtLastFrame();
    // Closes the window, keeping where it was.
    void close();
    // The window closed itself: ownership goes back to the caller.
    std::unique_ptr<KivEffectEditorWindow> willClose();

private:
    std::unique_ptr<KivEffectEditorWindow> _window;
    std::string _lastFrame;
};

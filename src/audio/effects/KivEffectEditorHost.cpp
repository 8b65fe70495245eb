#include "audio/effects/KivEffectEditorHost.h"

bool KivEffectEditorHost::show() {
    if (!_window) {
        return false;
    }
    _window->show();
    return true;
}

void KivEffectEditorHost::open(std::unique_ptr<KivEffectEditorWindow> window) {
    _window = std::move(window);
    placeAtLastFrame();
}

void KivEffectEditorHost::placeAtLastFrame() {
    if (_window && !_lastFrame.empty()) {
        _window->setFrameText(_lastFrame);
    }
}

void KivEffectEditorHost::close() {
    std::unique_ptr<KivEffectEditorWindow> window = std::move(_window);
    if (window) {
        if (window->isVisible()) {
            _lastFrame = window->frameText();
        }
        window->close();
    }
}

std::unique_ptr<KivEffectEditorWindow> KivEffectEditorHost::willClose() {
    if (_window && _window->isVisible()) {
        _lastFrame = _window->frameText();
    }
    return std::move(_window);
}

#pragma once

#include <functional>
#include <memory>
#include <string>

class KivEffect;

// The window an effect opens for its editor. The window layer implements it
// and installs a factory; without one, effects open no editor. Main thread.
class KivEffectEditorWindow {
public:
    virtual ~KivEffectEditorWindow() = default;
    virtual bool isVisible() const = 0;
    // The window's frame as rectangle text.
    virtual std::string frameText() const = 0;
    virtual void setFrameText(const std::string& frame) = 0;
    virtual void show() = 0;
    // Closes the window without calling KivEffect::editorWillClose.
    virtual void close() = 0;
};

using KivEffectEditorFactory = std::function<std::unique_ptr<KivEffectEditorWindow>(KivEffect&)>;

// Main thread; an empty factory removes it.
void setEffectEditorFactory(KivEffectEditorFactory factory);
const KivEffectEditorFactory& effectEditorFactory();

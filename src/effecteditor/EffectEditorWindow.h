#pragma once

#include "audio/effects/KivEffectEditorWindow.h"

#include <memory>

class EffectEditor;
class EffectPresetExecutor;
class KivEffect;
class KivPrompts;

// What an effect holds for its open editor. The editor widget is deleted
// through the event loop, since the effect may drop this from inside the
// widget's own close.
class EffectEditorWindow final : public KivEffectEditorWindow {
public:
    EffectEditorWindow(KivEffect& effect, KivPrompts& prompts,
                       std::shared_ptr<EffectPresetExecutor> executor);
    ~EffectEditorWindow() override;

    EffectEditor* editor() const { return _editor; }

    bool isVisible() const override;
    std::string frameText() const override;
    void setFrameText(const std::string& frame) override;
    void show() override;
    void close() override;

private:
    EffectEditor* _editor;
};

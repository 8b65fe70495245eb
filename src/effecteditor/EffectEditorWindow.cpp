#include "effecteditor/EffectEditorWindow.h"

#include "effecteditor/EffectEditor.h"

#include <cstdio>

EffectEditorWindow::EffectEditorWindow(KivEffect& effect, KivPrompts& prompts,
                                       std::shared_ptr<EffectPresetExecutor> executor)
    : _editor(new EffectEditor(effect, prompts, std::move(executor))) {}

EffectEditorWindow::~EffectEditorWindow() {
    _editor->detachFromEffect();
    _editor->hide();
    _editor->deleteLater();
}

bool EffectEditorWindow::isVisible() const {
    return _editor->isVisible();
}

// "{{x, y}, {width, height}}", as stored with the effect.
std::string EffectEditorWindow::frameText() const {
    const QRect frame = _editor->geometry();
    return "{{" + std::to_string(frame.x()) + ", " + std::to_string(frame.y()) + "}, {" +
           std::to_string(frame.width()) + ", " + std::to_string(frame.height()) + "}}";
}

void EffectEditorWindow::setFrameText(const std::string& frame) {
    double x = 0, y = 0, width = 0, height = 0;
    if (std::sscanf(frame.c_str(), "{{%lf, %lf}, {%lf, %lf}}", &x, &y, &width, &height) == 4 &&
        width > 0 && height > 0) {
        // Only the place: the size is the view's own.
        _editor->move(static_cast<int>(x), static_cast<int>(y));
    }
}

void EffectEditorWindow::show() {
    _editor->show();
    _editor->raise();
    _editor->activateWindow();
}

void EffectEditorWindow::close() {
    _editor->hide();
}

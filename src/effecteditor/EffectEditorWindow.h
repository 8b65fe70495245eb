#pragma once

#include "audio/effects/KivEffectEditorWindow.h"

#include <QObject>

#include <functional>
#include <memory>

class EffectEditor;
class EffectPresetExecutor;
class KivEffect;
class KivPrompts;
class QWidget;

// What an effect holds for its open editor. The editor widget is deleted
// through the event loop, since the effect may drop this from inside the
// widget's own close.
//
// A new editor comes up beside the workspace window its effect's cue is in
// (see setWorkspaceWindowFinder); one whose effect remembers a frame on a
// screen of this display opens there instead. While its workspace window is
// not up yet (a show being opened), the editor waits for the event loop's
// next turn, so that it does not open on its own elsewhere first.
class EffectEditorWindow final : public KivEffectEditorWindow {
public:
    // The workspace window of an effect's cue; nullptr when there is none.
    using WorkspaceWindowFinder = std::function<QWidget*(const KivEffect&)>;

    EffectEditorWindow(KivEffect& effect, KivPrompts& prompts,
                       std::shared_ptr<EffectPresetExecutor> executor);
    ~EffectEditorWindow() override;

    // GUI thread; an empty finder removes it (editors then open where the
    // window system puts them).
    static void setWorkspaceWindowFinder(WorkspaceWindowFinder finder);

    EffectEditor* editor() const { return _editor; }

    bool isVisible() const override;
    // "{{x, y}, {width, height}}": the window's top left, frame included, and
    // its size, in global coordinates with y down.
    std::string frameText() const override;
    // Moves the window there, unless no screen shows that place.
    void setFrameText(const std::string& frame) override;
    void show() override;
    void close() override;

private:
    // Shows the editor beside its workspace window, once that is up.
    void present(bool waited);

    EffectEditor* _editor;
    // A remembered frame placed the window: nothing moves it after.
    bool _placed = false;
    // What a wait for the workspace window runs in: it goes with this.
    std::unique_ptr<QObject> _waiting;
};

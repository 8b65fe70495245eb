#pragma once

#include "foundation/Signal.h"

#include <QWidget>

#include <cstdint>
#include <map>
#include <memory>
#include <set>

class EffectPluginUi;
class KivEffect;
class QTimer;

// A plugin's own X11 user interface, embedded in this native widget. What
// the UI writes goes to the effect's parameters; the effect's values and
// outputs reach the UI from a GUI timer that also drives the UI's idle
// calls, never from the render thread. Main thread, Qt on xcb only.
class EffectPluginView final : public QWidget {
public:
    static constexpr int kIdleIntervalMs = 33;

    // nullptr when the effect's plugin has no X11 UI; a UI that fails to
    // load logs a line and also gives nullptr, so the generic view is shown.
    static EffectPluginView* create(KivEffect& effect, QWidget* parent);
    ~EffectPluginView() override;

    // The UI's own X window inside this one; 0 for a UI that shows a window
    // of its own.
    std::uintptr_t uiWindow() const;
    // One timer step: the UI's idle call, then the outputs that changed.
    void idle();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    EffectPluginView(KivEffect& effect, QWidget* parent);
    bool load();
    void sendValue(std::uint32_t id);
    void sendInputs();

    KivEffect& _effect;
    std::unique_ptr<EffectPluginUi> _ui;
    std::set<std::uint32_t> _inputs;
    std::map<std::uint32_t, float> _outputs; // the value the UI last got
    QTimer* _timer;
    Connection _listening;
    bool _sized = false;   // the UI asked for its size
    bool _writing = false; // a UI write must not echo back to the UI
};

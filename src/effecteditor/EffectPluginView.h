#pragma once

#include "foundation/Signal.h"

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <QWidget>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class KivEffect;
class QTimer;
struct SuilHostImpl;
struct SuilInstanceImpl;

// A plugin's own X11 user interface, embedded in this native widget through
// suil. What the UI writes goes to the effect's parameters; the effect's
// values and outputs reach the UI from a GUI timer that also drives the UI's
// idle calls, never from the render thread. Main thread, Qt on xcb only.
class EffectPluginView final : public QWidget {
public:
    static constexpr int kIdleIntervalMs = 33;

    // nullptr when the effect's plugin has no X11 UI; a UI that fails to
    // load logs a line and also gives nullptr, so the generic view is shown.
    static EffectPluginView* create(KivEffect& effect, QWidget* parent);
    ~EffectPluginView() override;

    // The UI's own X window inside this one; 0 for a UI that shows a window
    // of its own.
    std::uintptr_t uiWindow() const { return _uiWindow; }
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

    static void writeFromUi(void* controller, std::uint32_t port, std::uint32_t size,
                            std::uint32_t protocol, const void* buffer);
    static std::uint32_t indexForSymbol(void* controller, const char* symbol);
    static int resizeFromUi(LV2UI_Feature_Handle handle, int width, int height);

    KivEffect& _effect;
    SuilHostImpl* _host = nullptr;
    SuilInstanceImpl* _instance = nullptr;
    std::uintptr_t _uiWindow = 0;
    const LV2UI_Idle_Interface* _idle = nullptr;
    const LV2UI_Show_Interface* _show = nullptr;
    std::set<std::uint32_t> _inputs;
    std::map<std::uint32_t, float> _outputs; // the value the UI last got
    std::map<std::string, std::uint32_t> _symbols;
    // The features live as long as the UI, which may keep pointers to them.
    float _sampleRate = 0.0f;
    LV2UI_Resize _resize{};
    std::vector<LV2_Options_Option> _options;
    std::vector<LV2_Feature> _features;
    std::vector<const LV2_Feature*> _featureList;
    QTimer* _timer;
    Connection _listening;
    bool _sized = false;   // the UI asked for its size
    bool _writing = false; // a UI write must not echo back to the UI
};

#pragma once

#include "platform/effects/EffectPluginUi.h"
#include "platform/effects/Lv2World.h"

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class Lv2Processor;
struct SuilHostImpl;
struct SuilInstanceImpl;

// An LV2 plugin's own X11 UI, loaded through suil inside a parent X window.
// Only plain float writes to control inputs come back from it. Main thread.
class Lv2PluginUi final : public EffectPluginUi {
public:
    // nullptr with `failure` empty when the plugin has no X11 UI suil can
    // host; nullptr with the reason when that UI cannot be loaded.
    static std::unique_ptr<Lv2PluginUi> open(const Lv2Processor& processor, std::uintptr_t parent,
                                             EffectPluginUiCallbacks callbacks,
                                             std::string& failure);
    ~Lv2PluginUi() override;
    Lv2PluginUi(const Lv2PluginUi&) = delete;
    Lv2PluginUi& operator=(const Lv2PluginUi&) = delete;

    std::uintptr_t window() const override { return _window; }
    void idle() override;
    void setValue(std::uint32_t id, float value) override;
    void show() override;
    void hide() override;

private:
    Lv2PluginUi(std::shared_ptr<Lv2World> world, EffectPluginUiCallbacks callbacks);
    // "" when loaded, else why not.
    std::string load(const Lv2Processor& processor, const LilvUI* ui, const LilvNode* type,
                     std::uintptr_t parent);

    static void writeFromUi(void* controller, std::uint32_t port, std::uint32_t size,
                            std::uint32_t protocol, const void* buffer);
    static std::uint32_t indexForSymbol(void* controller, const char* symbol);
    static int resizeFromUi(LV2UI_Feature_Handle handle, int width, int height);

    // The features hand the UI the world's URID map.
    std::shared_ptr<Lv2World> _world;
    EffectPluginUiCallbacks _callbacks;
    SuilHostImpl* _host = nullptr;
    SuilInstanceImpl* _instance = nullptr;
    std::uintptr_t _window = 0;
    const LV2UI_Idle_Interface* _idle = nullptr;
    const LV2UI_Show_Interface* _show = nullptr;
    std::set<std::uint32_t> _inputs;
    std::map<std::string, std::uint32_t> _symbols;
    // The features live as long as the UI, which may keep pointers to them.
    float _sampleRate = 0.0f;
    LV2UI_Resize _resize{};
    std::vector<LV2_Options_Option> _options;
    std::vector<LV2_Feature> _features;
    std::vector<const LV2_Feature*> _featureList;
};

#pragma once

#include "platform/effects/EffectProcessor.h"
#include "platform/effects/Lv2PortLayout.h"
#include "platform/effects/Lv2Runtime.h"
#include "platform/effects/Lv2World.h"

#include <atomic>
#include <memory>
#include <string>

// An effect unit over one LV2 plugin.
//
// Threads: the main thread makes it, prepares it, reads and restores state
// and applies presets, holding the render lock the processor was made with
// (prepare(), setState() and applyFactoryPreset() demand it as proof), never
// while the render thread runs process() (see EffectRenderLock). Parameter
// values and bypass are atomics written from any thread and copied into the
// plugin's port buffers at the start of each block.
class Lv2Processor final : public EffectProcessor {
public:
    // Main thread. nullptr with kEffectComponentNotFound when the world does
    // not know the URI or the plugin needs a feature the host cannot give.
    static std::unique_ptr<Lv2Processor> create(std::shared_ptr<Lv2World> world,
                                                const std::string& uri, std::mutex& renderLock,
                                                std::int32_t& status);
    ~Lv2Processor() override;

    const std::string& uri() const { return _uri; }
    // Main thread: what the plugin's UI is found and loaded with.
    const std::shared_ptr<Lv2World>& world() const { return _world; }
    const LilvPlugin* plugin() const { return _plugin; }

    std::int32_t prepare(const EffectRenderLock& held, double sampleRate, std::uint32_t maxFrames,
                         std::uint32_t channels) override;
    bool isPrepared() const override { return _runtime != nullptr; }
    double sampleRate() const override { return _runtime ? _runtime->sampleRate() : 0.0; }
    std::uint32_t channels() const override { return _runtime ? _runtime->channels() : 0; }
    std::vector<EffectChannelPair> supportedChannels() const override;

    void process(const float* const* input, float* const* output, std::uint32_t frames) override;

    const std::vector<EffectParameter>& parameters() const override { return _parameters; }
    std::int32_t setParameter(std::uint32_t id, float value) override;
    float parameter(std::uint32_t id) const override;
    const std::vector<EffectParameter>& outputs() const override { return _outputs; }

    void setBypassed(bool bypassed) override { _bypassed.store(bypassed); }
    bool bypassed() const override { return _bypassed.load(); }
    double latency() const override;

    EffectState state() const override;
    std::int32_t setState(const EffectRenderLock& held, const EffectState& state) override;

    std::vector<EffectPreset> factoryPresets() const override;
    std::int32_t applyFactoryPreset(const EffectRenderLock& held, std::int32_t number) override;
    EffectPreset presentPreset() const override { return _presentPreset; }
    void setPresentPreset(const EffectPreset& preset) override { _presentPreset = preset; }

    std::unique_ptr<EffectPluginUi> openUi(std::uintptr_t parent, EffectPluginUiCallbacks callbacks,
                                           std::string& failure) const override;

private:
    struct StateDeleter {
        void operator()(LilvState* state) const;
    };
    using StatePointer = std::unique_ptr<LilvState, StateDeleter>;
    struct Preset {
        std::string uri;
        std::string name;
    };

    Lv2Processor(std::shared_ptr<Lv2World> world, const LilvPlugin* plugin, std::string uri,
                 std::mutex& renderLock);
    const EffectParameter* findParameter(std::uint32_t id) const;
    const EffectParameter* findParameter(const std::string& symbol) const;
    // The plugin's own state, taken from the live instance; nullptr when the
    // plugin keeps none.
    StatePointer capturePluginState() const;
    // Gives a state's properties to every instance; render lock held.
    void restorePluginState(const Lv2Runtime& runtime, const LilvState* state) const;
    // Port values of a state or preset, by symbol, into the parameters.
    static void setPortValue(const char* symbol, void* processor, const void* value,
                             std::uint32_t size, std::uint32_t type);
    // One silent block, so that the latency port holds its value.
    void prime();

    std::shared_ptr<Lv2World> _world;
    const LilvPlugin* _plugin;
    std::string _uri;
    Lv2PortLayout _layout;
    std::vector<EffectParameter> _parameters;
    std::vector<EffectParameter> _outputs;
    std::vector<Preset> _presets;
    bool _hasStateInterface;

    // One per port index: inputs written from any thread and read by the
    // render thread, control outputs the other way round.
    std::unique_ptr<std::atomic<float>[]> _values;
    std::atomic<bool> _bypassed{false};
    // Written by the render thread after each block, read anywhere.
    std::atomic<float> _latencyFrames{0.0f};

    // Swapped on the main thread under the render lock, never while the render thread reads it.
    std::unique_ptr<Lv2Runtime> _runtime;
    // Main thread: the plugin's own state waiting for an instance.
    StatePointer _pendingState;
    EffectPreset _presentPreset;
    std::uint32_t _atomFloat;
    std::uint32_t _atomDouble;
    std::uint32_t _atomInt;
    std::uint32_t _atomLong;
    std::uint32_t _atomBool;
};

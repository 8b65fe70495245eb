#pragma once

#include "platform/effects/EffectPluginUi.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A named value of a parameter with an enumeration.
struct EffectScalePoint {
    float value = 0.0f;
    std::string label;

    bool operator==(const EffectScalePoint&) const = default;
};

// One parameter of an effect; its id is the index of the plugin's control
// port (an input, or an output the plugin reports to the host).
struct EffectParameter {
    std::uint32_t id = 0;
    std::string symbol;
    std::string name;
    float minValue = 0.0f;
    float maxValue = 1.0f;
    float defaultValue = 0.0f;
    bool toggled = false;
    bool integer = false;
    bool logarithmic = false;
    // Only the scale points' values are meant.
    bool enumeration = false;
    // The plugin asks hosts to keep it out of a generated view.
    bool notOnGui = false;
    std::vector<EffectScalePoint> scalePoints; // in value order
};

// What an effect needs to come back as it was: parameter values keyed by port
// symbol (indices change between plugin versions), the plugin's own state as
// text where it keeps one, and the name of the preset last chosen.
struct EffectState {
    std::map<std::string, float> settings;
    std::string pluginState; // empty: the plugin keeps no state of its own
    std::string presetName;

    bool operator==(const EffectState&) const = default;
};

// A factory preset: its number is its place in factoryPresets().
struct EffectPreset {
    std::int32_t number = -1;
    std::string name;
};

// A supported channel layout; -1 on both sides means any count, the same on
// input and output.
struct EffectChannelPair {
    std::int16_t inputs = 0;
    std::int16_t outputs = 0;

    bool operator==(const EffectChannelPair&) const = default;
};

// The render lock of the graph that holds the processor, held. Whatever
// changes what process() reads (preparing, restoring state, applying a
// preset) asks for the held lock as its proof and refuses a lock of any other
// mutex, or one not held, with kEffectCannotDoInCurrentContext: an owner
// that runs process() under the same lock never runs it meanwhile, and an
// owner that runs it from a chain handed to its render thread changes only
// processors that chain does not hold. Parameters and bypass need no lock.
using EffectRenderLock = std::unique_lock<std::mutex>;

// An effect unit: one plugin, prepared for a rate, a block size and a channel
// count, processing non-interleaved float. Made on the main thread, bound to
// its graph's render lock; it must be unhooked from the render path before
// it is destroyed.
class EffectProcessor {
public:
    explicit EffectProcessor(std::mutex& renderLock)
        : _renderLock(renderLock) {}
    virtual ~EffectProcessor() = default;
    EffectProcessor(const EffectProcessor&) = delete;
    EffectProcessor& operator=(const EffectProcessor&) = delete;

    // Main thread, render lock held. Instantiates the plugin for this format
    // (again, when the format changes: parameters, bypass and the plugin's own
    // state carry over). A channel count the plugin cannot take gives
    // kEffectFormatNotSupported; any refusal leaves the previous preparation
    // in place.
    virtual std::int32_t prepare(const EffectRenderLock& held, double sampleRate,
                                 std::uint32_t maxFrames, std::uint32_t channels) = 0;
    // Main thread. The prepared format; 0 when unprepared.
    virtual bool isPrepared() const = 0;
    virtual double sampleRate() const = 0;
    virtual std::uint32_t channels() const = 0;
    // Main thread. The layouts prepare() accepts.
    virtual std::vector<EffectChannelPair> supportedChannels() const = 0;

    // Render thread; never allocates or blocks. One buffer
    // per prepared channel; input and output may be the same buffers. Any
    // number of frames (runs in blocks of at most maxFrames). Unprepared, it
    // does nothing.
    virtual void process(const float* const* input, float* const* output, std::uint32_t frames) = 0;

    // Any thread. Ids are control input port indices; the enabled port is
    // bypass, not a parameter. Values are clamped to the range; an unknown id
    // gives kEffectInvalidParameter (setting) or 0 (reading).
    virtual const std::vector<EffectParameter>& parameters() const = 0;
    virtual std::int32_t setParameter(std::uint32_t id, float value) = 0;
    virtual float parameter(std::uint32_t id) const = 0;
    // Any thread. The control outputs a view may show (the latency port left
    // out); parameter() reads them as of the last block.
    virtual const std::vector<EffectParameter>& outputs() const {
        static const std::vector<EffectParameter> none;
        return none;
    }

    // Any thread; takes effect at the next block.
    virtual void setBypassed(bool bypassed) = 0;
    virtual bool bypassed() const = 0;

    // Any thread. Seconds of delay the plugin reports (0 while bypassed by the
    // host or unprepared); the tail is always 0.
    virtual double latency() const = 0;
    double tailTime() const { return 0.0; }

    // Main thread. Reading runs beside process(); restoring needs the lock.
    // Unprepared, the state is held and given to the plugin when it is made.
    // Text the plugin cannot take gives kEffectInvalidPropertyValue and
    // changes nothing.
    virtual EffectState state() const = 0;
    virtual std::int32_t setState(const EffectRenderLock& held, const EffectState& state) = 0;

    // Main thread. The plugin's factory presets; applying one also makes it
    // the present preset. A number out of range gives kEffectInvalidPropertyValue.
    virtual std::vector<EffectPreset> factoryPresets() const = 0;
    virtual std::int32_t applyFactoryPreset(const EffectRenderLock& held, std::int32_t number) = 0;
    // Main thread. The preset last applied or named ({-1, name} names a user preset).
    virtual EffectPreset presentPreset() const = 0;
    virtual void setPresentPreset(const EffectPreset& preset) = 0;

    // Main thread. The plugin's own view, opened inside the X window
    // `parent`; nullptr when the plugin has none this host can show. A view
    // that exists but cannot be opened also gives nullptr, and says why in
    // `failure`. The view keeps no reference to the processor.
    virtual std::unique_ptr<EffectPluginUi> openUi(std::uintptr_t /*parent*/,
                                                   EffectPluginUiCallbacks /*callbacks*/,
                                                   std::string& /*failure*/) const {
        return nullptr;
    }

protected:
    // True when `held` is a held lock of this processor's render mutex.
    bool holds(const EffectRenderLock& held) const {
        return held.owns_lock() && held.mutex() == &_renderLock;
    }

private:
    std::mutex& _renderLock;
};

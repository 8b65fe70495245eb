#pragma once

#include "platform/effects/EffectProcessor.h"
#include "platform/effects/EffectStatus.h"

#include <functional>
#include <mutex>
#include <vector>

// A processor that shapes each sample by a function of its own, on any
// channel count, and reports a latency it does not have; bypassed, it passes
// the input through.
class ShapingProcessor : public EffectProcessor {
public:
    ShapingProcessor(std::mutex& renderLock, std::function<float(float)> shape,
                     double latencySeconds = 0.0)
        : EffectProcessor(renderLock)
        , _shape(std::move(shape))
        , _latency(latencySeconds) {}

    std::int32_t prepare(const EffectRenderLock& held, double rate, std::uint32_t,
                         std::uint32_t channels) override {
        if (!holds(held)) {
            return kEffectCannotDoInCurrentContext;
        }
        _rate = rate;
        _channels = channels;
        return kEffectNoErr;
    }
    bool isPrepared() const override { return _channels > 0; }
    double sampleRate() const override { return _rate; }
    std::uint32_t channels() const override { return _channels; }
    std::vector<EffectChannelPair> supportedChannels() const override { return {{-1, -1}}; }
    void process(const float* const* input, float* const* output, std::uint32_t frames) override {
        for (std::uint32_t k = 0; k < _channels; ++k) {
            for (std::uint32_t i = 0; i < frames; ++i) {
                output[k][i] = _bypassed ? input[k][i] : _shape(input[k][i]);
            }
        }
    }
    const std::vector<EffectParameter>& parameters() const override { return _parameters; }
    std::int32_t setParameter(std::uint32_t, float) override { return kEffectInvalidParameter; }
    float parameter(std::uint32_t) const override { return 0.0f; }
    void setBypassed(bool bypassed) override { _bypassed = bypassed; }
    bool bypassed() const override { return _bypassed; }
    double latency() const override { return _latency; }
    EffectState state() const override { return {}; }
    std::int32_t setState(const EffectRenderLock&, const EffectState&) override {
        return kEffectNoErr;
    }
    std::vector<EffectPreset> factoryPresets() const override { return {}; }
    std::int32_t applyFactoryPreset(const EffectRenderLock&, std::int32_t) override {
        return kEffectInvalidPropertyValue;
    }
    EffectPreset presentPreset() const override { return {}; }
    void setPresentPreset(const EffectPreset&) override {}

private:
    std::function<float(float)> _shape;
    double _latency;
    double _rate = 0.0;
    std::uint32_t _channels = 0;
    bool _bypassed = false;
    std::vector<EffectParameter> _parameters;
};

#include "platform/effects/Lv2Runtime.h"

#include "platform/effects/EffectStatus.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/parameters/parameters.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Room for the events a plugin writes in one block; inputs stay empty.
constexpr std::uint32_t kAtomBufferBytes = 8192;

} // namespace

std::unique_ptr<Lv2Runtime> Lv2Runtime::create(Lv2World& world, const LilvPlugin* plugin,
                                               const Lv2PortLayout& layout, double sampleRate,
                                               std::uint32_t maxFrames, std::uint32_t channels,
                                               std::int32_t& status) {
    const auto fit =
        EffectChannelFit::of(static_cast<std::uint32_t>(layout.audioInputs.size()),
                             static_cast<std::uint32_t>(layout.audioOutputs.size()), channels);
    if (!fit || maxFrames == 0 || !std::isfinite(sampleRate) || sampleRate <= 0.0) {
        status = kEffectFormatNotSupported;
        return nullptr;
    }
    std::unique_ptr<Lv2Runtime> runtime(
        new Lv2Runtime(world, layout, *fit, sampleRate, maxFrames, channels));
    if (!runtime->instantiate(plugin, fit->instances)) {
        status = kEffectFailedInitialization;
        return nullptr;
    }
    status = kEffectNoErr;
    return runtime;
}

Lv2Runtime::Lv2Runtime(Lv2World& world, const Lv2PortLayout& layout, EffectChannelFit fit,
                       double sampleRate, std::uint32_t maxFrames, std::uint32_t channels)
    : _layout(layout)
    , _fit(fit)
    , _sampleRate(sampleRate)
    , _maxFrames(maxFrames)
    , _channels(channels)
    , _atomSequence(world.urids().map(LV2_ATOM__Sequence))
    , _atomChunk(world.urids().map(LV2_ATOM__Chunk))
    , _maxBlock(static_cast<std::int32_t>(maxFrames))
    , _sequenceSize(static_cast<std::int32_t>(kAtomBufferBytes))
    , _rate(static_cast<float>(sampleRate)) {
    for (const Lv2Port& port : layout.ports) {
        if (port.kind == Lv2Port::Kind::Atom) {
            _atomPorts.push_back(port.index);
        } else if (port.kind == Lv2Port::Kind::Control && !port.input) {
            _controlOutputs.push_back(port.index);
        } else if (port.kind == Lv2Port::Kind::Control && port.index != layout.enabledPort) {
            _controlInputs.push_back(port.index);
        }
    }
    UridMap& urids = world.urids();
    const std::uint32_t atomInt = urids.map(LV2_ATOM__Int);
    const std::uint32_t atomFloat = urids.map(LV2_ATOM__Float);
    auto option = [](std::uint32_t key, std::uint32_t type, const void* value, std::uint32_t size) {
        return LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, key, size, type, value};
    };
    _options[0] = option(urids.map(LV2_BUF_SIZE__minBlockLength), atomInt, &_minBlock, 4);
    _options[1] = option(urids.map(LV2_BUF_SIZE__maxBlockLength), atomInt, &_maxBlock, 4);
    _options[2] = option(urids.map(LV2_BUF_SIZE__nominalBlockLength), atomInt, &_maxBlock, 4);
    _options[3] = option(urids.map(LV2_BUF_SIZE__sequenceSize), atomInt, &_sequenceSize, 4);
    _options[4] = option(urids.map(LV2_PARAMETERS__sampleRate), atomFloat, &_rate, 4);
    _options[5] = LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    _map = LV2_Feature{LV2_URID__map, urids.mapFeatureData()};
    _unmap = LV2_Feature{LV2_URID__unmap, urids.unmapFeatureData()};
    _optionsFeature = LV2_Feature{LV2_OPTIONS__options, _options};
    _boundedBlock = LV2_Feature{LV2_BUF_SIZE__boundedBlockLength, nullptr};
    _featureList[0] = &_map;
    _featureList[1] = &_unmap;
    _featureList[2] = &_optionsFeature;
    _featureList[3] = &_boundedBlock;
    _featureList[4] = nullptr;
}

Lv2Runtime::~Lv2Runtime() {
    for (Instance& instance : _instances) {
        lilv_instance_deactivate(instance.instance);
        lilv_instance_free(instance.instance);
    }
}

bool Lv2Runtime::instantiate(const LilvPlugin* plugin, std::size_t count) {
    const std::size_t ports = _layout.ports.size();
    _instances.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        LilvInstance* lilvInstance = lilv_plugin_instantiate(plugin, _sampleRate, _featureList);
        if (!lilvInstance) {
            return false; // the destructor frees the instances made so far
        }
        Instance& instance = _instances.emplace_back();
        instance.instance = lilvInstance;
        instance.floatBuffers.resize(ports);
        instance.atomBuffers.resize(ports);
        // Every port gets a buffer, even those the host ignores: plugins
        // dereference unconnected ports.
        for (const Lv2Port& port : _layout.ports) {
            void* data = nullptr;
            switch (port.kind) {
            case Lv2Port::Kind::Control:
                instance.floatBuffers[port.index].assign(1, port.defaultValue);
                data = instance.floatBuffers[port.index].data();
                break;
            case Lv2Port::Kind::Audio:
            case Lv2Port::Kind::CV:
                instance.floatBuffers[port.index].assign(_maxFrames, 0.0f);
                data = instance.floatBuffers[port.index].data();
                break;
            case Lv2Port::Kind::Atom:
            case Lv2Port::Kind::Other:
                instance.atomBuffers[port.index].assign(kAtomBufferBytes / 8, 0);
                data = instance.atomBuffers[port.index].data();
                break;
            }
            lilv_instance_connect_port(lilvInstance, port.index, data);
        }
        resetAtomPorts(instance);
        lilv_instance_activate(lilvInstance);
    }
    return true;
}

void Lv2Runtime::resetAtomPorts(Instance& instance) {
    for (const std::uint32_t index : _atomPorts) {
        auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(instance.atomBuffers[index].data());
        if (_layout.ports[index].input) {
            // An empty sequence: a header and no events.
            sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
            sequence->atom.type = _atomSequence;
            sequence->body.unit = 0;
            sequence->body.pad = 0;
        } else {
            // An output starts as a chunk whose size is the room the plugin may fill.
            sequence->atom.size = kAtomBufferBytes - sizeof(LV2_Atom);
            sequence->atom.type = _atomChunk;
        }
    }
}

float Lv2Runtime::run(const float* const* input, float* const* output, std::uint32_t offset,
                      std::uint32_t frames, std::atomic<float>* values, float enabled) {
    frames = std::min(frames, _maxFrames);
    const std::size_t perInstance = _layout.audioInputs.size();
    for (std::size_t k = 0; k < _instances.size(); ++k) {
        Instance& instance = _instances[k];
        for (const std::uint32_t index : _controlInputs) {
            instance.floatBuffers[index][0] = values[index].load(std::memory_order_relaxed);
        }
        if (_layout.enabledPort) {
            instance.floatBuffers[*_layout.enabledPort][0] = enabled;
        }
        resetAtomPorts(instance);
        if (!_fit.isDirect()) {
            gatherInputs(instance, input, offset, frames);
        }
        for (std::size_t c = 0; _fit.isDirect() && c < perInstance; ++c) {
            const std::size_t channel = k * perInstance + c;
            // lilv takes a writable pointer for every port; an input is only read.
            lilv_instance_connect_port(instance.instance, _layout.audioInputs[c],
                                       const_cast<float*>(input[channel] + offset));
            lilv_instance_connect_port(instance.instance, _layout.audioOutputs[c],
                                       _layout.inPlaceBroken
                                           ? instance.floatBuffers[_layout.audioOutputs[c]].data()
                                           : output[channel] + offset);
        }
        lilv_instance_run(instance.instance, frames);
        if (k == 0) {
            for (const std::uint32_t index : _controlOutputs) {
                values[index].store(instance.floatBuffers[index][0], std::memory_order_relaxed);
            }
        }
        if (!_fit.isDirect()) {
            giveBackOutputs(instance, output, offset, frames);
        } else if (_layout.inPlaceBroken) {
            for (std::size_t c = 0; c < perInstance; ++c) {
                std::memcpy(output[k * perInstance + c] + offset,
                            instance.floatBuffers[_layout.audioOutputs[c]].data(),
                            frames * sizeof(float));
            }
        }
    }
    return _layout.latencyPort ? _instances[0].floatBuffers[*_layout.latencyPort][0] : 0.0f;
}

void Lv2Runtime::gatherInputs(Instance& instance, const float* const* input, std::uint32_t offset,
                              std::uint32_t frames) {
    for (std::size_t c = 0; c < _layout.audioInputs.size(); ++c) {
        const std::uint32_t port = _layout.audioInputs[c];
        const float* source = nullptr;
        switch (_fit.in) {
        case EffectChannelFit::Inputs::OneToOne:
            source = input[c] + offset;
            break;
        case EffectChannelFit::Inputs::Spread:
            source = input[0] + offset;
            break;
        case EffectChannelFit::Inputs::Mix: {
            // The mean, not the sum: channels that carry the same signal
            // reach the plugin at the level they have.
            float* mixed = instance.floatBuffers[port].data();
            const float scale = 1.0f / static_cast<float>(_channels);
            std::fill(mixed, mixed + frames, 0.0f);
            for (std::uint32_t k = 0; k < _channels; ++k) {
                for (std::uint32_t f = 0; f < frames; ++f) {
                    mixed[f] += input[k][offset + f] * scale;
                }
            }
            source = mixed;
            break;
        }
        }
        lilv_instance_connect_port(instance.instance, port, const_cast<float*>(source));
    }
    // Outputs go to the plugin's own buffers, since an input may now share
    // a channel buffer with any of them.
    for (const std::uint32_t port : _layout.audioOutputs) {
        lilv_instance_connect_port(instance.instance, port, instance.floatBuffers[port].data());
    }
}

void Lv2Runtime::giveBackOutputs(Instance& instance, float* const* output, std::uint32_t offset,
                                 std::uint32_t frames) const {
    const auto& outputs = _layout.audioOutputs;
    switch (_fit.out) {
    case EffectChannelFit::Outputs::OneToOne:
        for (std::size_t c = 0; c < outputs.size(); ++c) {
            std::memcpy(output[c] + offset, instance.floatBuffers[outputs[c]].data(),
                        frames * sizeof(float));
        }
        break;
    case EffectChannelFit::Outputs::Spread:
        for (std::uint32_t c = 0; c < _channels; ++c) {
            std::memcpy(output[c] + offset, instance.floatBuffers[outputs[0]].data(),
                        frames * sizeof(float));
        }
        break;
    case EffectChannelFit::Outputs::Mix: {
        // A mono chain keeps the mean of the outputs. A stereo effect fed the
        // same signal on both inputs gives much the same on both outputs:
        // their sum would be up to 6 dB louder than the effect makes it (a
        // bypassed or gain-only effect would not leave the cue as it was),
        // and either output alone would drop what the effect puts only on
        // the other side (a ping-pong echo, the far half of a pan).
        float* mono = output[0] + offset;
        const float scale = 1.0f / static_cast<float>(outputs.size());
        for (std::uint32_t f = 0; f < frames; ++f) {
            float sum = 0.0f;
            for (const std::uint32_t port : outputs) {
                sum += instance.floatBuffers[port][f];
            }
            mono[f] = sum * scale;
        }
        break;
    }
    }
}

#include "platform/effects/Lv2Processor.h"

#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectChannelFit.h"
#include "platform/effects/EffectStatus.h"
#include "platform/effects/Lv2PluginUi.h"
#include "platform/effects/Lv2StateText.h"

#include <lv2/atom/atom.h>
#include <lv2/state/state.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The subject of a plugin state written as text; only lilv reads it back.
constexpr const char* kStateUri = "urn:pondra:effect-state";

} // namespace

void Lv2Processor::StateDeleter::operator()(LilvState* state) const {
    lilv_state_free(state);
}

std::unique_ptr<Lv2Processor> Lv2Processor::create(std::shared_ptr<Lv2World> world,
                                                   const std::string& uri, std::mutex& renderLock,
                                                   std::int32_t& status) {
    const LilvPlugin* plugin = world ? world->plugin(uri) : nullptr;
    if (!plugin || !world->unsupportedRequiredFeature(plugin).empty()) {
        status = kEffectComponentNotFound;
        return nullptr;
    }
    status = kEffectNoErr;
    return std::unique_ptr<Lv2Processor>(
        new Lv2Processor(std::move(world), plugin, uri, renderLock));
}

Lv2Processor::Lv2Processor(std::shared_ptr<Lv2World> world, const LilvPlugin* plugin,
                           std::string uri, std::mutex& renderLock)
    : EffectProcessor(renderLock)
    , _world(std::move(world))
    , _plugin(plugin)
    , _uri(std::move(uri))
    , _layout(Lv2PortLayout::read(*_world, plugin))
    , _hasStateInterface(lilv_plugin_has_extension_data(plugin, _world->nodes().stateInterface))
    , _values(new std::atomic<float>[_layout.ports.size()]) {
    for (const Lv2Port& port : _layout.ports) {
        _values[port.index].store(port.defaultValue);
        if (port.kind != Lv2Port::Kind::Control || port.index == _layout.enabledPort ||
            port.index == _layout.latencyPort) {
            continue;
        }
        (port.input ? _parameters : _outputs)
            .push_back(EffectParameter{port.index, port.symbol, port.name, port.minValue,
                                       port.maxValue, port.defaultValue, port.toggled, port.integer,
                                       port.logarithmic, port.enumeration, port.notOnGui,
                                       port.scalePoints});
    }

    LilvWorld* lilv = _world->lilv();
    LilvNodes* related = lilv_plugin_get_related(plugin, _world->nodes().preset);
    LILV_FOREACH(nodes, i, related) {
        const LilvNode* preset = lilv_nodes_get(related, i);
        lilv_world_load_resource(lilv, preset);
        LilvNode* label = lilv_world_get(lilv, preset, _world->nodes().label, nullptr);
        const char* name = label ? lilv_node_as_string(label) : nullptr;
        _presets.push_back(
            Preset{lilv_node_as_uri(preset), name ? name : lilv_node_as_uri(preset)});
        lilv_node_free(label);
    }
    lilv_nodes_free(related);
    std::sort(_presets.begin(), _presets.end(), [](const Preset& a, const Preset& b) {
        return a.name != b.name ? a.name < b.name : a.uri < b.uri;
    });

    UridMap& urids = _world->urids();
    _atomFloat = urids.map(LV2_ATOM__Float);
    _atomDouble = urids.map(LV2_ATOM__Double);
    _atomInt = urids.map(LV2_ATOM__Int);
    _atomLong = urids.map(LV2_ATOM__Long);
    _atomBool = urids.map(LV2_ATOM__Bool);
}

Lv2Processor::~Lv2Processor() = default;

std::vector<EffectChannelPair> Lv2Processor::supportedChannels() const {
    return EffectChannelFit::layouts(static_cast<std::uint32_t>(_layout.audioInputs.size()),
                                     static_cast<std::uint32_t>(_layout.audioOutputs.size()));
}

std::int32_t Lv2Processor::prepare(const EffectRenderLock& held, double sampleRate,
                                   std::uint32_t maxFrames, std::uint32_t channels) {
    assertNotRenderThread();
    if (!holds(held)) {
        logStatusError(kEffectCannotDoInCurrentContext, _uri.c_str(), "prepare", __LINE__);
        return kEffectCannotDoInCurrentContext;
    }
    if (_runtime && _runtime->sampleRate() == sampleRate && _runtime->maxFrames() == maxFrames &&
        _runtime->channels() == channels) {
        return kEffectNoErr;
    }
    std::int32_t status = kEffectNoErr;
    std::unique_ptr<Lv2Runtime> fresh =
        Lv2Runtime::create(*_world, _plugin, _layout, sampleRate, maxFrames, channels, status);
    if (!fresh) {
        if (status == kEffectFailedInitialization) {
            logFormat("Error: LV2 plugin %s could not be instantiated at %.0f Hz", _uri.c_str(),
                      sampleRate);
        }
        return status;
    }
    // The plugin's own state moves from the old instances, or from a state
    // restored before there were any.
    StatePointer carried = _runtime ? capturePluginState() : std::move(_pendingState);
    if (carried) {
        restorePluginState(*fresh, carried.get());
    }
    _runtime = std::move(fresh);
    _pendingState.reset();
    prime();
    return kEffectNoErr;
}

void Lv2Processor::prime() {
    const std::uint32_t frames = _runtime->maxFrames();
    std::vector<float> silence(static_cast<std::size_t>(frames) * _runtime->channels() * 2, 0.0f);
    std::vector<const float*> input(_runtime->channels());
    std::vector<float*> output(_runtime->channels());
    for (std::uint32_t c = 0; c < _runtime->channels(); ++c) {
        input[c] = silence.data() + static_cast<std::size_t>(c) * frames;
        output[c] = silence.data() + static_cast<std::size_t>(_runtime->channels() + c) * frames;
    }
    const float enabled = _bypassed.load() ? 0.0f : 1.0f;
    _latencyFrames.store(
        _runtime->run(input.data(), output.data(), 0, frames, _values.get(), enabled));
}

void Lv2Processor::process(const float* const* input, float* const* output, std::uint32_t frames) {
    assertRenderThread();
    Lv2Runtime* runtime = _runtime.get();
    if (!runtime) {
        return;
    }
    const bool bypassed = _bypassed.load(std::memory_order_relaxed);
    if (bypassed && !_layout.enabledPort) {
        for (std::uint32_t c = 0; c < runtime->channels(); ++c) {
            if (input[c] != output[c]) {
                std::memcpy(output[c], input[c], frames * sizeof(float));
            }
        }
        return;
    }
    const float enabled = bypassed ? 0.0f : 1.0f;
    float latency = 0.0f;
    for (std::uint32_t done = 0; done < frames;) {
        const std::uint32_t block = std::min(frames - done, runtime->maxFrames());
        latency = runtime->run(input, output, done, block, _values.get(), enabled);
        done += block;
    }
    if (frames > 0) {
        _latencyFrames.store(latency, std::memory_order_relaxed);
    }
}

const EffectParameter* Lv2Processor::findParameter(std::uint32_t id) const {
    auto found = std::lower_bound(
        _parameters.begin(), _parameters.end(), id,
        [](const EffectParameter& parameter, std::uint32_t key) { return parameter.id < key; });
    return found != _parameters.end() && found->id == id ? &*found : nullptr;
}

const EffectParameter* Lv2Processor::findParameter(const std::string& symbol) const {
    for (const EffectParameter& parameter : _parameters) {
        if (parameter.symbol == symbol) {
            return &parameter;
        }
    }
    return nullptr;
}

std::int32_t Lv2Processor::setParameter(std::uint32_t id, float value) {
    const EffectParameter* parameter = findParameter(id);
    if (!parameter || std::isnan(value)) {
        return kEffectInvalidParameter;
    }
    if (parameter->toggled) {
        value = value > 0.0f ? parameter->maxValue : parameter->minValue;
    } else if (parameter->integer) {
        value = std::round(value);
    }
    _values[id].store(std::clamp(value, parameter->minValue, parameter->maxValue));
    return kEffectNoErr;
}

float Lv2Processor::parameter(std::uint32_t id) const {
    const bool output = std::any_of(_outputs.begin(), _outputs.end(),
                                    [id](const EffectParameter& p) { return p.id == id; });
    return findParameter(id) || output ? _values[id].load() : 0.0f;
}

double Lv2Processor::latency() const {
    if (!_runtime || (_bypassed.load() && !_layout.enabledPort)) {
        return 0.0;
    }
    return std::max(0.0f, _latencyFrames.load()) / _runtime->sampleRate();
}

Lv2Processor::StatePointer Lv2Processor::capturePluginState() const {
    if (!_hasStateInterface || !_runtime) {
        return nullptr;
    }
    // Port values travel as settings; the state holds only the plugin's own properties.
    StatePointer state(lilv_state_new_from_instance(
        _plugin, _runtime->instance(0), _world->urids().mapFeatureData(), nullptr, nullptr, nullptr,
        nullptr, nullptr, nullptr, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE, _runtime->features()));
    if (state && lilv_state_get_num_properties(state.get()) == 0) {
        state.reset();
    }
    return state;
}

void Lv2Processor::restorePluginState(const Lv2Runtime& runtime, const LilvState* state) const {
    for (std::size_t k = 0; k < runtime.instanceCount(); ++k) {
        lilv_state_restore(state, runtime.instance(k), nullptr, nullptr, 0, runtime.features());
    }
}

EffectState Lv2Processor::state() const {
    assertNotRenderThread();
    EffectState state;
    for (const EffectParameter& parameter : _parameters) {
        state.settings[parameter.symbol] = _values[parameter.id].load();
    }
    state.presetName = _presentPreset.name;
    StatePointer captured = capturePluginState();
    const LilvState* plugin = captured ? captured.get() : _pendingState.get();
    if (plugin) {
        UridMap& urids = _world->urids();
        char* text = lilv_state_to_string(_world->lilv(), urids.mapFeatureData(),
                                          urids.unmapFeatureData(), plugin, kStateUri, nullptr);
        if (text) {
            state.pluginState = text;
            lilv_free(text);
        }
    }
    return state;
}

std::int32_t Lv2Processor::setState(const EffectRenderLock& held, const EffectState& state) {
    assertNotRenderThread();
    if (!holds(held)) {
        logStatusError(kEffectCannotDoInCurrentContext, _uri.c_str(), "setState", __LINE__);
        return kEffectCannotDoInCurrentContext;
    }
    StatePointer plugin;
    if (!state.pluginState.empty()) {
        // The text may come from a document: lilv sees only what it can read safely.
        if (isReadableStateText(state.pluginState)) {
            plugin.reset(lilv_state_new_from_string(
                _world->lilv(), _world->urids().mapFeatureData(), state.pluginState.c_str()));
        }
        const LilvNode* appliesTo = plugin ? lilv_state_get_plugin_uri(plugin.get()) : nullptr;
        if (!appliesTo) {
            logFormat("Error: the saved state of %s could not be read; nothing was restored",
                      _uri.c_str());
            return kEffectInvalidPropertyValue;
        }
        if (!lilv_node_equals(appliesTo, lilv_plugin_get_uri(_plugin))) {
            logFormat("Error: the state given to %s belongs to %s; nothing was restored",
                      _uri.c_str(), lilv_node_as_string(appliesTo));
            return kEffectInvalidPropertyValue;
        }
    }
    for (const auto& [symbol, value] : state.settings) {
        if (const EffectParameter* parameter = findParameter(symbol)) {
            setParameter(parameter->id, value);
        } else if (KivEnvironment::logLevel() > 0) {
            logFormat("Warning: %s has no parameter \"%s\"; its saved value is ignored",
                      _uri.c_str(), symbol.c_str());
        }
    }
    _presentPreset = EffectPreset{-1, state.presetName};
    if (plugin) {
        if (_runtime) {
            restorePluginState(*_runtime, plugin.get());
        } else {
            _pendingState = std::move(plugin);
        }
    }
    return kEffectNoErr;
}

std::vector<EffectPreset> Lv2Processor::factoryPresets() const {
    std::vector<EffectPreset> presets;
    for (std::size_t i = 0; i < _presets.size(); ++i) {
        presets.push_back(EffectPreset{static_cast<std::int32_t>(i), _presets[i].name});
    }
    return presets;
}

void Lv2Processor::setPortValue(const char* symbol, void* processor, const void* value,
                                std::uint32_t size, std::uint32_t type) {
    auto* self = static_cast<Lv2Processor*>(processor);
    const EffectParameter* parameter = symbol ? self->findParameter(std::string(symbol)) : nullptr;
    if (!parameter || !value) {
        return;
    }
    float number = 0.0f;
    if (type == self->_atomFloat && size == sizeof(float)) {
        std::memcpy(&number, value, sizeof number);
    } else if (type == self->_atomDouble && size == sizeof(double)) {
        double d;
        std::memcpy(&d, value, sizeof d);
        number = static_cast<float>(d);
    } else if ((type == self->_atomInt || type == self->_atomBool) &&
               size == sizeof(std::int32_t)) {
        std::int32_t i;
        std::memcpy(&i, value, sizeof i);
        number = static_cast<float>(i);
    } else if (type == self->_atomLong && size == sizeof(std::int64_t)) {
        std::int64_t l;
        std::memcpy(&l, value, sizeof l);
        number = static_cast<float>(l);
    } else {
        return;
    }
    self->setParameter(parameter->id, number);
}

std::int32_t Lv2Processor::applyFactoryPreset(const EffectRenderLock& held, std::int32_t number) {
    assertNotRenderThread();
    if (!holds(held)) {
        logStatusError(kEffectCannotDoInCurrentContext, _uri.c_str(), "applyFactoryPreset",
                       __LINE__);
        return kEffectCannotDoInCurrentContext;
    }
    if (number < 0 || static_cast<std::size_t>(number) >= _presets.size()) {
        return kEffectInvalidPropertyValue;
    }
    const Preset& preset = _presets[static_cast<std::size_t>(number)];
    LilvNode* node = lilv_new_uri(_world->lilv(), preset.uri.c_str());
    StatePointer state(
        lilv_state_new_from_world(_world->lilv(), _world->urids().mapFeatureData(), node));
    lilv_node_free(node);
    if (!state) {
        logFormat("Error: preset \"%s\" of %s could not be read", preset.name.c_str(),
                  _uri.c_str());
        return kEffectInvalidPropertyValue;
    }
    lilv_state_emit_port_values(state.get(), setPortValue, this);
    if (lilv_state_get_num_properties(state.get()) > 0) {
        if (_runtime) {
            restorePluginState(*_runtime, state.get());
        } else {
            _pendingState = std::move(state);
        }
    }
    _presentPreset = EffectPreset{number, preset.name};
    return kEffectNoErr;
}

std::unique_ptr<EffectPluginUi> Lv2Processor::openUi(std::uintptr_t parent,
                                                     EffectPluginUiCallbacks callbacks,
                                                     std::string& failure) const {
    return Lv2PluginUi::open(*this, parent, std::move(callbacks), failure);
}

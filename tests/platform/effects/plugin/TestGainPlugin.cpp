// The host's test plugins: a gain in dB in several variants.
//   mono:   gain, an "enabled" port, a latency port (it delays by kLatency
//           frames, bypassed or not), an atom input and output that it reads
//           and writes, and a state of its own: a polarity flag that only the
//           state interface sets. It needs the URID map and the block-length
//           options, and refuses to start without them.
//   stereo: gain only, on two channels.
//   midi:   mono gain with a MIDI input, so that it counts as a music effect.
//   worker: mono gain that requires a worker, which the host does not give.
//   widen:  one input, two outputs: left = gain * in, right = half of that.
//   narrow: two inputs, one output: gain * (left - right / 2).
// The last two weigh their sides differently, so a host that wires a side
// wrongly is heard.
// Each reads every port it has on each run, so an unconnected port crashes it.
#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr const char* kMonoUri = "http://pondra.invalid/test/gain";
constexpr const char* kStereoUri = "http://pondra.invalid/test/gain-stereo";
constexpr const char* kMidiUri = "http://pondra.invalid/test/gain-midi";
constexpr const char* kWorkerUri = "http://pondra.invalid/test/gain-worker";
constexpr const char* kControlsUri = "http://pondra.invalid/test/gain-controls";
constexpr const char* kWidenUri = "http://pondra.invalid/test/gain-widen";
constexpr const char* kNarrowUri = "http://pondra.invalid/test/gain-narrow";
constexpr const char* kInvertUri = "http://pondra.invalid/test/gain#invert";
constexpr std::uint32_t kLatency = 64;

enum class Variant { Mono, Stereo, Midi, Controls, Widen, Narrow };

struct Plugin {
    Variant variant;
    const float* gain = nullptr;
    const float* enabled = nullptr;
    float* latency = nullptr;
    float* level = nullptr; // the controls variant's output: the last block's peak
    const float* in[2] = {nullptr, nullptr};
    float* out[2] = {nullptr, nullptr};
    const LV2_Atom_Sequence* events = nullptr;
    LV2_Atom_Sequence* notify = nullptr;
    LV2_URID atomSequence = 0;
    LV2_URID atomBool = 0;
    LV2_URID invertKey = 0;
    bool invert = false;
    float delay[kLatency] = {};
    std::uint32_t delayPosition = 0;
};

const LV2_Feature* findFeature(const LV2_Feature* const* features, const char* uri) {
    for (int i = 0; features && features[i]; ++i) {
        if (std::strcmp(features[i]->URI, uri) == 0) {
            return features[i];
        }
    }
    return nullptr;
}

LV2_Handle instantiate(const LV2_Descriptor* descriptor, double, const char*,
                       const LV2_Feature* const* features) {
    Variant variant = Variant::Mono;
    if (std::strcmp(descriptor->URI, kStereoUri) == 0) {
        variant = Variant::Stereo;
    } else if (std::strcmp(descriptor->URI, kMidiUri) == 0 ||
               std::strcmp(descriptor->URI, kWorkerUri) == 0) {
        variant = Variant::Midi; // the same ports; the worker variant lacks the MIDI input
    } else if (std::strcmp(descriptor->URI, kControlsUri) == 0) {
        variant = Variant::Controls;
    } else if (std::strcmp(descriptor->URI, kWidenUri) == 0) {
        variant = Variant::Widen;
    } else if (std::strcmp(descriptor->URI, kNarrowUri) == 0) {
        variant = Variant::Narrow;
    }
    const LV2_Feature* mapFeature = findFeature(features, LV2_URID__map);
    if (variant == Variant::Mono) {
        const LV2_Feature* options = findFeature(features, LV2_OPTIONS__options);
        if (!mapFeature || !options || !findFeature(features, LV2_BUF_SIZE__boundedBlockLength)) {
            return nullptr;
        }
        auto* map = static_cast<LV2_URID_Map*>(mapFeature->data);
        const LV2_URID maxBlock = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
        bool found = false;
        for (auto* o = static_cast<const LV2_Options_Option*>(options->data); o->key; ++o) {
            found = found || (o->key == maxBlock && o->size == sizeof(std::int32_t) &&
                              *static_cast<const std::int32_t*>(o->value) > 0);
        }
        if (!found) {
            return nullptr;
        }
    }
    auto* plugin = new (std::nothrow) Plugin{variant};
    if (plugin && mapFeature) {
        auto* map = static_cast<LV2_URID_Map*>(mapFeature->data);
        plugin->atomSequence = map->map(map->handle, LV2_ATOM__Sequence);
        plugin->atomBool = map->map(map->handle, LV2_ATOM__Bool);
        plugin->invertKey = map->map(map->handle, kInvertUri);
    }
    return plugin;
}

void connectPort(LV2_Handle handle, std::uint32_t port, void* data) {
    auto* p = static_cast<Plugin*>(handle);
    switch (p->variant) {
    case Variant::Mono:
        switch (port) {
        case 0:
            p->gain = static_cast<const float*>(data);
            break;
        case 1:
            p->enabled = static_cast<const float*>(data);
            break;
        case 2:
            p->latency = static_cast<float*>(data);
            break;
        case 3:
            p->in[0] = static_cast<const float*>(data);
            break;
        case 4:
            p->out[0] = static_cast<float*>(data);
            break;
        case 5:
            p->events = static_cast<const LV2_Atom_Sequence*>(data);
            break;
        case 6:
            p->notify = static_cast<LV2_Atom_Sequence*>(data);
            break;
        }
        break;
    case Variant::Stereo:
        switch (port) {
        case 0:
            p->gain = static_cast<const float*>(data);
            break;
        case 1:
            p->in[0] = static_cast<const float*>(data);
            break;
        case 2:
            p->in[1] = static_cast<const float*>(data);
            break;
        case 3:
            p->out[0] = static_cast<float*>(data);
            break;
        case 4:
            p->out[1] = static_cast<float*>(data);
            break;
        }
        break;
    case Variant::Midi:
        switch (port) {
        case 0:
            p->gain = static_cast<const float*>(data);
            break;
        case 1:
            p->in[0] = static_cast<const float*>(data);
            break;
        case 2:
            p->out[0] = static_cast<float*>(data);
            break;
        case 3:
            p->events = static_cast<const LV2_Atom_Sequence*>(data);
            break;
        }
        break;
    case Variant::Widen:
    case Variant::Narrow: {
        // gain, then the inputs, then the outputs
        const std::uint32_t ins = p->variant == Variant::Widen ? 1 : 2;
        if (port == 0) {
            p->gain = static_cast<const float*>(data);
        } else if (port <= ins) {
            p->in[port - 1] = static_cast<const float*>(data);
        } else if (port <= 3) {
            p->out[port - 1 - ins] = static_cast<float*>(data);
        }
        break;
    }
    case Variant::Controls:
        // Ports 3 to 7 only describe themselves to a host's view.
        switch (port) {
        case 0:
            p->gain = static_cast<const float*>(data);
            break;
        case 1:
            p->in[0] = static_cast<const float*>(data);
            break;
        case 2:
            p->out[0] = static_cast<float*>(data);
            break;
        case 8:
            p->level = static_cast<float*>(data);
            break;
        }
        break;
    }
}

void run(LV2_Handle handle, std::uint32_t frames) {
    auto* p = static_cast<Plugin*>(handle);
    const float db = *p->gain;
    float gain = db <= -90.0f ? 0.0f : std::pow(10.0f, db / 20.0f);
    if (p->invert) {
        gain = -gain;
    }
    if (p->events) {
        // Walking the sequence trusts the size the host set.
        LV2_ATOM_SEQUENCE_FOREACH(p->events, event) {
            (void)event;
        }
    }
    if (p->notify) {
        p->notify->atom.type = p->atomSequence;
        p->notify->atom.size = sizeof(LV2_Atom_Sequence_Body);
        p->notify->body.unit = 0;
        p->notify->body.pad = 0;
    }
    if (p->variant == Variant::Widen) {
        for (std::uint32_t i = 0; i < frames; ++i) {
            const float x = p->in[0][i] * gain;
            p->out[0][i] = x;
            p->out[1][i] = 0.5f * x;
        }
        return;
    }
    if (p->variant == Variant::Narrow) {
        for (std::uint32_t i = 0; i < frames; ++i) {
            p->out[0][i] = gain * (p->in[0][i] - 0.5f * p->in[1][i]);
        }
        return;
    }
    if (p->variant != Variant::Mono) {
        const int channels = p->variant == Variant::Stereo ? 2 : 1;
        float peak = 0.0f;
        for (int c = 0; c < channels; ++c) {
            for (std::uint32_t i = 0; i < frames; ++i) {
                p->out[c][i] = p->in[c][i] * gain;
                peak = std::max(peak, std::fabs(p->out[c][i]));
            }
        }
        if (p->level) {
            *p->level = peak;
        }
        return;
    }
    const bool enabled = *p->enabled > 0.0f;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const float x = enabled ? p->in[0][i] * gain : p->in[0][i];
        p->out[0][i] = p->delay[p->delayPosition];
        p->delay[p->delayPosition] = x;
        p->delayPosition = (p->delayPosition + 1) % kLatency;
    }
    *p->latency = static_cast<float>(kLatency);
}

void activate(LV2_Handle handle) {
    auto* p = static_cast<Plugin*>(handle);
    std::memset(p->delay, 0, sizeof p->delay);
    p->delayPosition = 0;
}

void cleanup(LV2_Handle handle) {
    delete static_cast<Plugin*>(handle);
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state,
                      std::uint32_t, const LV2_Feature* const*) {
    auto* p = static_cast<Plugin*>(handle);
    const std::int32_t invert = p->invert ? 1 : 0;
    return store(state, p->invertKey, &invert, sizeof invert, p->atomBool,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle state, std::uint32_t, const LV2_Feature* const*) {
    auto* p = static_cast<Plugin*>(handle);
    std::size_t size = 0;
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    const void* value = retrieve(state, p->invertKey, &size, &type, &flags);
    if (value && type == p->atomBool && size == sizeof(std::int32_t)) {
        p->invert = *static_cast<const std::int32_t*>(value) != 0;
    }
    return LV2_STATE_SUCCESS;
}

const void* extensionData(const char* uri) {
    static const LV2_State_Interface state = {save, restore};
    return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const void* noExtensionData(const char*) {
    return nullptr;
}

const LV2_Descriptor kDescriptors[] = {
    {kMonoUri, instantiate, connectPort, activate, run, nullptr, cleanup, extensionData},
    {kStereoUri, instantiate, connectPort, activate, run, nullptr, cleanup, noExtensionData},
    {kMidiUri, instantiate, connectPort, activate, run, nullptr, cleanup, noExtensionData},
    {kWorkerUri, instantiate, connectPort, activate, run, nullptr, cleanup, noExtensionData},
    {kControlsUri, instantiate, connectPort, activate, run, nullptr, cleanup, noExtensionData},
    {kWidenUri, instantiate, connectPort, activate, run, nullptr, cleanup, noExtensionData},
    {kNarrowUri, instantiate, connectPort, activate, run, nullptr, cleanup, noExtensionData},
};

} // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(std::uint32_t index) {
    return index < sizeof kDescriptors / sizeof kDescriptors[0] ? &kDescriptors[index] : nullptr;
}

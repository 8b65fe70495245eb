#include "platform/effects/Lv2World.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/port-props/port-props.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr const char* kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";

// Flags rather than services: the host meets them by how it runs every plugin
// (bounded blocks, its own port buffers, a live render thread).
constexpr const char* kSupportedFeatures[] = {
    LV2_URID__map,           LV2_URID__unmap,
    LV2_OPTIONS__options,    LV2_BUF_SIZE__boundedBlockLength,
    LV2_CORE__isLive,        LV2_CORE__inPlaceBroken,
    LV2_CORE__hardRTCapable,
};

} // namespace

std::shared_ptr<Lv2World> Lv2World::load() {
    return std::shared_ptr<Lv2World>(new Lv2World());
}

Lv2World::Lv2World()
    : _world(lilv_world_new()) {
    lilv_world_load_all(_world);
    auto uri = [this](const char* text) { return lilv_new_uri(_world, text); };
    _nodes = Lv2Nodes{
        uri(LV2_CORE__AudioPort),
        uri(LV2_CORE__ControlPort),
        uri(LV2_CORE__CVPort),
        uri(LV2_ATOM__AtomPort),
        uri(LV2_CORE__InputPort),
        uri(LV2_CORE__OutputPort),
        uri(LV2_MIDI__MidiEvent),
        uri(LV2_CORE__enabled),
        uri(LV2_CORE__latency),
        uri(LV2_CORE__reportsLatency),
        uri(LV2_CORE__toggled),
        uri(LV2_CORE__integer),
        uri(LV2_PORT_PROPS__logarithmic),
        uri(LV2_CORE__enumeration),
        uri(LV2_PORT_PROPS__notOnGUI),
        uri(LV2_PRESETS__Preset),
        uri(kRdfsLabel),
        uri(LV2_STATE__interface),
        uri(LV2_CORE__inPlaceBroken),
    };
}

Lv2World::~Lv2World() {
    for (LilvNode* node : {_nodes.audioPort, _nodes.controlPort, _nodes.cvPort, _nodes.atomPort,
                           _nodes.inputPort, _nodes.outputPort, _nodes.midiEvent, _nodes.enabled,
                           _nodes.latency, _nodes.reportsLatency, _nodes.toggled, _nodes.integer,
                           _nodes.logarithmic, _nodes.enumeration, _nodes.notOnGui, _nodes.preset,
                           _nodes.label, _nodes.stateInterface, _nodes.inPlaceBroken}) {
        lilv_node_free(node);
    }
    lilv_world_free(_world);
}

const LilvPlugins* Lv2World::plugins() const {
    return lilv_world_get_all_plugins(_world);
}

const LilvPlugin* Lv2World::plugin(const std::string& uri) const {
    LilvNode* node = lilv_new_uri(_world, uri.c_str());
    const LilvPlugin* found = node ? lilv_plugins_get_by_uri(plugins(), node) : nullptr;
    lilv_node_free(node);
    return found;
}

std::string Lv2World::unsupportedRequiredFeature(const LilvPlugin* plugin) const {
    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    std::string missing;
    LILV_FOREACH(nodes, i, required) {
        const char* uri = lilv_node_as_uri(lilv_nodes_get(required, i));
        const bool supported =
            uri && std::any_of(std::begin(kSupportedFeatures), std::end(kSupportedFeatures),
                               [uri](const char* s) { return std::strcmp(s, uri) == 0; });
        if (!supported) {
            missing = uri ? uri : "?";
            break;
        }
    }
    lilv_nodes_free(required);
    return missing;
}

#include "platform/effects/Lv2PortLayout.h"

#include <algorithm>
#include <cmath>

namespace {

float floatOr(const LilvNode* node, float fallback) {
    if (node && (lilv_node_is_float(node) || lilv_node_is_int(node))) {
        const float value = lilv_node_as_float(node);
        return std::isfinite(value) ? value : fallback;
    }
    return fallback;
}

std::string text(const LilvNode* node) {
    const char* s = node ? lilv_node_as_string(node) : nullptr;
    return s ? s : "";
}

std::vector<EffectScalePoint> scalePoints(const LilvPlugin* plugin, const LilvPort* port) {
    std::vector<EffectScalePoint> points;
    LilvScalePoints* found = lilv_port_get_scale_points(plugin, port);
    LILV_FOREACH(scale_points, i, found) {
        const LilvScalePoint* point = lilv_scale_points_get(found, i);
        const LilvNode* value = lilv_scale_point_get_value(point);
        if (value && (lilv_node_is_float(value) || lilv_node_is_int(value))) {
            points.push_back(EffectScalePoint{lilv_node_as_float(value),
                                              text(lilv_scale_point_get_label(point))});
        }
    }
    lilv_scale_points_free(found);
    std::stable_sort(points.begin(), points.end(),
                     [](const auto& a, const auto& b) { return a.value < b.value; });
    return points;
}

} // namespace

Lv2PortLayout Lv2PortLayout::read(const Lv2World& world, const LilvPlugin* plugin) {
    const Lv2Nodes& n = world.nodes();
    Lv2PortLayout layout;
    const std::uint32_t count = lilv_plugin_get_num_ports(plugin);
    layout.ports.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const LilvPort* lport = lilv_plugin_get_port_by_index(plugin, i);
        Lv2Port port;
        port.index = i;
        port.symbol = text(lilv_port_get_symbol(plugin, lport));
        LilvNode* name = lilv_port_get_name(plugin, lport);
        port.name = name ? text(name) : port.symbol;
        lilv_node_free(name);
        port.input = !lilv_port_is_a(plugin, lport, n.outputPort);
        if (lilv_port_is_a(plugin, lport, n.audioPort)) {
            port.kind = Lv2Port::Kind::Audio;
        } else if (lilv_port_is_a(plugin, lport, n.controlPort)) {
            port.kind = Lv2Port::Kind::Control;
        } else if (lilv_port_is_a(plugin, lport, n.cvPort)) {
            port.kind = Lv2Port::Kind::CV;
        } else if (lilv_port_is_a(plugin, lport, n.atomPort)) {
            port.kind = Lv2Port::Kind::Atom;
        }

        if (port.kind == Lv2Port::Kind::Control) {
            LilvNode* def = nullptr;
            LilvNode* min = nullptr;
            LilvNode* max = nullptr;
            lilv_port_get_range(plugin, lport, &def, &min, &max);
            port.minValue = floatOr(min, 0.0f);
            port.maxValue = floatOr(max, 1.0f);
            if (port.maxValue < port.minValue) {
                std::swap(port.minValue, port.maxValue);
            }
            port.defaultValue =
                std::clamp(floatOr(def, port.minValue), port.minValue, port.maxValue);
            lilv_node_free(def);
            lilv_node_free(min);
            lilv_node_free(max);
            port.toggled = lilv_port_has_property(plugin, lport, n.toggled);
            port.integer = lilv_port_has_property(plugin, lport, n.integer);
            port.logarithmic = lilv_port_has_property(plugin, lport, n.logarithmic);
            port.enumeration = lilv_port_has_property(plugin, lport, n.enumeration);
            port.notOnGui = lilv_port_has_property(plugin, lport, n.notOnGui);
            port.scalePoints = scalePoints(plugin, lport);
        }
        // MIDI arrives on atom ports (or the older event ports) that say they take MIDI events.
        port.midiInput = port.input && lilv_port_supports_event(plugin, lport, n.midiEvent);

        if (port.kind == Lv2Port::Kind::Audio) {
            (port.input ? layout.audioInputs : layout.audioOutputs).push_back(i);
        }
        layout.hasMidiInput = layout.hasMidiInput || port.midiInput;
        layout.ports.push_back(std::move(port));
    }

    if (const LilvPort* enabled =
            lilv_plugin_get_port_by_designation(plugin, n.inputPort, n.enabled)) {
        const std::uint32_t i = lilv_port_get_index(plugin, enabled);
        if (layout.ports[i].kind == Lv2Port::Kind::Control) {
            layout.enabledPort = i;
        }
    }
    const LilvPort* latency = lilv_plugin_get_port_by_designation(plugin, n.outputPort, n.latency);
    if (latency) {
        layout.latencyPort = lilv_port_get_index(plugin, latency);
    } else if (lilv_plugin_has_latency(plugin)) {
        layout.latencyPort = lilv_plugin_get_latency_port_index(plugin);
    }
    if (layout.latencyPort && layout.ports[*layout.latencyPort].kind != Lv2Port::Kind::Control) {
        layout.latencyPort.reset();
    }
    layout.inPlaceBroken = lilv_plugin_has_feature(plugin, n.inPlaceBroken);
    return layout;
}

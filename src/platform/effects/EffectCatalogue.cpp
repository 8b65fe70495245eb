#include "platform/effects/EffectCatalogue.h"

#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "platform/effects/EffectStatus.h"
#include "platform/effects/Lv2PortLayout.h"

#include <algorithm>

namespace {

std::string takeString(LilvNode* node) {
    const char* s = node ? lilv_node_as_string(node) : nullptr;
    std::string result = s ? s : "";
    lilv_node_free(node);
    return result;
}

} // namespace

EffectCatalogue::EffectCatalogue(const Lv2World& world) {
    const LilvPlugins* plugins = world.plugins();
    LILV_FOREACH(plugins, i, plugins) {
        const LilvPlugin* plugin = lilv_plugins_get(plugins, i);
        const char* uri = lilv_node_as_uri(lilv_plugin_get_uri(plugin));
        if (!lilv_plugin_verify(plugin)) {
            if (KivEnvironment::logLevel() > 0) {
                logFormat("Warning: skipping LV2 plugin %s; its description is incomplete", uri);
            }
            continue;
        }
        const Lv2PortLayout layout = Lv2PortLayout::read(world, plugin);
        if (layout.audioInputs.empty() || layout.audioOutputs.empty()) {
            continue;
        }
        if (const std::string missing = world.unsupportedRequiredFeature(plugin);
            !missing.empty()) {
            if (KivEnvironment::logLevel() > 0) {
                logFormat("Warning: skipping LV2 plugin %s; it requires %s", uri, missing.c_str());
            }
            continue;
        }
        EffectComponent component;
        component.uri = uri;
        component.type = layout.hasMidiInput ? kEffectTypeMusicEffect : kEffectTypeEffect;
        component.maker = takeString(lilv_plugin_get_author_name(plugin));
        component.name = takeString(lilv_plugin_get_name(plugin));
        if (component.name.empty()) {
            component.name = component.uri;
        }
        component.audioInputs = static_cast<std::uint32_t>(layout.audioInputs.size());
        component.audioOutputs = static_cast<std::uint32_t>(layout.audioOutputs.size());
        _components.push_back(std::move(component));
    }
    std::sort(_components.begin(), _components.end(),
              [](const EffectComponent& a, const EffectComponent& b) { return a.uri < b.uri; });
}

std::vector<EffectComponent> EffectCatalogue::componentsOfType(std::uint32_t type) const {
    std::vector<EffectComponent> result;
    for (const EffectComponent& component : _components) {
        if (component.type == type) {
            result.push_back(component);
        }
    }
    return result;
}

const EffectComponent* EffectCatalogue::find(std::string_view uri) const {
    auto found = std::lower_bound(
        _components.begin(), _components.end(), uri,
        [](const EffectComponent& component, std::string_view key) { return component.uri < key; });
    return found != _components.end() && found->uri == uri ? &*found : nullptr;
}

#include "audio/effects/KivLv2Catalogue.h"

#include "foundation/ThreadRole.h"
#include "platform/effects/Lv2Processor.h"

KivLv2Catalogue::KivLv2Catalogue(std::shared_ptr<Lv2World> world)
    : _world(std::move(world))
    , _catalogue(*_world) {}

std::vector<KivAudioComponentDescription>
KivLv2Catalogue::componentsOfType(std::uint32_t type) const {
    std::vector<KivAudioComponentDescription> result;
    for (const EffectComponent& component : _catalogue.componentsOfType(type)) {
        result.emplace_back(component.type, 0, 0, 0, 0, component.uri);
    }
    return result;
}

const EffectComponent* KivLv2Catalogue::find(const KivAudioComponentDescription& component) const {
    const EffectComponent* found = _catalogue.find(component.pluginURI());
    const bool same = found && found->type == component.type() && component.subtype() == 0 &&
                      component.manufacturer() == 0;
    return same ? found : nullptr;
}

std::optional<std::string>
KivLv2Catalogue::nameOfComponent(const KivAudioComponentDescription& component) const {
    if (const EffectComponent* found = find(component)) {
        return found->componentName();
    }
    return std::nullopt;
}

std::unique_ptr<EffectProcessor>
KivLv2Catalogue::makeProcessor(const KivAudioComponentDescription& component,
                               std::mutex& renderLock, std::int32_t& status) const {
    assertNotRenderThread();
    if (!find(component)) {
        status = kEffectComponentNotFound;
        return nullptr;
    }
    return Lv2Processor::create(_world, component.pluginURI(), renderLock, status);
}

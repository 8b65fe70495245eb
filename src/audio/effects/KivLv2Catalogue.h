#pragma once

#include "audio/effects/KivComponentCatalogue.h"
#include "platform/effects/EffectCatalogue.h"
#include "platform/effects/Lv2World.h"

#include <memory>

// The installed LV2 effects as components: type 'aufx' or 'aumf', subtype and
// manufacturer 0, identified by the plugin URI. Made on the main thread from a
// loaded world; its lists never change afterwards, so they may be read from
// any thread but the render thread. Units are made on the main thread only
// (lilv is not thread-safe).
class KivLv2Catalogue final : public KivComponentCatalogue {
public:
    explicit KivLv2Catalogue(std::shared_ptr<Lv2World> world);

    std::vector<KivAudioComponentDescription> componentsOfType(std::uint32_t type) const override;
    // "<maker>: <name>", or the bare name for a plugin that names no maker.
    std::optional<std::string>
    nameOfComponent(const KivAudioComponentDescription& component) const override;
    std::unique_ptr<EffectProcessor> makeProcessor(const KivAudioComponentDescription& component,
                                                   std::mutex& renderLock,
                                                   std::int32_t& status) const override;

    const EffectCatalogue& catalogue() const { return _catalogue; }

private:
    const EffectComponent* find(const KivAudioComponentDescription& component) const;

    std::shared_ptr<Lv2World> _world;
    EffectCatalogue _catalogue;
};

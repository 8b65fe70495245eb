#pragma once

#include "platform/effects/EffectComponent.h"
#include "platform/effects/Lv2World.h"

#include <cstdint>
#include <string_view>
#include <vector>

// The installed effects of one world, sorted by URI: every plugin with audio
// inputs and outputs whose required features the host gives. A MIDI input
// makes it a music effect ('aumf'), otherwise it is an effect ('aufx');
// plugin class labels are not trusted for this. Built and read on the main
// thread.
class EffectCatalogue {
public:
    explicit EffectCatalogue(const Lv2World& world);

    const std::vector<EffectComponent>& components() const { return _components; }
    // In URI order; empty for a type with no installed plugin.
    std::vector<EffectComponent> componentsOfType(std::uint32_t type) const;
    // nullptr when the URI is not an installed effect.
    const EffectComponent* find(std::string_view uri) const;

private:
    std::vector<EffectComponent> _components;
};

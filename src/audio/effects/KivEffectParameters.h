#pragma once

#include "audio/core/KivError.h"
#include "foundation/Signal.h"
#include "platform/effects/EffectProcessor.h"

#include <cstdint>
#include <string>
#include <vector>

class KivEffectIdentity;
class KivEffectPlacement;

// An effect's parameters as its unit's plugin has them (ids are control
// input port indices), their values, and the listeners told of a change.
// Main thread; see KivEffect for each.
class KivEffectParameters {
public:
    KivEffectParameters(const KivEffectIdentity& identity, const KivEffectPlacement& placement);
    KivEffectParameters(const KivEffectParameters&) = delete;
    KivEffectParameters& operator=(const KivEffectParameters&) = delete;

    std::vector<EffectParameter> parameters() const;
    std::vector<EffectParameter> outputParameters() const;
    float valueForParameter(std::uint32_t id) const;
    bool setValueForParameter(std::uint32_t id, float value);
    void updateParameters();
    Signal<std::uint32_t>& listeners() { return _listeners; }
    std::string titleOfParameter(std::uint32_t id, KivError* error) const;

private:
    const KivEffectIdentity& _identity;
    const KivEffectPlacement& _placement;
    Signal<std::uint32_t> _listeners;
};

#include "audio/effects/KivEffectParameters.h"

#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectIdentity.h"
#include "audio/effects/KivEffectPlacement.h"
#include "audio/effects/KivEffectUnit.h"
#include "foundation/KivStatusError.h"
#include "platform/effects/EffectStatus.h"

KivEffectParameters::KivEffectParameters(const KivEffectIdentity& identity,
                                         const KivEffectPlacement& placement)
    : _identity(identity)
    , _placement(placement) {}

std::vector<EffectParameter> KivEffectParameters::parameters() const {
    if (KivEffectUnit* u = _placement.unit()) {
        return u->processor().parameters();
    }
    return {};
}

std::vector<EffectParameter> KivEffectParameters::outputParameters() const {
    if (KivEffectUnit* u = _placement.unit()) {
        return u->processor().outputs();
    }
    return {};
}

float KivEffectParameters::valueForParameter(std::uint32_t id) const {
    KivEffectUnit* u = _placement.unit();
    for (const auto& list : {parameters(), outputParameters()}) {
        for (const EffectParameter& parameter : list) {
            if (parameter.id == id) {
                return u->processor().parameter(id);
            }
        }
    }
    logStatusError(u ? kEffectInvalidParameter : kEffectUninitialized, _identity.name().c_str(),
                   "valueForParameter", __LINE__);
    return 0.0f;
}

bool KivEffectParameters::setValueForParameter(std::uint32_t id, float value) {
    KivEffectUnit* u = _placement.unit();
    const float before = u ? u->processor().parameter(id) : 0.0f;
    const std::int32_t status = u ? u->processor().setParameter(id, value) : kEffectUninitialized;
    if (status != kEffectNoErr) {
        logStatusError(status, _identity.name().c_str(), "setValueForParameter", __LINE__);
        return false;
    }
    // A value moved away from the preset's leaves settings of no name (the
    // same value again, as a view echoes it, leaves the preset as it is).
    if (u->processor().parameter(id) != before) {
        u->processor().setPresentPreset(EffectPreset{-1, ""});
    }
    _listeners.emit(id);
    return true;
}

void KivEffectParameters::updateParameters() {
    _listeners.emit(kKivEffectAnyParameter);
}

std::string KivEffectParameters::titleOfParameter(std::uint32_t id, KivError* error) const {
    for (const EffectParameter& parameter : parameters()) {
        if (parameter.id == id && !parameter.name.empty()) {
            return parameter.name;
        }
    }
    failWith(error, kAudioUnitErrorDomain, kEffectInvalidParameter);
    return "Parameter #" + std::to_string(static_cast<std::uint64_t>(id) + 1);
}

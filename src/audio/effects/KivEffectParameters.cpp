#include "audio/effects/KivEffect.h"
#include "audio/effects/KivEffectUnit.h"
#include "foundation/KivStatusError.h"
#include "platform/effects/EffectStatus.h"

#include <string>

std::vector<EffectParameter> KivEffect::parameters() const {
    if (KivEffectUnit* u = unit()) {
        return u->processor().parameters();
    }
    return {};
}

std::vector<EffectParameter> KivEffect::outputParameters() const {
    if (KivEffectUnit* u = unit()) {
        return u->processor().outputs();
    }
    return {};
}

float KivEffect::valueForParameter(std::uint32_t id) const {
    KivEffectUnit* u = unit();
    for (const auto& list : {parameters(), outputParameters()}) {
        for (const EffectParameter& parameter : list) {
            if (parameter.id == id) {
                return u->processor().parameter(id);
            }
        }
    }
    logStatusError(u ? kEffectInvalidParameter : kEffectUninitialized, _name.c_str(),
                   "valueForParameter", __LINE__);
    return 0.0f;
}

bool KivEffect::setValueForParameter(std::uint32_t id, float value) {
    KivEffectUnit* u = unit();
    const float before = u ? u->processor().parameter(id) : 0.0f;
    const std::int32_t status = u ? u->processor().setParameter(id, value) : kEffectUninitialized;
    if (status != kEffectNoErr) {
        logStatusError(status, _name.c_str(), "setValueForParameter", __LINE__);
        return false;
    }
    // A value moved away from the preset's leaves settings of no name (the
    // same value again, as a view echoes it, leaves the preset as it is).
    if (u->processor().parameter(id) != before) {
        setCurrentPresetName("");
    }
    _parameterListeners.emit(id);
    return true;
}

void KivEffect::updateParameters() {
    _parameterListeners.emit(kKivEffectAnyParameter);
}

std::string KivEffect::titleOfParameter(std::uint32_t id, KivError* error) const {
    for (const EffectParameter& parameter : parameters()) {
        if (parameter.id == id && !parameter.name.empty()) {
            return parameter.name;
        }
    }
    failWith(error, kAudioUnitErrorDomain, kEffectInvalidParameter);
    return "Parameter #" + std::to_string(static_cast<std::uint64_t>(id) + 1);
}

double KivEffect::latency() const {
    KivEffectUnit* u = liveUnit();
    return u ? u->processor().latency() : 0.0;
}

double KivEffect::tailTime() const {
    KivEffectUnit* u = liveUnit();
    return u && enabled() ? u->processor().tailTime() : 0.0;
}

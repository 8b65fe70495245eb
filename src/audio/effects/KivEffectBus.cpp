#include "audio/effects/KivEffectBus.h"

#include "audio/effects/KivEffect.h"
#include "audio/effects/KivStream.h"
#include "foundation/KivClassRegistry.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/KivLog.h"
#include "platform/effects/EffectStatus.h"

#include <algorithm>

namespace {

const bool registered = [] {
    KivClassRegistry::shared().registerClass<KivEffectBus>("KivEffectBus");
    return true;
}();

} // namespace

KivEffectBus::KivEffectBus(std::uint32_t channels)
    : _channels(channels) {}

std::shared_ptr<KivEffectBus> KivEffectBus::initWithCoder(const KivKeyedDecoder& coder) {
    auto bus = std::make_shared<KivEffectBus>();
    bus->setName(coder.decodeStringForKey("name"));
    if (coder.containsValueForKey("channels")) {
        const std::int32_t channels = coder.decodeInt32ForKey("channels");
        if (channels < 0) {
            coder.failWithError("an effect bus cannot have a negative channel count");
            return nullptr;
        }
        bus->setChannels(static_cast<std::uint32_t>(channels));
    }
    bus->setEffects(coder.decodeObjectArrayForKey<KivEffect>("effects"));
    return bus;
}

void KivEffectBus::encodeWithCoder(KivKeyedEncoder& coder) const {
    coder.encodeString(_name, "name");
    coder.encodeInt32(static_cast<std::int32_t>(_channels), "channels");
    coder.encodeObjects(_effects, "effects");
}

void KivEffectBus::setEffects(std::vector<std::shared_ptr<KivEffect>> effects) {
    std::erase(effects, nullptr);
    // An effect that stays keeps its place in the stream, its unit and its
    // state: only those that leave are dead.
    for (const auto& effect : _effects) {
        if (std::find(effects.begin(), effects.end(), effect) == effects.end()) {
            _deadEffects.push_back(effect);
        }
    }
    for (const auto& effect : effects) {
        std::erase(_deadEffects, effect);
    }
    _effects = std::move(effects);
}

void KivEffectBus::addEffect(const std::shared_ptr<KivEffect>& effect) {
    if (effect && !containsEffect(effect)) {
        std::erase(_deadEffects, effect);
        _effects.push_back(effect);
    }
}

void KivEffectBus::removeEffect(const std::shared_ptr<KivEffect>& effect) {
    auto found = std::find(_effects.begin(), _effects.end(), effect);
    if (effect && found != _effects.end()) {
        _deadEffects.push_back(effect);
        _effects.erase(found);
    }
}

bool KivEffectBus::containsEffect(const std::shared_ptr<KivEffect>& effect) const {
    return std::find(_effects.begin(), _effects.end(), effect) != _effects.end();
}

std::shared_ptr<KivEffect> KivEffectBus::firstUsedEffect() const {
    return _usedEffects.empty() ? nullptr : _usedEffects.front();
}

std::shared_ptr<KivEffect> KivEffectBus::lastUsedEffect() const {
    return _usedEffects.empty() ? nullptr : _usedEffects.back();
}

std::string KivEffectBus::description() const {
    return "[" + _name + " with " + std::to_string(_effects.size()) + " effects]";
}

void KivEffectBus::addEffectsToStream(KivStream& stream) {
    for (const auto& effect : _effects) {
        if (!stream.containsEffect(*effect)) {
            stream.addEffect(*effect);
        }
    }
}

void KivEffectBus::removeEffectsFromStream(KivStream& stream) {
    for (const auto& effect : _effects) {
        stream.removeEffect(effect.get());
    }
    for (const auto& effect : _deadEffects) {
        stream.removeEffect(effect.get());
    }
    _deadEffects.clear();
    _usedEffects.clear();
}

void KivEffectBus::removeDeadEffectsFromStream(KivStream& stream) {
    for (const auto& effect : _deadEffects) {
        stream.removeEffect(effect.get());
    }
    _deadEffects.clear();
}

void KivEffectBus::setProperties() {
    _usedEffects.clear();
    const KivAudioStreamDescription format =
        _format ? *_format : KivAudioStreamDescription::descriptionWithRate(44100.0, _channels);
    for (const auto& effect : _effects) {
        KivError input;
        KivError output;
        effect->setInputStreamFormat(format, &input);
        if (input.code == kEffectFormatNotSupported) {
            logFormat("Error: %s does not support input format: %s", effect->description().c_str(),
                      format.debugDescription().c_str());
        }
        effect->setOutputStreamFormat(format, &output);
        if (output.code == kEffectFormatNotSupported) {
            logFormat("Error: %s does not support output format: %s", effect->description().c_str(),
                      format.debugDescription().c_str());
        }
        if (!input && !output) {
            _usedEffects.push_back(effect);
        }
        const bool refused =
            input.code == kEffectFormatNotSupported || output.code == kEffectFormatNotSupported;
        effect->setRefusedChannels(refused ? format.channels() : 0);
    }
}

void KivEffectBus::connectEffects() {
    for (const auto& effect : _effects) {
        if (effect->stream()) {
            effect->clearRenderCallback();
        }
    }
    for (std::size_t i = 1; i < _usedEffects.size(); ++i) {
        _usedEffects[i - 1]->connectToInputOf(*_usedEffects[i]);
    }
}

void KivEffectBus::connectEffectsToEffect(KivEffect& target, std::uint32_t bus) {
    connectEffects();
    if (auto last = lastUsedEffect()) {
        last->connectToInputOf(target, bus);
    }
}

bool KivEffectBus::setRenderCallback(const KivRenderInfo& info) {
    auto first = firstUsedEffect();
    return first && first->setRenderCallback(info);
}

void KivEffectBus::registerRenderInfo(KivRenderInfo* info) const {
    if (info == nullptr) {
        return;
    }
    if (auto last = lastUsedEffect()) {
        last->registerRenderInfo(info);
    } else {
        info->clear();
    }
}

void KivEffectBus::saveState() {
    for (const auto& effect : _effects) {
        effect->saveState();
    }
}

void KivEffectBus::restoreState() {
    for (const auto& effect : _effects) {
        effect->restoreState();
    }
}

void KivEffectBus::setParameters() {
    for (const auto& effect : _effects) {
        effect->setParameters();
    }
}

double KivEffectBus::tailTime() const {
    double tail = 0.0;
    for (const auto& effect : _usedEffects) {
        if (effect->enabled()) {
            tail += effect->tailTime();
        }
    }
    return tail;
}

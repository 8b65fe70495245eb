#include "model/CueEffectChain.h"

#include "audio/effects/KivEffect.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/KivNSArray.h"
#include "foundation/ThreadRole.h"

#include <algorithm>
#include <utility>

bool CueEffectChain::contains(const std::shared_ptr<KivEffect>& effect) const {
    return std::find(_effects.begin(), _effects.end(), effect) != _effects.end();
}

void CueEffectChain::setEffects(std::vector<std::shared_ptr<KivEffect>> effects) {
    _effects = std::move(effects);
    _source.setEffects(_effects);
    _effectsChanged.emit();
}

void CueEffectChain::addEffect(const std::shared_ptr<KivEffect>& effect) {
    if (!effect || contains(effect)) {
        return;
    }
    _effects.push_back(effect);
    _source.addEffect(effect);
    _effectsChanged.emit();
}

void CueEffectChain::insertEffect(const std::shared_ptr<KivEffect>& effect, std::size_t index) {
    if (!effect || contains(effect)) {
        return;
    }
    _effects.insert(
        _effects.begin() + static_cast<std::ptrdiff_t>(std::min(index, _effects.size())), effect);
    _source.setEffects(_effects);
    _effectsChanged.emit();
}

void CueEffectChain::removeEffect(const std::shared_ptr<KivEffect>& effect) {
    if (!contains(effect)) {
        return;
    }
    std::erase(_effects, effect);
    _source.removeEffect(effect);
    _effectsChanged.emit();
}

void CueEffectChain::moveEffectAtIndex(std::size_t from, std::size_t to) {
    KivNSArray::moveObjectAt(_effects, from, to);
    updateEffects();
}

void CueEffectChain::updateEffects() {
    assertMainThread();
    for (const auto& effect : _effects) {
        effect->saveState();
    }
    // One hand-over to the rebuilt chain, which keeps the place: an empty
    // chain in between would let the dry sound through.
    _source.setEffects(_effects);
    _effectsChanged.emit();
}

void CueEffectChain::closeEffectEditors() {
    for (const auto& effect : _effects) {
        effect->closeEditor();
    }
}

#pragma once

#include "foundation/Signal.h"

#include <cstddef>
#include <memory>
#include <vector>

class KivAudioSource;
class KivEffect;

// A cue's effects, first applied first, kept in step with the chain of the
// source they play on. A playing source plays on through every change, from
// where it was (see KivAudioSource).
class CueEffectChain final {
public:
    // `source` must outlive the chain.
    explicit CueEffectChain(KivAudioSource& source)
        : _source(source) {}

    const std::vector<std::shared_ptr<KivEffect>>& effects() const { return _effects; }
    void setEffects(std::vector<std::shared_ptr<KivEffect>> effects);
    // An effect already in the chain, or none, is not added again.
    void addEffect(const std::shared_ptr<KivEffect>& effect);
    // At `index` of the chain (at the end when past it).
    void insertEffect(const std::shared_ptr<KivEffect>& effect, std::size_t index);
    void removeEffect(const std::shared_ptr<KivEffect>& effect);
    // Moves the entry, then updateEffects.
    void moveEffectAtIndex(std::size_t from, std::size_t to);
    // Saves every effect's state and rebuilds the source's chain with it.
    void updateEffects();
    void closeEffectEditors();
    Signal<>& effectsChanged() { return _effectsChanged; }

private:
    bool contains(const std::shared_ptr<KivEffect>& effect) const;

    KivAudioSource& _source;
    std::vector<std::shared_ptr<KivEffect>> _effects;
    Signal<> _effectsChanged;
};

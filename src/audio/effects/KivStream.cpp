#include "audio/effects/KivStream.h"

#include "audio/effects/KivComponentCatalogue.h"
#include "audio/effects/KivEffect.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"

#include <utility>

KivStreamLock::KivStreamLock(KivStream& stream)
    : _stream(stream)
    , _lock(stream._renderLock) {
    _stream._lockHolder.store(std::this_thread::get_id());
}

KivStreamLock::KivStreamLock(KivStream& stream, std::try_to_lock_t)
    : _stream(stream)
    , _lock(stream._renderLock, std::try_to_lock) {
    if (_lock.owns_lock()) {
        _stream._lockHolder.store(std::this_thread::get_id());
    }
}

KivStreamLock::~KivStreamLock() {
    if (_lock.owns_lock()) {
        _stream._lockHolder.store(std::thread::id());
    }
}

KivStream::KivStream(std::uint32_t maximumFramesPerSlice)
    : _maxFrames(maximumFramesPerSlice) {}

KivStream::~KivStream() {
    destroy();
}

bool KivStream::fail(std::int32_t status, const char* operation, int line, KivError* error) {
    logStatusError(status, operation, line);
    return failWith(error, kAUGraphErrorDomain, status);
}

bool KivStream::create(KivError* error) {
    _exists = true;
    return true;
}

bool KivStream::destroy(KivError* error) {
    assertNotRenderThread();
    if (!_exists) {
        return true;
    }
    // Effects save what their units hold before the units go.
    while (!_effects.empty()) {
        (*_effects.begin())->setStream(nullptr, 0);
    }
    std::map<std::int32_t, std::shared_ptr<KivEffectUnit>> units;
    withRenderLock([&](const EffectRenderLock&) {
        units.swap(_nodes);
        _exists = _open = _initialized = _running = false;
    });
    // Units are freed outside the lock; nothing can reach them any more.
    return true;
}

bool KivStream::open(KivError* error) {
    if (!_exists) {
        return fail(kNoGraph, "open", __LINE__, error);
    }
    _open = true;
    return true;
}

bool KivStream::close(KivError* error) {
    if (!_exists) {
        return fail(kNoGraph, "close", __LINE__, error);
    }
    if (_initialized && !uninitialize(error)) {
        return false;
    }
    _open = false;
    return true;
}

bool KivStream::initialize(KivError* error) {
    assertNotRenderThread();
    if (!_exists) {
        return fail(kNoGraph, "initialize", __LINE__, error);
    }
    if (_initialized) {
        return true;
    }
    _open = true;
    withRenderLock([&](const EffectRenderLock& held) {
        for (auto& [node, unit] : _nodes) {
            if (!unit->isInitialized()) {
                const std::int32_t status = unit->initialize(held, _maxFrames);
                if (status != kEffectNoErr) {
                    logStatusError(status, unit->componentDescription().name().c_str(),
                                   "initialize", __LINE__);
                }
            }
        }
        _initialized = true;
    });
    return true;
}

bool KivStream::uninitialize(KivError* error) {
    assertNotRenderThread();
    if (!_exists) {
        return fail(kNoGraph, "uninitialize", __LINE__, error);
    }
    if (!_initialized) {
        return true;
    }
    withRenderLock([&](const EffectRenderLock&) {
        for (auto& [node, unit] : _nodes) {
            unit->uninitialize();
        }
        _initialized = false;
        _running = false;
    });
    return true;
}

bool KivStream::start(KivError* error) {
    if (!_exists) {
        return fail(kNoGraph, "start", __LINE__, error);
    }
    if (!_initialized && !initialize(error)) {
        return false;
    }
    _running = true;
    return true;
}

bool KivStream::stop(KivError* error) {
    _running = false;
    return true;
}

std::uint32_t KivStream::numberOfNodes() const {
    return static_cast<std::uint32_t>(_nodes.size());
}

bool KivStream::addEffect(KivEffect& effect, KivError* error) {
    return effect.addToStream(*this, error);
}

bool KivStream::removeEffect(KivEffect* effect, KivError* error) {
    if (effect == nullptr || !containsEffect(*effect)) {
        return true;
    }
    effect->closeEditor();
    const std::int32_t node = effect->node();
    effect->setStream(nullptr, 0);
    const std::int32_t status = removeNode(node);
    if (status != kEffectNoErr) {
        return fail(status, "removeNode", __LINE__, error);
    }
    return true;
}

bool KivStream::containsEffect(const KivEffect& effect) const {
    return effect.stream() == this && hasNode(effect.node());
}

KivEffectUnit* KivStream::unitForEffect(const KivEffect& effect) const {
    return effect.stream() == this ? unitForNode(effect.node()) : nullptr;
}

KivEffectUnit* KivStream::unitForNode(std::int32_t node) const {
    auto found = _nodes.find(node);
    return found != _nodes.end() ? found->second.get() : nullptr;
}

std::shared_ptr<KivEffectUnit> KivStream::sharedUnitForNode(std::int32_t node) const {
    auto found = _nodes.find(node);
    return found != _nodes.end() ? found->second : nullptr;
}

std::shared_ptr<KivEffectUnit> KivStream::makeUnitLike(std::int32_t node, std::int32_t& status) {
    assertNotRenderThread();
    KivEffectUnit* old = unitForNode(node);
    if (old == nullptr) {
        status = kNodeNotFound;
        return nullptr;
    }
    auto catalogue = componentCatalogue();
    status = kEffectComponentNotFound;
    std::unique_ptr<EffectProcessor> processor =
        catalogue ? catalogue->makeProcessor(old->componentDescription(), _renderLock, status)
                  : nullptr;
    if (!processor) {
        return nullptr;
    }
    auto unit = std::make_shared<KivEffectUnit>(old->componentDescription(), std::move(processor));
    status = unit->setInputFormat(old->inputFormat());
    if (status == kEffectNoErr) {
        status = unit->setOutputFormat(old->outputFormat());
    }
    if (status != kEffectNoErr) {
        return nullptr;
    }
    // Nothing renders the new unit yet: the lock is only the processor's proof.
    status = withRenderLock([&](const EffectRenderLock& held) {
        const EffectProcessor& from = old->processor();
        EffectProcessor& to = unit->processor();
        if (old->isInitialized()) {
            if (const std::int32_t prepared = unit->initialize(held, _maxFrames);
                prepared != kEffectNoErr) {
                return prepared;
            }
        }
        const std::int32_t restored = to.setState(held, from.state());
        to.setPresentPreset(from.presentPreset());
        to.setBypassed(from.bypassed());
        return restored;
    });
    return status == kEffectNoErr ? unit : nullptr;
}

std::int32_t KivStream::replaceUnit(std::int32_t node, std::shared_ptr<KivEffectUnit> unit) {
    assertNotRenderThread();
    auto found = _nodes.find(node);
    if (found == _nodes.end() || !unit) {
        return kNodeNotFound;
    }
    std::shared_ptr<KivEffectUnit> old;
    withRenderLock([&](const EffectRenderLock&) {
        old = std::exchange(found->second, unit);
        unit->setInput(old->input());
        KivRenderInfo pulled;
        unit->registerRenderInfo(&pulled);
        for (auto& [other, each] : _nodes) {
            if (each->input().target == static_cast<KivAudioRendering*>(old.get())) {
                each->setInput(pulled);
            }
        }
        for (KivEffect* effect : _effects) {
            if (effect->node() == node) {
                effect->_placement.setRenderUnit(unit.get());
            }
        }
    });
    // Freed outside the lock, unless someone else still holds it.
    old.reset();
    if (_unitReplaced && _lockHolder.load() != std::this_thread::get_id()) {
        _unitReplaced();
    }
    return kEffectNoErr;
}

std::optional<KivAudioComponentDescription>
KivStream::componentDescriptionForEffect(const KivEffect& effect) const {
    if (KivEffectUnit* unit = unitForEffect(effect)) {
        return unit->componentDescription();
    }
    logStatusError(kNodeNotFound, "componentDescriptionForEffect", __LINE__);
    return std::nullopt;
}

std::int32_t KivStream::addComponentDescription(const KivAudioComponentDescription& description,
                                                std::int32_t& node) {
    assertNotRenderThread();
    node = 0;
    if (!_exists) {
        return kNoGraph;
    }
    auto catalogue = componentCatalogue();
    std::int32_t status = kEffectComponentNotFound;
    std::unique_ptr<EffectProcessor> processor =
        catalogue ? catalogue->makeProcessor(description, _renderLock, status) : nullptr;
    if (!processor) {
        return status != kEffectNoErr ? status : kEffectComponentNotFound;
    }
    // Prepared once it has its formats: preparing it for the default ones
    // first would instantiate the plugin twice.
    auto unit = std::make_shared<KivEffectUnit>(description, std::move(processor));
    withRenderLock([&](const EffectRenderLock&) {
        node = _nextNode++;
        _nodes.emplace(node, std::move(unit));
    });
    return kEffectNoErr;
}

std::int32_t KivStream::removeNode(std::int32_t node) {
    assertNotRenderThread();
    if (node == 0) {
        return kEffectNoErr;
    }
    std::shared_ptr<KivEffectUnit> removed;
    withRenderLock([&](const EffectRenderLock&) {
        auto found = _nodes.find(node);
        if (found == _nodes.end()) {
            return;
        }
        removed = std::move(found->second);
        _nodes.erase(found);
        for (auto& [other, unit] : _nodes) {
            if (unit->input().target == static_cast<KivAudioRendering*>(removed.get())) {
                unit->setInput(KivRenderInfo{});
            }
        }
    });
    // Freed outside the lock (or later, by a chain that still holds it):
    // nothing else reaches it any more.
    return removed ? kEffectNoErr : kNodeNotFound;
}

std::int32_t KivStream::connectOutputOfNode(std::int32_t source, std::uint32_t sourceBus,
                                            std::int32_t destination,
                                            std::uint32_t destinationBus) {
    KivEffectUnit* from = unitForNode(source);
    if (from == nullptr) {
        return kNodeNotFound;
    }
    KivRenderInfo info;
    from->registerRenderInfo(&info);
    return sourceBus == 0 ? setInputCallback(destination, destinationBus, info)
                          : kEffectInvalidElement;
}

std::int32_t KivStream::setInputCallback(std::int32_t node, std::uint32_t bus,
                                         const KivRenderInfo& info) {
    assertNotRenderThread();
    KivEffectUnit* unit = unitForNode(node);
    if (unit == nullptr) {
        return kNodeNotFound;
    }
    if (bus != 0) {
        return kEffectInvalidElement;
    }
    withRenderLock([&](const EffectRenderLock&) { unit->setInput(info); });
    return kEffectNoErr;
}

std::int32_t KivStream::disconnectInputOfNode(std::int32_t node, std::uint32_t bus) {
    const std::int32_t status = setInputCallback(node, bus, KivRenderInfo{});
    if (status != kEffectNoErr) {
        logStatusError(status, "disconnectInputOfNode", __LINE__);
    }
    return status;
}

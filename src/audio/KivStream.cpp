#include "audio/KivStream.h"

#include "audio/KivComponentCatalogue.h"
#include "audio/KivEffect.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/ThreadRole.h"
#include "platform/effects/EffectStatus.h"

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
    std::map<std::int32_t, std::unique_ptr<KivEffectUnit>> units;
    {
        KivStreamLock lock(*this);
        units.swap(_nodes);
        _exists = _open = _initialized = _running = false;
    }
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
    KivStreamLock lock(*this);
    for (auto& [node, unit] : _nodes) {
        if (!unit->isInitialized()) {
            const std::int32_t status = unit->initialize(lock.held(), _maxFrames);
            if (status != kEffectNoErr) {
                logStatusError(status, unit->componentDescription().name().c_str(), "initialize",
                               __LINE__);
            }
        }
    }
    _initialized = true;
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
    KivStreamLock lock(*this);
    for (auto& [node, unit] : _nodes) {
        unit->uninitialize();
    }
    _initialized = false;
    _running = false;
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
    auto unit = std::make_unique<KivEffectUnit>(description, std::move(processor));
    if (_initialized) {
        KivStreamLock lock(*this);
        if (const std::int32_t prepared = unit->initialize(lock.held(), _maxFrames);
            prepared != kEffectNoErr) {
            logStatusError(prepared, description.name().c_str(), "initialize", __LINE__);
        }
    }
    node = _nextNode++;
    _nodes.emplace(node, std::move(unit));
    return kEffectNoErr;
}

std::int32_t KivStream::removeNode(std::int32_t node) {
    assertNotRenderThread();
    if (node == 0) {
        return kEffectNoErr;
    }
    std::unique_ptr<KivEffectUnit> removed;
    {
        KivStreamLock lock(*this);
        auto found = _nodes.find(node);
        if (found == _nodes.end()) {
            return kNodeNotFound;
        }
        removed = std::move(found->second);
        _nodes.erase(found);
    }
    return kEffectNoErr;
}

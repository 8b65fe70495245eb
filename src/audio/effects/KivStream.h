#pragma once

#include "audio/core/KivError.h"
#include "audio/effects/KivAudioComponentDescription.h"
#include "audio/effects/KivEffectUnit.h"
#include "audio/effects/KivStreamLock.h"
#include "foundation/ThreadRole.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

class KivEffect;

// One pull graph of effect units (nodes), with the render lock under which
// its units are changed.
//
// Threads: the owner creates, opens, initializes, starts and tears the
// stream down on the main thread, and changes nodes and connections there;
// every change of a unit (its preparation, state, preset, connections) is
// made holding renderLock(). An owner whose render path pulls the graph holds
// the same lock there (KivStreamLock with try_to_lock). An owner whose render
// path runs the units from a chain handed to it (see KivEffectChain) never
// takes the lock there: a unit it was handed is not changed in place, but
// replaced by a new one (makeUnitLike, replaceUnit), and the owner is told so
// that it hands over a new chain.
//
// Operations with a KivError log a failure as
// "Error: %d [%4.4s] | %s [line %d]" and return it in "AUGraphErrorDomain".
class KivStream {
public:
    explicit KivStream(std::uint32_t maximumFramesPerSlice = 4096);
    ~KivStream();
    KivStream(const KivStream&) = delete;
    KivStream& operator=(const KivStream&) = delete;

    std::mutex& renderLock() { return _renderLock; }
    // The most frames one render call asks of a unit.
    std::uint32_t maximumFramesPerSlice() const { return _maxFrames; }

    // Calls fn(const EffectRenderLock&) holding the render lock: the hold of a
    // KivStreamLock of this thread when there is one, else a new one. Never on
    // the render thread.
    template <class F>
    decltype(auto) withRenderLock(F&& fn);

    bool create(KivError* error = nullptr);
    bool destroy(KivError* error = nullptr);
    bool isOpen() const { return _exists && _open; }
    bool isInitialized() const { return _exists && _initialized; }
    bool isRunning() const { return _exists && _running; }
    bool open(KivError* error = nullptr);
    bool close(KivError* error = nullptr);
    // Prepares every unit for its formats; a unit that cannot be prepared is
    // logged and left uninitialized (it passes its input through).
    bool initialize(KivError* error = nullptr);
    bool uninitialize(KivError* error = nullptr);
    bool start(KivError* error = nullptr);
    bool stop(KivError* error = nullptr);
    std::uint32_t numberOfNodes() const;

    bool addEffect(KivEffect& effect, KivError* error = nullptr);
    // True for none or an effect not in this stream; otherwise closes its
    // editor, removes its node and always detaches the effect.
    bool removeEffect(KivEffect* effect, KivError* error = nullptr);
    bool containsEffect(const KivEffect& effect) const;
    // The unit of the effect's node; none for an effect of another stream.
    KivEffectUnit* unitForEffect(const KivEffect& effect) const;
    KivEffectUnit* unitForNode(std::int32_t node) const;
    std::shared_ptr<KivEffectUnit> sharedUnitForNode(std::int32_t node) const;

    // A new unit of the node's component, given the formats of the node's
    // unit, prepared when that one is, and its state, bypass and present
    // preset; not in the graph yet. Null, with the status, when the
    // component cannot be made or prepared.
    std::shared_ptr<KivEffectUnit> makeUnitLike(std::int32_t node, std::int32_t& status);
    // Puts `unit` in the node's place: what pulled the old unit pulls the new
    // one, which pulls what the old one did. The old unit lives on for
    // whoever still holds it. Then, unless this thread holds the render lock
    // through a KivStreamLock (an owner's rebuild under way, which hands
    // over its chain when done), the owner's handler is called.
    std::int32_t replaceUnit(std::int32_t node, std::shared_ptr<KivEffectUnit> unit);
    // Main thread: what replaceUnit calls, on the main thread.
    void setUnitReplacedHandler(std::function<void()> handler) {
        _unitReplaced = std::move(handler);
    }
    // The component of the effect's node; none, logged, for an effect not in this stream.
    std::optional<KivAudioComponentDescription>
    componentDescriptionForEffect(const KivEffect& effect) const;

    // Adds a node for an installed component and answers a status, the node
    // through `node`. Its unit is prepared once it has its formats (see
    // KivEffect::setInputStreamFormat) or when the stream is initialized.
    std::int32_t addComponentDescription(const KivAudioComponentDescription& description,
                                         std::int32_t& node);
    // Removes the node and every connection from it.
    std::int32_t removeNode(std::int32_t node);

    // Render lock taken. Feeds the input bus of `destination` from the output
    // bus of `source`, or from a callback; units have bus 0 only.
    std::int32_t connectOutputOfNode(std::int32_t source, std::uint32_t sourceBus,
                                     std::int32_t destination, std::uint32_t destinationBus);
    std::int32_t setInputCallback(std::int32_t node, std::uint32_t bus, const KivRenderInfo& info);
    // Leaves the input unfed (it renders silence); answers the status.
    std::int32_t disconnectInputOfNode(std::int32_t node, std::uint32_t bus);

    // Node statuses.
    static constexpr std::int32_t kNodeNotFound = -10860;
    static constexpr std::int32_t kNoGraph = -10863;

private:
    friend class KivStreamLock;
    friend class KivEffect;

    // KivEffect::setStream keeps the list of effects placed here, so that
    // destroying the stream detaches them first.
    void rememberEffect(KivEffect* effect) { _effects.insert(effect); }
    void forgetEffect(KivEffect* effect) { _effects.erase(effect); }

    bool fail(std::int32_t status, const char* operation, int line, KivError* error);
    bool hasNode(std::int32_t node) const { return _nodes.count(node) != 0; }

    std::mutex _renderLock;
    // The thread holding _renderLock through a KivStreamLock; written under it.
    std::atomic<std::thread::id> _lockHolder{};
    static_assert(std::atomic<std::thread::id>::is_always_lock_free,
                  "the render thread marks its hold without a lock");
    const std::uint32_t _maxFrames;

    // Main thread.
    bool _exists = false;
    bool _open = false;
    bool _initialized = false;
    bool _running = false;
    std::int32_t _nextNode = 1;
    std::map<std::int32_t, std::shared_ptr<KivEffectUnit>> _nodes;
    std::set<KivEffect*> _effects;
    std::function<void()> _unitReplaced;
};

template <class F>
decltype(auto) KivStream::withRenderLock(F&& fn) {
    assertNotRenderThread();
    if (_lockHolder.load() == std::this_thread::get_id()) {
        EffectRenderLock adopted(_renderLock, std::adopt_lock);
        struct Release {
            EffectRenderLock& lock;
            ~Release() { lock.release(); }
        } release{adopted};
        return fn(static_cast<const EffectRenderLock&>(adopted));
    }
    KivStreamLock lock(*this);
    return fn(lock.held());
}

#pragma once

#include "audio/core/AudioChannels.h"
#include "audio/render/KivRetireList.h"

#include <atomic>
#include <cstdint>
#include <memory>

class KivEffectChain;

// The effect chains of one source: the one its render path runs, the one it
// leaves while the way to the new one runs, and the one a control thread has
// handed over. The render thread takes a chain handed over at the start of a
// cycle and crossfades to it when it was built to follow the chain running;
// what it leaves goes to a retire list, freed on a control thread.
//
// Threads:
// - control thread, under the source's control lock: handOver(),
//   takeBackWaiting(), lastChain(), freeLeft(); install() and settle() also
//   under the source's render lock (or while nothing pulls the source).
// - the render thread, under the source's render lock: takeHandedOver(),
//   process(). It never frees a chain.
class KivChainHandover {
public:
    KivChainHandover() = default;
    ~KivChainHandover();
    KivChainHandover(const KivChainHandover&) = delete;
    KivChainHandover& operator=(const KivChainHandover&) = delete;

    // The chain the next one handed over follows: the last one handed over.
    KivEffectChain* lastChain() const { return _lastChain; }
    // A chain the render thread has not taken yet never reached it: it goes,
    // and the next one follows what that one followed.
    void takeBackWaiting();
    // For the render thread to take at its next cycle.
    void handOver(std::unique_ptr<KivEffectChain> chain);
    // `chain` is the render path's from now on; every other chain goes.
    void install(std::unique_ptr<KivEffectChain> chain);
    // Nothing pulls the source any more: the chain handed over (or the one
    // the way leads to) is the render path's at once.
    void settle();
    void freeLeft() { _leftChains.freeAll(); }

    // Render thread: takes a chain handed over, unless the way to the last
    // one still runs.
    void takeHandedOver();
    // Render thread: the chain (or the way to it) on `data` in place.
    std::int32_t process(const AudioChannels& data);

private:
    // The control thread hands a chain over here (taking back one the render
    // thread has not taken yet)...
    std::atomic<KivEffectChain*> _handedOverChain{nullptr};
    // ... the render thread runs `_chain` (and while the way to it runs, the
    // chain it follows, `_leavingChain`), and retires what it leaves.
    KivEffectChain* _chain = nullptr;
    KivEffectChain* _leavingChain = nullptr;
    std::uint32_t _transitionDone = 0; // frames of the way to `_chain` rendered
    KivRetireList _leftChains;
    // Control thread: the last chain handed over, and what the render thread
    // runs while that one waits to be taken.
    KivEffectChain* _lastChain = nullptr;
    KivEffectChain* _waitingFollows = nullptr;
};

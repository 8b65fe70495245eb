#include "audio/source/KivChainHandover.h"

#include "audio/effects/KivEffectChain.h"

#include <utility>

KivChainHandover::~KivChainHandover() {
    install(nullptr);
}

void KivChainHandover::takeBackWaiting() {
    if (std::unique_ptr<KivEffectChain> waiting{
            _handedOverChain.exchange(nullptr, std::memory_order_acq_rel)}) {
        _lastChain = _waitingFollows;
    }
}

void KivChainHandover::handOver(std::unique_ptr<KivEffectChain> chain) {
    _waitingFollows = std::exchange(_lastChain, chain.get());
    _handedOverChain.store(chain.release(), std::memory_order_release);
}

void KivChainHandover::install(std::unique_ptr<KivEffectChain> chain) {
    delete _handedOverChain.exchange(nullptr, std::memory_order_acq_rel);
    delete _leavingChain;
    delete _chain;
    _leavingChain = nullptr;
    _transitionDone = 0;
    _chain = chain.release();
    _lastChain = _chain;
}

void KivChainHandover::settle() {
    if (std::unique_ptr<KivEffectChain> waiting{
            _handedOverChain.exchange(nullptr, std::memory_order_acq_rel)}) {
        install(std::move(waiting));
    } else if (_leavingChain != nullptr) {
        _leftChains.push(std::exchange(_leavingChain, nullptr));
    }
    _leftChains.freeAll();
}

void KivChainHandover::takeHandedOver() {
    if (_leavingChain != nullptr) {
        // One way at a time: the next chain waits for this one's end.
        return;
    }
    KivEffectChain* next = _handedOverChain.exchange(nullptr, std::memory_order_acq_rel);
    if (next == nullptr) {
        return;
    }
    if (_chain != nullptr && next->follows() == _chain) {
        _leavingChain = _chain;
        _transitionDone = 0;
    } else if (_chain != nullptr) {
        _leftChains.push(_chain);
    }
    _chain = next;
}

std::int32_t KivChainHandover::process(const AudioChannels& data) {
    if (_leavingChain != nullptr) {
        const std::int32_t status = _chain->processTransition(data, _transitionDone);
        _transitionDone += data.frameCount;
        if (_transitionDone >= _chain->transitionFrames()) {
            _leftChains.push(std::exchange(_leavingChain, nullptr));
        }
        return status;
    }
    return _chain != nullptr ? _chain->process(data) : 0;
}

#pragma once

#include "platform/effects/EffectProcessor.h"

#include <mutex>

class KivStream;

// A hold of a stream's render lock that the stream knows about, so that
// effect operations called while it is held (a rebuild) reuse it instead of
// locking again. The render path holds it with try_to_lock and renders
// silence when it is busy.
class KivStreamLock {
public:
    explicit KivStreamLock(KivStream& stream);
    KivStreamLock(KivStream& stream, std::try_to_lock_t);
    ~KivStreamLock();
    KivStreamLock(const KivStreamLock&) = delete;
    KivStreamLock& operator=(const KivStreamLock&) = delete;

    bool ownsLock() const { return _lock.owns_lock(); }
    // The proof the processors ask for.
    const EffectRenderLock& held() const { return _lock; }

private:
    KivStream& _stream;
    EffectRenderLock _lock;
};

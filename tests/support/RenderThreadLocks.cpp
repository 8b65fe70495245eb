#include "support/RenderThreadLocks.h"

#include "foundation/ThreadRole.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PONDRA_SEE_LOCKS 0
#else
#define PONDRA_SEE_LOCKS 1
#endif

namespace {
std::atomic<std::uint64_t> gRenderLocks{0};
std::atomic<int> gFailWith{0};

// glibc marks a priority-inheritance mutex in its kind (its internal
// PTHREAD_MUTEX_PRIO_INHERIT_NP).
bool inheritsPriority(const pthread_mutex_t* mutex) {
    return (mutex->__data.__kind & 32) != 0;
}
} // namespace

std::uint64_t renderThreadBlockingLocks() {
    return gRenderLocks.load(std::memory_order_relaxed);
}

bool renderThreadLocksAreSeen() {
    return PONDRA_SEE_LOCKS != 0;
}

void failNextRenderThreadLock(int error) {
    gFailWith.store(error, std::memory_order_relaxed);
}

#if PONDRA_SEE_LOCKS
namespace {
using MutexCall = int (*)(pthread_mutex_t*);

// The C library's own entry points, found behind these wrappers once at
// load time, so no render thread ever looks them up.
MutexCall next(const char* name) {
    return reinterpret_cast<MutexCall>(dlsym(RTLD_NEXT, name));
}
MutexCall gLock = next("pthread_mutex_lock");
MutexCall gTryLock = next("pthread_mutex_trylock");

int realLock(pthread_mutex_t* mutex) {
    return (gLock ? gLock : next("pthread_mutex_lock"))(mutex);
}
int realTryLock(pthread_mutex_t* mutex) {
    return (gTryLock ? gTryLock : next("pthread_mutex_trylock"))(mutex);
}
} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
    if (isRenderThread()) {
        gRenderLocks.fetch_add(1, std::memory_order_relaxed);
        if (inheritsPriority(mutex)) {
            if (const int error = gFailWith.exchange(0, std::memory_order_relaxed)) {
                return error;
            }
        }
    }
    return realLock(mutex);
}

extern "C" int pthread_mutex_trylock(pthread_mutex_t* mutex) {
    if (gFailWith.load(std::memory_order_relaxed) != 0 && isRenderThread() &&
        inheritsPriority(mutex)) {
        return EBUSY;
    }
    return realTryLock(mutex);
}
#endif

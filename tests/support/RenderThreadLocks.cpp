#include "support/RenderThreadLocks.h"

#include "foundation/ThreadRole.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PONDRA_SEE_LOCKS 0
#else
#define PONDRA_SEE_LOCKS 1
#endif

namespace {
std::atomic<std::uint64_t> gRenderLocks{0};
} // namespace

std::uint64_t renderThreadBlockingLocks() {
    return gRenderLocks.load(std::memory_order_relaxed);
}

bool renderThreadLocksAreSeen() {
    return PONDRA_SEE_LOCKS != 0;
}

#if PONDRA_SEE_LOCKS
namespace {
using MutexCall = int (*)(pthread_mutex_t*);

// The C library's own entry point, found behind this wrapper once at load
// time, so no render thread ever looks it up.
MutexCall next(const char* name) {
    return reinterpret_cast<MutexCall>(dlsym(RTLD_NEXT, name));
}
MutexCall gLock = next("pthread_mutex_lock");
} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) {
    if (isRenderThread()) {
        gRenderLocks.fetch_add(1, std::memory_order_relaxed);
    }
    return (gLock ? gLock : next("pthread_mutex_lock"))(mutex);
}
#endif

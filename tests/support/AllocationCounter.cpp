#include "support/AllocationCounter.h"

#include <cerrno>

namespace {
thread_local bool tCounting = false;
thread_local std::size_t tCount = 0;

inline void noteAllocation() {
    if (tCounting) {
        ++tCount;
    }
}
} // namespace

#if defined(__SANITIZE_ADDRESS__)

bool AllocationCounter::available() {
    return false;
}

#else

// glibc's own entry points; defining malloc here interposes it for the whole
// process, plugins loaded later included.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) {
    noteAllocation();
    return __libc_realloc(pointer, size);
}

void* memalign(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    noteAllocation();
    void* pointer = __libc_memalign(alignment, size);
    if (!pointer) {
        return ENOMEM;
    }
    *out = pointer;
    return 0;
}
}

bool AllocationCounter::available() {
    return true;
}

#endif

AllocationCounter::AllocationCounter()
    : _start(tCount) {
    tCounting = true;
}

AllocationCounter::~AllocationCounter() {
    tCounting = false;
}

std::size_t AllocationCounter::count() const {
    return tCount - _start;
}

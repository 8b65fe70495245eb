#include "support/RenderThreadAllocations.h"

#include "foundation/ThreadRole.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PONDRA_COUNT_MALLOC 0
#else
#define PONDRA_COUNT_MALLOC 1
#endif

namespace {
std::atomic<std::uint64_t> gRenderAllocations{0};

void noteAllocation() {
    if (isRenderThread()) {
        gRenderAllocations.fetch_add(1, std::memory_order_relaxed);
    }
}

void* allocate(std::size_t size) {
    // With malloc counted, the malloc below counts this allocation.
    if (!PONDRA_COUNT_MALLOC) {
        noteAllocation();
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    if (!PONDRA_COUNT_MALLOC) {
        noteAllocation();
    }
    void* p = nullptr;
    const std::size_t align = std::max(static_cast<std::size_t>(alignment), sizeof(void*));
    if (posix_memalign(&p, align, size ? size : 1) != 0) {
        throw std::bad_alloc();
    }
    return p;
}
} // namespace

std::uint64_t renderThreadAllocations() {
    return gRenderAllocations.load(std::memory_order_relaxed);
}

bool renderThreadMallocIsCounted() {
    return PONDRA_COUNT_MALLOC != 0;
}

#if PONDRA_COUNT_MALLOC
// glibc's own entry points, so these wrappers can forward without recursion.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void* __libc_memalign(std::size_t, std::size_t);

extern "C" void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* pointer, std::size_t size) {
    noteAllocation();
    return __libc_realloc(pointer, size);
}

extern "C" void* memalign(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

extern "C" void* aligned_alloc(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}

extern "C" int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    noteAllocation();
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12; // ENOMEM
}
#endif

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

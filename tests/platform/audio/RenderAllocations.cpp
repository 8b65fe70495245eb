#include "RenderAllocations.h"

#include "foundation/ThreadRole.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::uint64_t> gRenderAllocations{0};
}

std::uint64_t renderThreadAllocations() {
    return gRenderAllocations.load();
}

// The other forms of new and delete of the library forward to these two.
void* operator new(std::size_t size) {
    if (isRenderThread()) {
        gRenderAllocations.fetch_add(1);
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

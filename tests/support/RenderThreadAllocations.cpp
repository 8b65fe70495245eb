#include "support/RenderThreadAllocations.h"

#include "foundation/ThreadRole.h"

#include <cxxabi.h>
#include <execinfo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <sstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PONDRA_COUNT_MALLOC 0
#else
#define PONDRA_COUNT_MALLOC 1
#endif

namespace {
constexpr int kMaxFrames = 24;

// The first render-thread heap call since the last check, kept for the
// failure message. Written by the offending thread alone (state 1 while it
// writes, 2 once written), read and cleared by the check.
struct FirstCall {
    std::atomic<int> state{0};
    const char* call = nullptr;
    std::size_t size = 0;
    void* frames[kMaxFrames] = {};
    int frameCount = 0;
};

std::atomic<std::uint64_t> gRenderAllocations{0};
FirstCall gFirstCall;
std::uint64_t gChecked = 0; // the checking thread only
// Set while the hook itself walks the stack, which may allocate once.
thread_local bool tInHook = false;

// Loads the unwinder now, off the render thread, so the first backtrace inside
// the hook does not have to.
const int gUnwinderLoaded = [] {
    void* frame[1];
    return backtrace(frame, 1);
}();

void noteHeapCall(const char* call, std::size_t size) {
    if (!isRenderThread() || tInHook) {
        return;
    }
    gRenderAllocations.fetch_add(1, std::memory_order_relaxed);
    int empty = 0;
    if (gFirstCall.state.compare_exchange_strong(empty, 1, std::memory_order_acquire)) {
        tInHook = true;
        gFirstCall.call = call;
        gFirstCall.size = size;
        gFirstCall.frameCount = backtrace(gFirstCall.frames, kMaxFrames);
        tInHook = false;
        gFirstCall.state.store(2, std::memory_order_release);
    }
}

void noteAllocation(std::size_t size) {
    noteHeapCall("an allocation", size);
}

void noteFree(void* pointer) {
    if (pointer != nullptr) {
        noteHeapCall("a free", 0);
    }
}

// "binary(mangled+0x1f) [0x...]" with the name demangled where there is one.
std::string describeFrame(const char* symbol) {
    std::string line(symbol);
    const auto open = line.find('(');
    const auto plus = line.find('+', open);
    if (open == std::string::npos || plus == std::string::npos || plus == open + 1) {
        return line;
    }
    const std::string mangled = line.substr(open + 1, plus - open - 1);
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status), &std::free);
    return status == 0 ? line.replace(open + 1, mangled.size(), name.get()) : line;
}

std::string describeFirstCall() {
    std::ostringstream text;
    text << "the first was " << gFirstCall.call;
    if (gFirstCall.size > 0) {
        text << " of " << gFirstCall.size << " bytes";
    }
    text << ", from:";
    std::unique_ptr<char*, decltype(&std::free)> symbols(
        backtrace_symbols(gFirstCall.frames, gFirstCall.frameCount), &std::free);
    for (int i = 0; symbols && i < gFirstCall.frameCount; ++i) {
        text << "\n  " << describeFrame(symbols.get()[i]);
    }
    return text.str();
}

void* allocate(std::size_t size) {
    // With malloc counted, the malloc below counts this allocation.
    if (!PONDRA_COUNT_MALLOC) {
        noteAllocation(size);
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    if (!PONDRA_COUNT_MALLOC) {
        noteAllocation(size);
    }
    void* p = nullptr;
    const std::size_t align = std::max(static_cast<std::size_t>(alignment), sizeof(void*));
    if (posix_memalign(&p, align, size ? size : 1) != 0) {
        throw std::bad_alloc();
    }
    return p;
}

void release(void* p) {
    // With malloc counted, free counts this.
    if (!PONDRA_COUNT_MALLOC) {
        noteFree(p);
    }
    std::free(p);
}
} // namespace

std::uint64_t renderThreadAllocations() {
    return gRenderAllocations.load(std::memory_order_relaxed);
}

bool renderThreadMallocIsCounted() {
    return PONDRA_COUNT_MALLOC != 0;
}

void failOnRenderThreadAllocations() {
    const std::uint64_t count = gRenderAllocations.load(std::memory_order_relaxed);
    if (count == gChecked) {
        return;
    }
    std::ostringstream message;
    message << (count - gChecked) << " heap call(s) on the render thread";
    gChecked = count;
    if (gFirstCall.state.load(std::memory_order_acquire) == 2) {
        message << "; " << describeFirstCall();
        gFirstCall.state.store(0, std::memory_order_release);
    }
    ADD_FAILURE() << message.str();
}

#if PONDRA_COUNT_MALLOC
// glibc's own entry points, so these wrappers can forward without recursion.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void* __libc_memalign(std::size_t, std::size_t);
extern "C" void __libc_free(void*);

extern "C" void* malloc(std::size_t size) {
    noteAllocation(size);
    return __libc_malloc(size);
}

extern "C" void* calloc(std::size_t count, std::size_t size) {
    noteAllocation(count * size);
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* pointer, std::size_t size) {
    noteAllocation(size);
    return __libc_realloc(pointer, size);
}

extern "C" void* memalign(std::size_t alignment, std::size_t size) {
    noteAllocation(size);
    return __libc_memalign(alignment, size);
}

extern "C" void* aligned_alloc(std::size_t alignment, std::size_t size) {
    noteAllocation(size);
    return __libc_memalign(alignment, size);
}

extern "C" int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
    noteAllocation(size);
    *out = __libc_memalign(alignment, size);
    return *out ? 0 : 12; // ENOMEM
}

extern "C" void free(void* pointer) {
    noteFree(pointer);
    __libc_free(pointer);
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
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}

#include "support/RenderThreadAllocations.h"

#include "foundation/ThreadRole.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {
// Keeps the compiler from eliding an allocation it can prove unused.
void escape(void* p) {
    asm volatile("" : : "g"(p) : "memory");
}
} // namespace

// The hook must see allocations, or the render-path tests prove nothing.
TEST(RenderThreadAllocations, CountsOnlyOnTheRenderThread) {
    const std::uint64_t start = renderThreadAllocations();
    auto offRenderThread = std::make_unique<int>(1);
    escape(offRenderThread.get());
    EXPECT_EQ(renderThreadAllocations(), start);
    {
        ScopedThreadRole role(ThreadRole::Render);
        auto onRenderThread = std::make_unique<int>(2);
        auto array = std::make_unique<double[]>(8);
        escape(onRenderThread.get());
        escape(array.get());
    }
    EXPECT_EQ(renderThreadAllocations(), start + 2);
}

TEST(RenderThreadAllocations, CountsMallocWhereTheBuildAllows) {
    if (!renderThreadMallocIsCounted()) {
        GTEST_SKIP() << "a sanitizer owns malloc in this build";
    }
    const std::uint64_t start = renderThreadAllocations();
    {
        ScopedThreadRole role(ThreadRole::Render);
        void* p = std::malloc(16);
        escape(p);
        p = std::realloc(p, 64);
        escape(p);
        std::free(p);
        void* q = std::calloc(4, 4);
        escape(q);
        std::free(q);
    }
    EXPECT_EQ(renderThreadAllocations(), start + 3);
}

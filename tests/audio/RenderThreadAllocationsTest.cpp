#include "support/RenderThreadAllocations.h"

#include "foundation/ThreadRole.h"

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {
// Keeps the compiler from eliding an allocation it can prove unused.
void escape(void* p) {
    asm volatile("" : : "g"(p) : "memory");
}

// The output and exit status of a shell command.
struct CommandResult {
    std::string output;
    int status = -1;
};

CommandResult run(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) {
        result.output.append(buffer, n);
    }
    result.status = pclose(pipe);
    return result;
}
} // namespace

// Outside the anonymous namespace and not inlined, so the failure's stack names it.
[[gnu::noinline]] void allocateOnTheRenderThread() {
    ScopedThreadRole role(ThreadRole::Render);
    auto onRenderThread = std::make_unique<int>(2);
    escape(onRenderThread.get());
}

// The hook must see allocations and frees, or the render-path tests prove nothing.
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
    // Two allocations and their frees.
    EXPECT_EQ(renderThreadAllocations(), start + 4);
    EXPECT_NONFATAL_FAILURE(failOnRenderThreadAllocations(), "4 heap call(s) on the render thread");
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
    EXPECT_EQ(renderThreadAllocations(), start + 5);
    EXPECT_NONFATAL_FAILURE(failOnRenderThreadAllocations(), "5 heap call(s) on the render thread");
}

TEST(RenderThreadAllocations, FailureNamesTheFirstCallAndWhereItCameFrom) {
    testing::TestPartResultArray failures;
    {
        testing::ScopedFakeTestPartResultReporter reporter(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
        allocateOnTheRenderThread();
        failOnRenderThreadAllocations();
        // Reported once: the next check finds nothing new.
        failOnRenderThreadAllocations();
    }
    ASSERT_EQ(failures.size(), 1);
    const std::string message = failures.GetTestPartResult(0).message();
    EXPECT_THAT(message, testing::HasSubstr("2 heap call(s) on the render thread; the first was "
                                            "an allocation of 4 bytes, from:"));
    EXPECT_THAT(message, testing::HasSubstr("allocateOnTheRenderThread()"));
}

// Run only as the child program of FailTheTestThatMadeThem.
TEST(RenderThreadAllocationsProbe, AllocatesOnTheRenderThread) {
    if (std::getenv("PONDRA_RENDER_ALLOCATION_PROBE") == nullptr) {
        GTEST_SKIP() << "run by RenderThreadAllocations.FailTheTestThatMadeThem";
    }
    allocateOnTheRenderThread();
}

// The test program checks after every test: a test that allocated on the
// render thread fails without asking.
TEST(RenderThreadAllocations, FailTheTestThatMadeThem) {
    const std::string program = std::filesystem::read_symlink("/proc/self/exe");
    const CommandResult child = run("PONDRA_RENDER_ALLOCATION_PROBE=1 '" + program +
                                    "' --gtest_filter=RenderThreadAllocationsProbe.* 2>&1");
    ASSERT_TRUE(WIFEXITED(child.status)) << child.output;
    EXPECT_NE(WEXITSTATUS(child.status), 0) << child.output;
    EXPECT_THAT(child.output, testing::HasSubstr("heap call(s) on the render thread"));
    EXPECT_THAT(
        child.output,
        testing::HasSubstr("[  FAILED  ] RenderThreadAllocationsProbe.AllocatesOnTheRenderThread"));
}

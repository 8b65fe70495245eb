#include "foundation/ThreadRole.h"

#include <gtest/gtest.h>

#include <thread>

// The test program's main() gives its own thread the main thread's role;
// a thread a test starts has none until it takes one.
TEST(ThreadRole, TheTestProgramsThreadIsTheMainThread) {
    EXPECT_TRUE(isMainThread());
    bool workerIsMain = true;
    std::thread([&] { workerIsMain = isMainThread(); }).join();
    EXPECT_FALSE(workerIsMain);
    {
        ScopedThreadRole role(ThreadRole::Render);
        EXPECT_FALSE(isMainThread());
    }
    EXPECT_TRUE(isMainThread());
}

TEST(ThreadRole, MainThreadCheckStopsAnotherThread) {
#ifdef NDEBUG
    GTEST_SKIP() << "assertions are compiled out of this build";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    assertMainThread();
    EXPECT_DEATH(std::thread(assertMainThread).join(), "isMainThread");
    EXPECT_DEATH(
        {
            ScopedThreadRole role(ThreadRole::Render);
            assertMainThread();
        },
        "isMainThread");
}

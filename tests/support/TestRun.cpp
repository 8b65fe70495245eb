#include "support/TestRun.h"

#include "foundation/ThreadRole.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

namespace {
// A test in which the render thread touched the heap fails, whichever thread
// rendered.
class RenderThreadAllocationCheck : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override { failOnRenderThreadAllocations(); }
};
} // namespace

int runAllTests(int& argc, char** argv) {
    // The thread that runs the tests is the program's main thread: the model
    // and the main loop's timers run here, never on a thread a test starts.
    setCurrentThreadRole(ThreadRole::Main);
    testing::InitGoogleTest(&argc, argv);
    // Appended after the result printer, so it runs before the printer reports the test.
    testing::UnitTest::GetInstance()->listeners().Append(new RenderThreadAllocationCheck);
    return RUN_ALL_TESTS();
}

#include "platform/audio/DeviceWorker.h"

#include "Blocker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

TEST(DeviceWorker, RunsCallsAndPostsInTheirOrderOnAThreadOfItsOwn) {
    DeviceWorker worker(1s);
    std::vector<int> order;
    std::thread::id ran;
    worker.post([&] { order.push_back(1); });
    EXPECT_TRUE(worker.call(
        [&] {
            order.push_back(2);
            ran = std::this_thread::get_id();
        },
        10s));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_NE(ran, std::this_thread::get_id());
    EXPECT_FALSE(worker.busySince());
    EXPECT_TRUE(worker.finish(1s));
}

TEST(DeviceWorker, ACallThatDoesNotReturnIsGivenUpAtItsLimitAndEndsLateWithItsLateTask) {
    DeviceWorker worker(100ms);
    Blocker server;
    std::atomic<bool> late{false};
    const auto start = Clock::now();
    EXPECT_FALSE(worker.call([&] { server.wait(); }, 50ms, [&] { late = true; }));
    EXPECT_GE(Clock::now() - start, 50ms);
    EXPECT_TRUE(worker.busySince());
    ASSERT_TRUE(eventually([&] { return worker.hangs(); }));

    // While it hangs, a call is refused without being queued; a post waits behind.
    std::atomic<bool> refusedRan{false};
    std::atomic<bool> posted{false};
    const auto refused = Clock::now();
    EXPECT_FALSE(worker.call([&] { refusedRan = true; }, 10s));
    EXPECT_LT(Clock::now() - refused, 5s);
    worker.post([&] { posted = true; });
    EXPECT_FALSE(late.load());

    server.release();
    ASSERT_TRUE(eventually([&] { return posted.load(); }));
    EXPECT_TRUE(late.load()) << "the late task follows the call given up";
    EXPECT_FALSE(refusedRan.load());
    EXPECT_FALSE(worker.hangs());
    EXPECT_TRUE(worker.call([] {}, 10s)) << "the worker answers again";
}

TEST(DeviceWorker, ACallGivenUpBeforeItBeganNeverRunsNorItsLateTask) {
    DeviceWorker worker(10s);
    Blocker ahead;
    worker.post([&] { ahead.wait(); });
    ASSERT_TRUE(ahead.holds());
    std::atomic<bool> ran{false};
    std::atomic<bool> late{false};
    EXPECT_FALSE(worker.call([&] { ran = true; }, 20ms, [&] { late = true; }));
    ahead.release();
    EXPECT_TRUE(worker.call([] {}, 10s));
    EXPECT_FALSE(ran.load());
    EXPECT_FALSE(late.load());
}

TEST(DeviceWorker, FinishLeavesAStuckThreadWithinItsLimitAndTheThreadLaterRunsItsQueueAlone) {
    Blocker server;
    // What the tasks hold outlives the worker object: the thread owns it.
    auto held = std::make_shared<std::atomic<int>>(0);
    std::weak_ptr<std::atomic<int>> watch = held;
    {
        auto worker = std::make_unique<DeviceWorker>(10s);
        worker->post([&server, held] {
            server.wait();
            held->fetch_add(1);
        });
        worker->post([held] { held->fetch_add(1); });
        ASSERT_TRUE(server.holds());
        const auto start = Clock::now();
        EXPECT_FALSE(worker->finish(100ms));
        EXPECT_LT(Clock::now() - start, 5s);
        worker->post([held] { held->fetch_add(100); });
    }
    held.reset();
    EXPECT_FALSE(watch.expired()) << "the stuck thread still holds its task";
    server.release();
    ASSERT_TRUE(eventually([&] { return watch.expired(); }))
        << "the thread ends once its call returns, letting go of what it held";
}

TEST(DeviceWorker, FinishJoinsAWorkerThatStillAnswersOnceItsQueueHasRunOut) {
    DeviceWorker worker(10s);
    std::atomic<int> ran{0};
    for (int i = 0; i < 3; ++i) {
        worker.post([&ran] {
            std::this_thread::sleep_for(20ms);
            ran.fetch_add(1);
        });
    }
    EXPECT_TRUE(worker.finish(5s));
    EXPECT_EQ(ran.load(), 3);
    EXPECT_FALSE(worker.call([] {}, 1s)) << "a finished worker takes no call";
    EXPECT_TRUE(worker.finish(0ms));
}

TEST(DeviceWorker, AWorkerLetGoByItsOwnLastTaskEndsWithoutJoiningItself) {
    auto worker = std::make_shared<DeviceWorker>(10s);
    std::weak_ptr<DeviceWorker> watch = worker;
    std::atomic<bool> released{false};
    worker->post([worker, &released]() mutable {
        worker.reset();
        released = true;
    });
    worker.reset();
    ASSERT_TRUE(eventually([&] { return released.load() && watch.expired(); }));
}

#include "audio/device/KivSyncedActions.h"

#include "audio/ImpulseSource.h"
#include "foundation/ThreadRole.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Records the order in which actions ran across objects.
struct Recorder {
    std::vector<int>* log = nullptr;
    int id = 0;
    void _note() { log->push_back(id); }
    static constexpr auto kNote = kivAction<Recorder, &Recorder::_note>("_note");
};

// Actions run on a rendering device only through runPending().
class SyncedActionsTest : public ::testing::Test {
protected:
    SyncedActionsTest() { actions.setRendering(true); }

    bool renderCycle() {
        ScopedThreadRole role(ThreadRole::Render);
        return actions.runPending();
    }

    KivSyncedActions actions;
    ImpulseSource a;
    ImpulseSource b;
};

} // namespace

TEST_F(SyncedActionsTest, OutsideABatchAnActionRunsAtOnce) {
    actions.performAction(ImpulseSource::kPlay, &a);
    EXPECT_TRUE(a.playing());
    EXPECT_EQ(actions.pendingCount(), 0u);
}

TEST_F(SyncedActionsTest, ABatchRunsOnlyAtTheFirstCycleAfterItsEnd) {
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, &a);
    actions.performAction(ImpulseSource::kPlay, &b);
    renderCycle();
    EXPECT_FALSE(a.playing()) << "an open batch is not handed over";

    actions.endSyncedActions();
    EXPECT_FALSE(a.playing()) << "the render thread runs a closed batch";
    EXPECT_EQ(actions.pendingCount(), 2u);

    EXPECT_TRUE(renderCycle());
    EXPECT_TRUE(a.playing());
    EXPECT_TRUE(b.playing());
    EXPECT_EQ(actions.pendingCount(), 0u);

    renderCycle();
    EXPECT_EQ(a.plays(), 1) << "an action runs once";
}

TEST_F(SyncedActionsTest, NestedStartsMakeOneBatchThatTheFirstEndHandsOver) {
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, &a);
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, &b);
    actions.endSyncedActions();
    EXPECT_FALSE(actions.isBatchOpen());
    EXPECT_EQ(actions.pendingCount(), 2u);

    actions.endSyncedActions(); // no batch open: nothing changes
    EXPECT_EQ(actions.pendingCount(), 2u);

    renderCycle();
    EXPECT_TRUE(a.playing());
    EXPECT_TRUE(b.playing());
}

TEST_F(SyncedActionsTest, BatchesHandedOverBeforeOneCycleRunInOrderInThatCycle) {
    std::vector<int> log;
    // Room for every entry: the actions record on the render thread.
    log.reserve(3);
    Recorder first{&log, 1}, second{&log, 2}, third{&log, 3};
    actions.startSyncedActions();
    actions.performAction(Recorder::kNote, &first);
    actions.performAction(Recorder::kNote, &second);
    actions.endSyncedActions();
    actions.startSyncedActions();
    actions.performAction(Recorder::kNote, &third);
    actions.endSyncedActions();

    renderCycle();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
}

TEST_F(SyncedActionsTest, AnActionOutsideABatchWaitsBehindHandedOverOnes) {
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, &a);
    actions.endSyncedActions();
    actions.performAction(ImpulseSource::kStop, &a);
    EXPECT_EQ(a.stops(), 0) << "the stop must not overtake the start";

    renderCycle();
    EXPECT_EQ(a.plays(), 1);
    EXPECT_EQ(a.stops(), 1);
    EXPECT_FALSE(a.playing());
}

TEST_F(SyncedActionsTest, RemovedObjectsActionsNeverRun) {
    auto doomed = std::make_unique<ImpulseSource>();
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, doomed.get());
    actions.performAction(ImpulseSource::kPlay, &a);
    actions.endSyncedActions();
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, doomed.get()); // in the open batch
    actions.performAction(ImpulseSource::kPlay, &b);

    actions.removeActions(doomed.get());
    doomed.reset();
    actions.endSyncedActions();
    renderCycle();
    renderCycle();
    EXPECT_TRUE(a.playing());
    EXPECT_TRUE(b.playing());
}

TEST_F(SyncedActionsTest, RemovalLeavesOtherObjectsAlone) {
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, &a);
    actions.performAction(ImpulseSource::kPlay, &b);
    actions.endSyncedActions();
    actions.removeActions(&a);
    renderCycle();
    EXPECT_EQ(a.plays(), 0);
    EXPECT_EQ(b.plays(), 1);
}

TEST_F(SyncedActionsTest, StoppingRenderingRunsHandedOverActionsAtOnce) {
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kStop, &a);
    actions.endSyncedActions();
    actions.setRendering(false);
    EXPECT_EQ(a.stops(), 1) << "a stop is never dropped";
    EXPECT_EQ(actions.pendingCount(), 0u);
}

TEST_F(SyncedActionsTest, WithoutRenderingABatchRunsAtItsEnd) {
    actions.setRendering(false);
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, &a);
    actions.performAction(ImpulseSource::kStop, &b);
    EXPECT_FALSE(a.playing());
    actions.endSyncedActions();
    EXPECT_TRUE(a.playing());
    EXPECT_EQ(b.stops(), 1);
}

TEST_F(SyncedActionsTest, ABatchOpenWhileRenderingStopsSurvivesAndRunsAtItsEnd) {
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kStop, &a);
    actions.setRendering(false); // the device closed meanwhile
    EXPECT_TRUE(actions.isBatchOpen());
    actions.endSyncedActions();
    EXPECT_EQ(a.stops(), 1);
}

TEST_F(SyncedActionsTest, ABatchLargerThanThePoolLosesNothing) {
    std::vector<ImpulseSource> sources(1500);
    actions.startSyncedActions();
    for (auto& source : sources) {
        actions.performAction(ImpulseSource::kPlay, &source);
    }
    actions.endSyncedActions();
    renderCycle();
    for (const auto& source : sources) {
        ASSERT_EQ(source.plays(), 1);
    }
}

TEST_F(SyncedActionsTest, RunningPendingActionsDoesNotAllocate) {
    for (int round = 0; round < 3; ++round) {
        actions.startSyncedActions();
        actions.performAction(ImpulseSource::kPlay, &a);
        actions.performAction(ImpulseSource::kStop, &b);
        actions.endSyncedActions();
        const auto before = renderThreadAllocations();
        EXPECT_TRUE(renderCycle());
        EXPECT_EQ(renderThreadAllocations(), before);
    }
}

// A render thread runs cycles while a control thread starts objects in
// batches and removes each one before it dies; a dead object's action would
// show as a call on a retired object. Run under ThreadSanitizer too.
// An object that counts any action reaching it after it was retired.
struct Tracked {
    std::atomic<bool> retired{false};
    std::atomic<int>* violations = nullptr;
    void _play() {
        if (retired.load()) {
            violations->fetch_add(1);
        }
    }
    static constexpr auto kPlay = kivAction<Tracked, &Tracked::_play>("_play");
};

TEST(SyncedActionsConcurrency, NoActionReachesARemovedObject) {
    KivSyncedActions actions;
    actions.setRendering(true);
    std::atomic<int> violations{0};
    std::atomic<bool> running{true};
    std::thread render([&] {
        ScopedThreadRole role(ThreadRole::Render);
        while (running.load()) {
            actions.runPending();
        }
    });

    for (int round = 0; round < 2000; ++round) {
        Tracked first, second;
        first.violations = second.violations = &violations;
        actions.startSyncedActions();
        actions.performAction(Tracked::kPlay, &first);
        actions.performAction(Tracked::kPlay, &second);
        actions.endSyncedActions();
        actions.removeActions(&first);
        first.retired.store(true);
        actions.removeActions(&second);
        second.retired.store(true);
    }
    running.store(false);
    render.join();
    EXPECT_EQ(violations.load(), 0);
}

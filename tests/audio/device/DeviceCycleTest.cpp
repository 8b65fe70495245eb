#include "audio/DeviceMixerFixture.h"
#include "audio/ImpulseSource.h"
#include "audio/device/KivSyncedActions.h"
#include "audio/render/KivAudioBusMap.h"
#include "foundation/ThreadRole.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// One device render cycle as the device runs it: the handed-over actions
// first, then the pull of every bus.
class DeviceCycleTest : public DeviceMixerFixture {
protected:
    DeviceCycleTest() {
        actions.setRendering(true);
        for (ImpulseSource* source : {&left, &right}) {
            EXPECT_TRUE(buses->attach(*source, "Device", "source"));
        }
        route(0, 0);
        route(1, 1);
    }

    void cycle() {
        ScopedThreadRole role(ThreadRole::Render);
        actions.runPending();
        KivRenderFlags flags = 0;
        pull(flags);
    }

    // The frame of the first non-zero sample of an output, or -1.
    int onset(std::uint32_t output) const {
        const auto& channel = samples[output];
        const auto found =
            std::find_if(channel.begin(), channel.end(), [](float s) { return s != 0.0f; });
        return found == channel.end() ? -1 : static_cast<int>(found - channel.begin());
    }

    KivSyncedActions actions;
    ImpulseSource left;
    ImpulseSource right;
};

} // namespace

TEST_F(DeviceCycleTest, TwoSourcesOfOneBatchStartOnFrameZeroOfTheSameCycle) {
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, &left);
    cycle(); // a cycle while the batch is still open
    EXPECT_EQ(onset(0), -1);
    actions.performAction(ImpulseSource::kPlay, &right);
    actions.endSyncedActions();

    cycle();
    EXPECT_EQ(onset(0), 0);
    EXPECT_EQ(onset(1), 0);
    EXPECT_EQ(samples[0][0], 1.0f);
    EXPECT_EQ(samples[1][0], 1.0f);

    cycle();
    EXPECT_EQ(onset(0), -1);
    EXPECT_EQ(onset(1), -1);
}

TEST_F(DeviceCycleTest, AWholeCycleDoesNotAllocate) {
    cycle(); // the first cycle settles the meters
    actions.startSyncedActions();
    actions.performAction(ImpulseSource::kPlay, &left);
    actions.performAction(ImpulseSource::kPlay, &right);
    actions.endSyncedActions();
    const auto before = renderThreadAllocations();
    cycle();
    EXPECT_EQ(renderThreadAllocations(), before);
    EXPECT_EQ(onset(0), 0);
}

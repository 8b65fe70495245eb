#include "platform/audio/RenderGate.h"

#include "Blocker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Counts its cycles; can hold one in the middle.
class HeldCallback : public AudioRenderCallback {
public:
    void render(const AudioRenderTime&, const AudioOutputBuffer&) noexcept override {
        if (hold.load()) {
            inside.wait();
        }
        cycles.fetch_add(1);
    }
    std::atomic<bool> hold{false};
    Blocker inside;
    std::atomic<int> cycles{0};
};

} // namespace

TEST(RenderGate, ForwardsOnlyWhileOpen) {
    HeldCallback target;
    RenderGate gate(target);
    gate.render({}, {});
    EXPECT_EQ(target.cycles.load(), 0) << "a gate starts closed";
    gate.open();
    gate.render({}, {});
    EXPECT_EQ(target.cycles.load(), 1);
    gate.close();
    gate.render({}, {});
    EXPECT_EQ(target.cycles.load(), 1);
}

TEST(RenderGate, CloseWaitsOutTheCycleUnderWayAndNoneComesAfter) {
    HeldCallback target;
    RenderGate gate(target);
    gate.open();
    target.hold = true;
    std::thread render([&] { gate.render({}, {}); });
    ASSERT_TRUE(target.inside.holds());
    std::atomic<bool> closed{false};
    std::thread closer([&] {
        gate.close();
        closed = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(closed.load()) << "close() returned while the callback ran";
    target.inside.release();
    closer.join();
    render.join();
    EXPECT_EQ(target.cycles.load(), 1);
    gate.render({}, {});
    EXPECT_EQ(target.cycles.load(), 1);
}

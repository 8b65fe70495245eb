#include "WorkspaceDocumentFixture.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// The model's transport, workspace and document entry points belong to the
// main thread; a checked build stops a call from any other thread.
class MainThreadChecks : public WorkspaceDocumentFixture {
protected:
    void SetUp() override {
#ifdef NDEBUG
        GTEST_SKIP() << "assertions are compiled out of this build";
#endif
        // The test's device and file threads exist: the child re-runs the
        // program rather than forking it.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        workspace = newWorkspace();
        cart = cartIn(*workspace, "Cart");
        cue = cueOf("a.wav", 0.25f);
        ASSERT_TRUE(cart->setCue(cue, 0));
    }

    template <typename Call>
    static void onAnotherThread(Call call) {
        std::thread(call).join();
    }

    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<Cart> cart;
    std::shared_ptr<AudioCue> cue;
};

constexpr const char* kCheck = "isMainThread";

TEST_F(MainThreadChecks, CueTriggersAndTransport) {
    const MidiBatch noteOn{MidiMessage(MidiMessage::kNoteOn, 1, 60, 100)};
    EXPECT_DEATH(onAnotherThread([this] { cue->triggerDown(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cue->triggerUp(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([&] { cue->handleMIDIMessages(noteOn); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cue->play(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cue->stop(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cue->hardStop(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cue->panic(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cue->duck(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cue->unduck(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cue->setDucking(true); }), kCheck);
}

TEST_F(MainThreadChecks, CartTransport) {
    const MidiBatch noteOn{MidiMessage(MidiMessage::kNoteOn, 1, 60, 100)};
    EXPECT_DEATH(onAnotherThread([this] { cart->playCues(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cart->hardStopCues(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cart->duckCues(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cart->unduckCues(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([&] { cart->processMIDIMessages(noteOn); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { cart->triggerDownWithShortcut("A"); }), kCheck);
}

TEST_F(MainThreadChecks, Workspace) {
    EXPECT_DEATH(onAnotherThread([this] { workspace->panic(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { workspace->updateCueDucking(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { workspace->setLocked(true); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { workspace->setMasterVolume(0.5f); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { workspace->addCart(std::make_shared<Cart>()); }), kCheck);
}

TEST_F(MainThreadChecks, DocumentController) {
    EXPECT_DEATH(onAnotherThread([this] { controller.newDocument(); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { save(*workspace, package); }), kCheck);
    EXPECT_DEATH(onAnotherThread([this] { controller.closeDocument(*workspace); }), kCheck);
}

} // namespace

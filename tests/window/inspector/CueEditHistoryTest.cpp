#include "window/inspector/CueEditHistory.h"

#include "model/AudioOutput.h"
#include "model/CueFixture.h"
#include "platform/undo/UndoManager.h"
#include "window/inspector/InspectorDelegate.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The window as far as the history asks it: the undo.
class UndoOnlyDelegate final : public InspectorDelegate {
public:
    UndoManager& undoManager() const override { return undo; }
    const std::vector<AudioOutput>& outputDevices() const override { return outputs; }
    BrokenCueController& brokenCueController() const override { std::abort(); }
    GridController* selectedController() const override { return nullptr; }
    void cancel() override {}
    bool inShowMode() const override { return false; }
    void setEditMode() override {}
    bool inspectorVisible() const override { return true; }
    void showInspector() override {}
    void makeCartFirstResponder() override {}

    mutable UndoManager undo;
    std::vector<AudioOutput> outputs;
};

class CueEditHistoryTest : public CueFixture {
protected:
    UndoOnlyDelegate window;
    CueEditHistory history{window};
    UndoManager& undo = window.undo;
};

TEST_F(CueEditHistoryTest, AChangeMadeOnTheCueItselfIsAStepOnlyWhileTheCueIsFollowed) {
    auto shown = silentCue("Storm");
    auto other = silentCue("Rain");
    history.setCue(shown);

    shown->setName("Thunder");
    undo.endTurn();
    EXPECT_EQ(undo.undoActionName(), "Change Name");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(shown->name(), "Storm");
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(shown->name(), "Thunder");

    // The step outlives the following: undo restores the cue left.
    history.setCue(other);
    shown->setName("Hail");
    undo.endTurn();
    EXPECT_EQ(undo.undoActionName(), "Change Name");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(shown->name(), "Storm");
    EXPECT_FALSE(undo.canUndo());

    history.setCue(nullptr);
    other->setName("Drizzle");
    undo.endTurn();
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(CueEditHistoryTest, AVolumeDragIsOneStepAtItsEndAndNoneWhenForgotten) {
    auto cue = silentCue();
    history.setCue(cue);

    history.beginVolumeDrag();
    cue->setVolume(0.5f);
    history.beginVolumeDrag();
    cue->setVolume(0.25f);
    EXPECT_TRUE(history.isDraggingVolume());
    EXPECT_FALSE(undo.canUndo());
    history.endVolumeDrag();
    undo.endTurn();
    EXPECT_FALSE(history.isDraggingVolume());
    EXPECT_EQ(undo.undoActionName(), "Change Cue Volume");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(cue->volume(), 1.0f);
    EXPECT_FALSE(undo.canUndo());

    history.beginVolumeDrag();
    cue->setVolume(0.75f);
    history.cancelVolumeDrag();
    history.endVolumeDrag();
    undo.endTurn();
    EXPECT_FALSE(undo.canUndo());
}

} // namespace

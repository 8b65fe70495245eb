#include "platform/undo/UndoManager.h"

#include <gtest/gtest.h>

namespace {

// A model value edited the way the document's objects do it: each change
// registers its inverse and names the step unless undoing.
struct Volume {
    UndoManager& undo;
    double value = 1.0;

    void set(double v, const char* name = "Volume Change") {
        const double old = value;
        undo.registerUndo(this, [this, old, name] { set(old, name); });
        if (!undo.isUndoing()) {
            undo.setActionName(name);
        }
        value = v;
    }
};

} // namespace

TEST(UndoManager, UndoAndRedoWithNames) {
    UndoManager undo;
    Volume volume{undo};
    EXPECT_FALSE(undo.canUndo());
    volume.set(0.5);
    undo.endTurn();
    volume.set(0.25, "Ducking Volume Change");
    undo.endTurn();
    EXPECT_EQ(undo.undoActionName(), "Ducking Volume Change");

    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(volume.value, 0.5);
    EXPECT_EQ(undo.redoActionName(), "Ducking Volume Change") << "the redo step keeps the name";
    EXPECT_EQ(undo.undoActionName(), "Volume Change");

    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(volume.value, 1.0);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_FALSE(undo.undo());

    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(volume.value, 0.5);
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(volume.value, 0.25);
    EXPECT_FALSE(undo.canRedo());
    EXPECT_EQ(undo.undoActionName(), "Ducking Volume Change");

    ASSERT_TRUE(undo.undo());
    volume.set(0.75);
    undo.endTurn();
    EXPECT_FALSE(undo.canRedo()) << "a new edit drops the redo steps";
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(volume.value, 0.5);
}

TEST(UndoManager, ModeFlagsHoldOnlyDuringTheirStep) {
    UndoManager undo;
    std::vector<std::string> seen;
    std::function<void()> flip = [&] {
        seen.push_back(undo.isUndoing() ? "undoing" : undo.isRedoing() ? "redoing" : "normal");
        undo.registerUndo(&undo, flip);
    };
    undo.registerUndo(&undo, flip);
    undo.endTurn();
    undo.undo();
    undo.redo();
    EXPECT_EQ(seen, (std::vector<std::string>{"undoing", "redoing"}));
    EXPECT_FALSE(undo.isUndoing());
    EXPECT_FALSE(undo.isRedoing());
    EXPECT_TRUE(undo.canUndo()) << "the redo registered the next undo";
}

TEST(UndoManager, GroupsMakeOneStepUndoneInReverse) {
    UndoManager undo;
    std::vector<int> order;
    undo.beginUndoGrouping();
    undo.registerUndo(nullptr, [&] { order.push_back(1); });
    undo.beginUndoGrouping();
    undo.registerUndo(nullptr, [&] { order.push_back(2); });
    undo.setActionName("Add Cue");
    undo.endUndoGrouping();
    undo.registerUndo(nullptr, [&] { order.push_back(3); });
    EXPECT_FALSE(undo.undo()) << "not while an explicit group is open";
    undo.endUndoGrouping();
    EXPECT_EQ(undo.groupingLevel(), 0);
    EXPECT_EQ(undo.undoActionName(), "Add Cue");
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(order, (std::vector<int>{3, 2, 1}));
    EXPECT_FALSE(undo.canUndo());
}

TEST(UndoManager, ATurnIsOneStepAndUndoClosesIt) {
    UndoManager undo;
    Volume volume{undo};
    volume.set(0.5);
    volume.set(0.2);
    EXPECT_EQ(undo.groupingLevel(), 1);
    EXPECT_TRUE(undo.canUndo());
    ASSERT_TRUE(undo.undo()) << "undo closes the turn's open group first";
    EXPECT_EQ(volume.value, 1.0);
    EXPECT_EQ(undo.groupingLevel(), 0);

    undo.endUndoGrouping();
    EXPECT_EQ(undo.groupingLevel(), 0) << "an unmatched end is ignored";
    undo.beginUndoGrouping();
    undo.endUndoGrouping();
    EXPECT_TRUE(undo.canRedo()) << "an empty group is no step and keeps the redo";
}

TEST(UndoManager, DisabledRegistrationRecordsNothing) {
    UndoManager undo;
    Volume volume{undo};
    undo.disableUndoRegistration();
    undo.disableUndoRegistration();
    volume.set(0.5);
    undo.enableUndoRegistration();
    volume.set(0.4);
    undo.enableUndoRegistration();
    EXPECT_TRUE(undo.isUndoRegistrationEnabled());
    undo.endTurn();
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(undo.changeCount(), 0);
}

TEST(UndoManager, RemovingATargetDropsItsActionsAndEmptySteps) {
    UndoManager undo;
    int cue = 0;
    int cart = 0;
    std::vector<std::string> ran;
    undo.registerUndo(&cue, [&] { ran.push_back("cue only"); });
    undo.endTurn();
    undo.registerUndo(&cue, [&] { ran.push_back("cue"); });
    undo.registerUndo(&cart, [&] { ran.push_back("cart"); });
    undo.endTurn();
    undo.removeAllActions(&cue);
    ASSERT_TRUE(undo.undo());
    EXPECT_FALSE(undo.canUndo()) << "the step holding only the cue's action is gone";
    EXPECT_EQ(ran, (std::vector<std::string>{"cart"}));

    undo.removeAllActions();
    EXPECT_FALSE(undo.canRedo());
}

TEST(UndoManager, CheckpointsAndChangeCount) {
    UndoManager undo;
    Volume volume{undo};
    int checkpoints = 0;
    auto connection = undo.checkpoint.connect([&] { ++checkpoints; });
    volume.set(0.5);
    undo.endTurn();
    EXPECT_EQ(checkpoints, 2) << "open and close";
    EXPECT_EQ(undo.changeCount(), 1);
    EXPECT_TRUE(undo.hasUnsavedChanges());

    undo.markSaved();
    EXPECT_FALSE(undo.hasUnsavedChanges());
    checkpoints = 0;
    undo.undo();
    EXPECT_GE(checkpoints, 2);
    EXPECT_EQ(undo.changeCount(), -1);
    EXPECT_TRUE(undo.hasUnsavedChanges());
    undo.redo();
    EXPECT_FALSE(undo.hasUnsavedChanges()) << "back at the saved state";
}

TEST(UndoManager, EditAfterUndoingPastTheSaveStaysUnsaved) {
    UndoManager undo;
    Volume volume{undo};
    volume.set(0.5);
    undo.endTurn();
    undo.markSaved();
    undo.undo();
    volume.set(0.8);
    undo.endTurn();
    EXPECT_EQ(undo.changeCount(), 0);
    EXPECT_TRUE(undo.hasUnsavedChanges()) << "0.8 is not the saved 0.5";
    undo.undo();
    EXPECT_TRUE(undo.hasUnsavedChanges()) << "the saved state cannot be reached again";
    undo.markSaved();
    EXPECT_FALSE(undo.hasUnsavedChanges());
}

#include "model/SafetyConcern.h"

#include "CueFixture.h"
#include "model/Cart.h"

class SafetyConcernTest : public CueFixture {};

TEST_F(SafetyConcernTest, DescriptionsOfTheCueAlone) {
    auto cue = silentCue();
    EXPECT_EQ(SafetyConcern(cue, SafetyConcern::kBroken).description(), "Invalid audio file.");
    EXPECT_EQ(SafetyConcern(cue, SafetyConcern::kOutsideGrid).description(),
              "outside of the current grid. Enlarge the grid to find it.");
    EXPECT_EQ(SafetyConcern(cue, SafetyConcern::kWorkspaceHotkey).description(),
              "same hotkey trigger as a workspace action. See workspace settings.");
    EXPECT_EQ(SafetyConcern(cue, 0).description(), "");
    EXPECT_EQ(SafetyConcern(cue, 6).description(), "");
}

TEST_F(SafetyConcernTest, HoldsItsCuesWeakly) {
    auto cue = silentCue();
    auto other = silentCue("Other");
    SafetyConcern concern(cue, SafetyConcern::kBroken);
    concern.setOtherCue(other);
    EXPECT_EQ(concern.cue(), cue);
    EXPECT_EQ(concern.otherCue(), other);
    EXPECT_EQ(cue.use_count(), 1);
    cue.reset();
    other.reset();
    EXPECT_FALSE(concern.cue());
    EXPECT_FALSE(concern.otherCue());
    EXPECT_EQ(concern.description(), "");
}

TEST_F(SafetyConcernTest, SameTriggerNamesTheOtherCueAndItsCart) {
    auto cue = silentCue();
    auto other = silentCue("Rain");
    Cart cart;
    cart.setName("Act 2");
    ASSERT_TRUE(cart.setCue(other, 3));
    SafetyConcern midi(cue, SafetyConcern::kSameMidiTrigger);
    midi.setOtherCue(other);
    EXPECT_EQ(midi.description(), "same MIDI trigger as Rain (Act 2)");
    SafetyConcern hotkey(cue, SafetyConcern::kSameHotkey);
    hotkey.setOtherCue(other);
    EXPECT_EQ(hotkey.description(), "same hotkey trigger as Rain (Act 2)");
    EXPECT_EQ(other->number(), "3");
}

#include "model/Cart.h"

#include "CartFixture.h"
#include "model/PondraLogger.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kWarning =
    "Warning: At least one cue is outside of the grid. Change grid to find it.";

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

using CartCues = CartFixture;

TEST_F(CartCues, PlacementConvertsVisibleIndexes) {
    auto cart = addCart({3, 3});
    auto cue = makeCue();
    ASSERT_TRUE(cart->setCue(cue, 4));
    EXPECT_EQ(cart->cueAtInternalIndex(6), cue);
    EXPECT_EQ(cart->cueAtIndex(4), cue);
    EXPECT_EQ(cart->internalIndexOfCue(*cue), 6u);
    EXPECT_EQ(cart->indexOfCue(*cue), 4u);
    EXPECT_EQ(cue->cart(), cart.get());
    EXPECT_EQ(cart->count(), 1u);
    EXPECT_EQ(cart->cueAtIndex(5), nullptr);

    // Visible index 24 of a 3-wide grid would be row 8: no cell of any size.
    auto lost = makeCue();
    EXPECT_FALSE(cart->setCue(lost, 24));
    EXPECT_FALSE(cart->setCue(lost, 25));
    EXPECT_EQ(lost->cart(), nullptr);
    EXPECT_EQ(cart->count(), 1u);

    cart->removeCueAtIndex(4);
    EXPECT_TRUE(cart->isEmpty());
    EXPECT_EQ(cue->cart(), nullptr);
    EXPECT_EQ(cart->indexOfCue(*cue), Cart::kNotFound);
}

TEST_F(CartCues, DescriptionGivesTheNameAndTheCountOfCues) {
    auto cart = addCart();
    EXPECT_EQ(cart->description(), "Cart:  - 0 cues");
    cart->setName("Act 1");
    cart->setCue(makeCue("a.wav"), 0);
    cart->setCue(makeCue("b.wav"), 5);
    EXPECT_EQ(cart->description(), "Cart: Act 1 - 2 cues");
}

TEST_F(CartCues, ACueReplacedOrRemovedIsHardStoppedAndLetGo) {
    auto cart = addCart();
    auto first = makeCue("first.wav");
    auto second = makeCue("second.wav");
    cart->setCue(first, 2);
    first->play();
    ASSERT_TRUE(first->isPlaying());

    cart->setCue(second, 2);
    EXPECT_FALSE(first->isPlaying());
    EXPECT_EQ(first->cart(), nullptr);
    EXPECT_EQ(cart->cueAtIndex(2), second);

    // Moving within the cart keeps the cue playing.
    second->play();
    cart->setCue(second, 7);
    EXPECT_TRUE(second->isPlaying());
    EXPECT_EQ(cart->cueAtIndex(2), nullptr);
    EXPECT_EQ(cart->indexOfCue(*second), 7u);

    cart->removeCue(*second);
    EXPECT_FALSE(second->isPlaying());
    EXPECT_EQ(second->cart(), nullptr);
}

TEST_F(CartCues, ASwapMovesBothCuesAndStopsNeither) {
    auto cart = addCart({3, 3});
    auto first = makeCue("first.wav");
    auto second = makeCue("second.wav");
    cart->setCue(first, 0);
    cart->setCue(second, 4);
    first->play();
    second->play();

    ASSERT_TRUE(cart->swapCuesAtIndexes(0, 4));
    EXPECT_EQ(cart->cueAtIndex(4), first);
    EXPECT_EQ(cart->cueAtIndex(0), second);
    EXPECT_TRUE(first->isPlaying());
    EXPECT_TRUE(second->isPlaying());
    EXPECT_EQ(second->cart(), cart.get());

    // Onto an empty slot it is a move.
    ASSERT_TRUE(cart->swapCuesAtIndexes(4, 8));
    EXPECT_EQ(cart->cueAtIndex(8), first);
    EXPECT_EQ(cart->cueAtIndex(4), nullptr);
    EXPECT_TRUE(first->isPlaying());
    EXPECT_EQ(cart->count(), 2u);

    // An empty source or an index without a cell changes nothing.
    EXPECT_FALSE(cart->swapCuesAtIndexes(4, 0));
    EXPECT_FALSE(cart->swapCuesAtIndexes(8, 24));
    EXPECT_EQ(cart->cueAtIndex(0), second);
    EXPECT_EQ(cart->cueAtIndex(8), first);
}

TEST_F(CartCues, APlacedCueIsDeadExactlyWhenOutsideTheGrid) {
    auto cart = addCart({4, 4});
    auto cue = makeCue();
    cue->setDead(true);
    cart->setCue(cue, 0);
    EXPECT_FALSE(cue->dead());
    // Visible 16 of a 4 x 4 grid is internal 20, the fifth row.
    cart->setCue(cue, 16);
    EXPECT_TRUE(cue->dead());
    EXPECT_EQ(cart->indexOfCue(*cue), 16u);
}

TEST_F(CartCues, ShrinkingSilencesCuesOutsideAndGrowingRevivesThem) {
    auto cart = addCart({5, 5});
    auto inside = makeCue("inside.wav");
    auto playing = makeCue("playing.wav");
    auto idle = makeCue("idle.wav");
    cart->setCue(inside, 0);
    cart->setCue(playing, 20);
    cart->setCue(idle, 24);
    playing->play();
    inside->play();
    const std::size_t before = logLines().size();

    cart->setSize({4, 4});
    EXPECT_TRUE(playing->dead());
    EXPECT_TRUE(idle->dead());
    EXPECT_FALSE(inside->dead());
    EXPECT_FALSE(playing->isPlaying());
    EXPECT_TRUE(inside->isPlaying());
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), before + 1);
    EXPECT_TRUE(endsWith(lines.back(), std::string(" - ") + kWarning));

    playing->play();
    EXPECT_FALSE(playing->isPlaying());

    cart->setSize({5, 5});
    EXPECT_FALSE(playing->dead());
    EXPECT_FALSE(idle->dead());
    EXPECT_EQ(logLines().size(), before + 1);
    EXPECT_EQ(cart->cueAtIndex(20), playing);
}

TEST_F(CartCues, SizeChangesAreClampedAndReportedWithTheOldSize) {
    auto cart = addCart({4, 4});
    std::vector<std::pair<CartSize, CartSize>> changes;
    Connection observing = cart->sizeChanged().connect(
        [&changes](const CartSize& old, const CartSize& now) { changes.emplace_back(old, now); });
    cart->setSize({4, 4});
    cart->setSize({9, 0});
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].first, (CartSize{4, 4}));
    EXPECT_EQ(changes[0].second, (CartSize{5, 1}));
    EXPECT_EQ(cart->size(), (CartSize{5, 1}));
}

TEST_F(CartCues, ShortcutLookupsIgnoreEmptyHotkeys) {
    auto cart = addCart();
    auto q1 = makeCue("q1.wav", "Q");
    auto q2 = makeCue("q2.wav", "Q");
    auto none = makeCue("none.wav");
    cart->setCue(q2, 5);
    cart->setCue(none, 1);
    cart->setCue(q1, 0);

    EXPECT_EQ(cart->cuesWithShortcut("Q"), (std::vector<std::shared_ptr<AudioCue>>{q1, q2}));
    EXPECT_TRUE(cart->cuesWithShortcut("").empty());
    EXPECT_TRUE(cart->cuesWithShortcut("W").empty());
    EXPECT_EQ(cart->shortcuts(), (std::vector<std::string>{"Q", "Q"}));

    cart->triggerDownWithShortcut("");
    EXPECT_FALSE(none->isPlaying());
    cart->triggerDownWithShortcut("Q");
    EXPECT_TRUE(q1->isPlaying() && q2->isPlaying());
    cart->triggerDownWithShortcut("Q");
    EXPECT_FALSE(q1->isPlaying() || q2->isPlaying());
}

TEST_F(CartCues, MIDILookupsMatchTheNote) {
    auto cart = addCart();
    auto c4 = makeCue("c4.wav", "", 60);
    auto d4 = makeCue("d4.wav", "", 62);
    auto untriggered = makeCue("none.wav");
    cart->setCue(c4, 0);
    cart->setCue(d4, 1);
    cart->setCue(untriggered, 2);
    using Cues = std::vector<std::shared_ptr<AudioCue>>;

    EXPECT_EQ(cart->cuesWithDownMIDI(MidiMessage(MidiMessage::kNoteOn, 1, 60, 100)), Cues{c4});
    EXPECT_TRUE(cart->cuesWithUpMIDI(MidiMessage(MidiMessage::kNoteOn, 1, 60, 100)).empty());
    EXPECT_EQ(cart->cuesWithUpMIDI(MidiMessage(MidiMessage::kNoteOn, 1, 62, 0)), Cues{d4});
    EXPECT_EQ(cart->cuesWithUpMIDI(MidiMessage(MidiMessage::kNoteOff, 1, 62, 64)), Cues{d4});
    EXPECT_TRUE(cart->cuesWithDownMIDI(MidiMessage(MidiMessage::kNoteOn, 1, 61, 100)).empty());
    EXPECT_TRUE(
        cart->cuesWithDownMIDI(MidiMessage(MidiMessage::kControlChange, 1, 60, 100)).empty());
}

TEST_F(CartCues, PlaysAreLoggedWithTheFileName) {
    auto cart = addCart();
    auto cue = makeCue("thunder.wav");
    cue->setName("Storm");
    cart->setCue(cue, 0);

    cart->logPlayOfCue(*cue);
    ASSERT_FALSE(logLines().empty());
    EXPECT_TRUE(endsWith(logLines().back(), " - Storm (thunder.wav)"));

    cue->play();
    EXPECT_EQ(logLines().size(), 2u);
    EXPECT_TRUE(endsWith(logLines().back(), " - Storm (thunder.wav)"));
}

TEST_F(CartCues, CopyKeepsInternalIndexesWithCopiedCues) {
    auto cart = addCart({3, 2});
    cart->setName("Act 1");
    auto inside = makeCue("inside.wav", "A", 40);
    auto outside = makeCue("outside.wav");
    cart->setCue(inside, 4);
    cart->setSize({5, 5});
    cart->setCue(outside, 24);
    cart->setSize({3, 2});

    const auto copied = cart->copy();
    EXPECT_EQ(copied->name(), "Act 1");
    EXPECT_EQ(copied->size(), (CartSize{3, 2}));
    EXPECT_EQ(copied->workspace(), nullptr);
    ASSERT_EQ(copied->count(), 2u);
    const auto copiedInside = copied->cueAtInternalIndex(6);
    const auto copiedOutside = copied->cueAtInternalIndex(24);
    ASSERT_TRUE(copiedInside && copiedOutside);
    EXPECT_NE(copiedInside, inside);
    EXPECT_EQ(copiedInside->hotkey(), "A");
    EXPECT_EQ(copiedInside->cart(), copied.get());
    EXPECT_TRUE(copiedOutside->dead());
    EXPECT_EQ(inside->cart(), cart.get());
}

TEST_F(CartCues, DyingCartLetsItsCuesGo) {
    auto cue = makeCue();
    {
        auto cart = std::make_shared<Cart>();
        cart->setCue(cue, 0);
        cue->play();
    }
    EXPECT_EQ(cue->cart(), nullptr);
    EXPECT_FALSE(cue->isPlaying());
}

} // namespace

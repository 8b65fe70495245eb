#include "platform/midi/SMMessageFilter.h"

#include "CapturingDestination.h"

#include <gtest/gtest.h>

namespace {

const MidiBatch kMixed = {
    {0x90, 1, 60, 100}, {0xB0, 1, 7, 90}, {0x80, 2, 60, 0}, {0xE0, 1, 0, 64}, {0x90, 3, 62, 0}};

} // namespace

TEST(SMMessageFilter, MaskThreeKeepsEveryVoiceMessageInOneBatch) {
    CapturingDestination destination;
    SMMessageFilter filter;
    filter.setMessageDestination(&destination);
    filter.setFilterMask(3);
    filter.takeMIDIMessages(kMixed);
    EXPECT_EQ(destination.batches(), std::vector<MidiBatch>{kMixed});
}

TEST(SMMessageFilter, NoteMaskKeepsNotesAndDropsBatchesLeftEmpty) {
    CapturingDestination destination;
    SMMessageFilter filter;
    filter.setMessageDestination(&destination);
    filter.setFilterMask(SMMessageFilter::kNoteMessages);
    filter.takeMIDIMessages(kMixed);
    filter.takeMIDIMessages({{0xB0, 1, 7, 90}, {0xC0, 1, 3, 0}});
    const std::vector<MidiBatch> expected = {
        {{0x90, 1, 60, 100}, {0x80, 2, 60, 0}, {0x90, 3, 62, 0}}};
    EXPECT_EQ(destination.batches(), expected);
}

TEST(SMMessageFilter, PassesNothingUntilGivenAMaskAndADestination) {
    CapturingDestination destination;
    SMMessageFilter filter;
    filter.takeMIDIMessages(kMixed);
    filter.setMessageDestination(&destination);
    filter.takeMIDIMessages(kMixed);
    EXPECT_TRUE(destination.batches().empty());
    filter.setFilterMask(SMMessageFilter::kOtherVoiceMessages);
    filter.takeMIDIMessages(kMixed);
    filter.setMessageDestination(nullptr);
    filter.takeMIDIMessages(kMixed);
    const std::vector<MidiBatch> expected = {{{0xB0, 1, 7, 90}, {0xE0, 1, 0, 64}}};
    EXPECT_EQ(destination.batches(), expected);
}

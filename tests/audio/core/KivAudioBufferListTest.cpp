#include "audio/core/KivAudioBufferList.h"

#include <gtest/gtest.h>

namespace {

void fill(const KivAudioBufferList& list, float base) {
    const AudioChannels view = list.channels();
    for (std::uint32_t c = 0; c < view.channelCount; ++c) {
        for (std::uint32_t f = 0; f < view.frameCount; ++f) {
            view.channels[c][f] = base + float(f) + 100.0f * float(c);
        }
    }
}

} // namespace

TEST(KivAudioBufferList, AllocatesZeroedChannelsOrNothing) {
    EXPECT_EQ(KivAllocateAudioBufferList(0, 10), nullptr);
    EXPECT_EQ(KivAllocateAudioBufferList(2, 0), nullptr);
    auto list = KivAllocateAudioBufferList(3, 7);
    ASSERT_NE(list, nullptr);
    const AudioChannels view = list->channels();
    EXPECT_EQ(view.channelCount, 3u);
    EXPECT_EQ(KivAudioBufferListFrameCount(view), 7u);
    EXPECT_EQ(KivAudioBufferListFrameCount({}), 0u);
    for (std::uint32_t c = 0; c < 3; ++c) {
        for (std::uint32_t f = 0; f < 7; ++f) {
            EXPECT_EQ(view.channels[c][f], 0.0f);
        }
    }
    // Channels do not overlap.
    view.channels[0][6] = 1.0f;
    EXPECT_EQ(view.channels[1][0], 0.0f);
}

TEST(KivAudioBufferList, SameLayoutMeansBothGivenWithEqualChannels) {
    auto two = KivAllocateAudioBufferList(2, 4);
    auto twoLonger = KivAllocateAudioBufferList(2, 9);
    auto one = KivAllocateAudioBufferList(1, 4);
    EXPECT_TRUE(KivAudioBufferListsHaveSameLayout(two->channels(), twoLonger->channels()));
    EXPECT_FALSE(KivAudioBufferListsHaveSameLayout(two->channels(), one->channels()));
    EXPECT_FALSE(KivAudioBufferListsHaveSameLayout(two->channels(), {}));
}

TEST(KivAudioBufferList, CopiesWhatFitsBetweenTheOffsets) {
    auto source = KivAllocateAudioBufferList(2, 10);
    auto destination = KivAllocateAudioBufferList(2, 6);
    fill(*source, 0.0f);
    EXPECT_EQ(KivCopyAudioBufferList(source->channels(), 7, destination->channels(), 1, 100), 3u);
    EXPECT_EQ(destination->channels().channels[0][0], 0.0f);
    EXPECT_EQ(destination->channels().channels[0][1], 7.0f);
    EXPECT_EQ(destination->channels().channels[1][3], 109.0f);
    EXPECT_EQ(destination->channels().channels[1][4], 0.0f);
    EXPECT_EQ(KivCopyAudioBufferList(source->channels(), 0, destination->channels(), 4, 100), 2u);
    EXPECT_EQ(destination->channels().channels[1][5], 101.0f);

    auto mono = KivAllocateAudioBufferList(1, 10);
    EXPECT_EQ(KivCopyAudioBufferList(source->channels(), 0, mono->channels(), 0, 5), 0u);
    EXPECT_EQ(KivCopyAudioBufferList(source->channels(), 0, destination->channels(), 0, 0), 0u);
    EXPECT_EQ(KivCopyAudioBufferList(source->channels(), 11, destination->channels(), 0, 5), 0u);
    EXPECT_EQ(KivCopyAudioBufferList(source->channels(), 0, destination->channels(), 7, 5), 0u);
}

TEST(KivAudioBufferList, SilencesFromTheOffsetToTheEndAtMost) {
    auto list = KivAllocateAudioBufferList(2, 8);
    fill(*list, 1.0f);
    EXPECT_EQ(KivSilenceAudioBufferList(list->channels(), 5, 100), 3u);
    EXPECT_EQ(list->channels().channels[0][4], 5.0f);
    EXPECT_EQ(list->channels().channels[0][5], 0.0f);
    EXPECT_EQ(list->channels().channels[1][7], 0.0f);
    EXPECT_EQ(KivSilenceAudioBufferList(list->channels(), 1, 2), 2u);
    EXPECT_EQ(list->channels().channels[1][2], 0.0f);
    EXPECT_EQ(list->channels().channels[1][3], 104.0f);
    EXPECT_EQ(KivSilenceAudioBufferList(list->channels(), 9, 1), 0u);
    EXPECT_EQ(KivSilenceAudioBufferList({}, 0, 1), 0u);

    // A renderer may be handed a list with a channel left out.
    fill(*list, 1.0f);
    float* const channels[] = {nullptr, list->channels().channels[1]};
    KivSilenceAudioBufferList(AudioChannels{channels, 2, 8});
    EXPECT_EQ(list->channels().channels[0][7], 8.0f);
    EXPECT_EQ(list->channels().channels[1][0], 0.0f);
    EXPECT_EQ(list->channels().channels[1][7], 0.0f);
}

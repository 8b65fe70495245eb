#include "audio/source/KivAudioRingBuffer.h"

#include "foundation/ThreadRole.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <thread>
#include <vector>

namespace {

// Non-interleaved frames for a test: channel c of frame f holds f * (c + 1).
struct Frames {
    Frames(std::uint32_t channels, std::uint32_t frames)
        : samples(channels, std::vector<float>(frames, -1.0f))
        , pointers(channels) {
        for (std::uint32_t c = 0; c < channels; ++c) {
            pointers[c] = samples[c].data();
        }
    }
    static float value(std::uint32_t channel, std::uint64_t frame) {
        return static_cast<float>(frame * (channel + 1));
    }
    void fillStaircase(std::uint64_t firstFrame) {
        for (std::uint32_t c = 0; c < samples.size(); ++c) {
            for (std::uint32_t i = 0; i < samples[c].size(); ++i) {
                samples[c][i] = value(c, firstFrame + i);
            }
        }
    }
    AudioChannels view() {
        return {pointers.data(), static_cast<std::uint32_t>(pointers.size()),
                static_cast<std::uint32_t>(samples.front().size())};
    }
    std::vector<std::vector<float>> samples;
    std::vector<float*> pointers;
};

} // namespace

TEST(KivAudioRingBuffer, RefusesNoChannelsOrNoCapacity) {
    EXPECT_EQ(KivAudioRingBuffer::create(0, 512), nullptr);
    EXPECT_EQ(KivAudioRingBuffer::create(2, 0), nullptr);
}

TEST(KivAudioRingBuffer, HoldsCapacityFramesNotOneMore) {
    auto ring = KivAudioRingBuffer::create(2, 8);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(ring->capacity(), 8u);
    EXPECT_EQ(ring->count(), 0u);
    EXPECT_EQ(ring->space(), 8u);
    Frames in(2, 9);
    in.fillStaircase(0);
    EXPECT_EQ(ring->readIntoRing(in.view(), 0, 9), 8u);
    EXPECT_EQ(ring->count(), 8u);
    EXPECT_EQ(ring->space(), 0u);
    EXPECT_EQ(ring->readIntoRing(in.view(), 8, 1), 0u);
}

TEST(KivAudioRingBuffer, WrappingWriteReadsBackInOrder) {
    auto ring = KivAudioRingBuffer::create(2, 8);
    Frames in(2, 6);
    Frames out(2, 6);
    in.fillStaircase(0);
    ASSERT_EQ(ring->readIntoRing(in.view(), 0, 6), 6u);
    ASSERT_EQ(ring->writeFromRing(out.view(), 0, 6), 6u);
    // Both indices now stand at 6 of 9 slots: the next 6 frames wrap.
    in.fillStaircase(6);
    ASSERT_EQ(ring->readIntoRing(in.view(), 0, 6), 6u);
    EXPECT_EQ(ring->count(), 6u);
    ASSERT_EQ(ring->writeFromRing(out.view(), 0, 6), 6u);
    for (std::uint32_t c = 0; c < 2; ++c) {
        for (std::uint32_t i = 0; i < 6; ++i) {
            EXPECT_EQ(out.samples[c][i], Frames::value(c, 6 + i))
                << "channel " << c << " frame " << i;
        }
    }
    EXPECT_EQ(ring->count(), 0u);
}

TEST(KivAudioRingBuffer, OffsetsAndListLengthsLimitTheMove) {
    auto ring = KivAudioRingBuffer::create(1, 16);
    Frames in(1, 10);
    in.fillStaircase(0);
    // From offset 7 only 3 frames remain in the source.
    EXPECT_EQ(ring->readIntoRing(in.view(), 7, 5), 3u);
    EXPECT_EQ(ring->readIntoRing(in.view(), 10, 1), 0u);
    Frames out(1, 4);
    EXPECT_EQ(ring->writeFromRing(out.view(), 2, 3), 2u);
    EXPECT_EQ(out.samples[0], (std::vector<float>{-1, -1, 7, 8}));
    EXPECT_EQ(ring->writeFromRing(out.view(), 4, 1), 0u);
    EXPECT_EQ(ring->count(), 1u);
    // Only what is stored can be taken.
    EXPECT_EQ(ring->writeFromRing(out.view(), 0, 4), 1u);
    EXPECT_EQ(out.samples[0][0], 9.0f);
}

TEST(KivAudioRingBuffer, RefusesListsOfAnotherChannelCount) {
    auto ring = KivAudioRingBuffer::create(2, 16);
    Frames mono(1, 4);
    EXPECT_EQ(ring->readIntoRing(mono.view(), 0, 4), 0u);
    EXPECT_EQ(ring->writeFromRing(mono.view(), 0, 4), 0u);
}

TEST(KivAudioRingBuffer, DropDiscardsOnlyStoredFrames) {
    auto ring = KivAudioRingBuffer::create(1, 8);
    Frames in(1, 8);
    in.fillStaircase(0);
    ring->readIntoRing(in.view(), 0, 5);
    EXPECT_EQ(ring->drop(3), 3u);
    EXPECT_EQ(ring->drop(10), 2u);
    EXPECT_EQ(ring->drop(1), 0u);
    ring->readIntoRing(in.view(), 5, 3);
    Frames out(1, 3);
    ASSERT_EQ(ring->writeFromRing(out.view(), 0, 3), 3u);
    EXPECT_EQ(out.samples[0], (std::vector<float>{5, 6, 7}));
}

TEST(KivAudioRingBuffer, ConsumerSideAllocatesNothing) {
    auto ring = KivAudioRingBuffer::create(2, 64);
    Frames in(2, 32);
    Frames out(2, 32);
    in.fillStaircase(0);
    ring->readIntoRing(in.view(), 0, 32);
    const std::uint64_t before = renderThreadAllocations();
    {
        ScopedThreadRole role(ThreadRole::Render);
        ring->writeFromRing(out.view(), 0, 16);
        ring->drop(8);
        ring->readIntoRing(in.view(), 0, 32);
    }
    EXPECT_EQ(renderThreadAllocations(), before);
}

// A producer and a consumer on two threads move a staircase through a small
// ring in chunks of random sizes; every sample must arrive, in order.
TEST(KivAudioRingBuffer, TwoThreadsMoveEverySampleInOrder) {
    constexpr std::uint32_t kChannels = 2;
    constexpr std::uint64_t kTotal = 1u << 19;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    auto ring = KivAudioRingBuffer::create(kChannels, 509);

    std::thread producer([&] {
        std::minstd_rand random(seed);
        Frames chunk(kChannels, 700);
        std::uint64_t written = 0;
        while (written < kTotal) {
            const auto want = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(1 + random() % 700, kTotal - written));
            chunk.fillStaircase(written);
            std::uint32_t done = 0;
            while (done < want) {
                const std::uint32_t moved = ring->readIntoRing(chunk.view(), done, want - done);
                if (moved == 0) {
                    std::this_thread::yield();
                }
                done += moved;
            }
            written += want;
        }
    });

    std::minstd_rand random(seed + 1);
    Frames chunk(kChannels, 600);
    std::uint64_t read = 0;
    std::uint64_t mismatches = 0;
    while (read < kTotal) {
        const std::uint32_t moved =
            ring->writeFromRing(chunk.view(), 0, 1 + static_cast<std::uint32_t>(random() % 600));
        if (moved == 0) {
            std::this_thread::yield();
        }
        for (std::uint32_t c = 0; c < kChannels; ++c) {
            for (std::uint32_t i = 0; i < moved; ++i) {
                mismatches += chunk.samples[c][i] != Frames::value(c, read + i);
            }
        }
        read += moved;
    }
    producer.join();
    EXPECT_EQ(read, kTotal);
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(ring->count(), 0u);
}

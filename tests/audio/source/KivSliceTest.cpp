#include "audio/source/KivSlice.h"

#include <gtest/gtest.h>

#include <vector>

// The pure slice functions at a 10 Hz working rate, so frames stay readable.
namespace {

constexpr double kRate = 10.0;

KivSlice slice(double start, double end, std::int64_t count) {
    return {start, end, std::int64_t(start * kRate), std::int64_t(end * kRate), count, count};
}

struct Position {
    std::int64_t frame = 0;
    std::int64_t sansForever = 0;
    std::int64_t logical = 0;
};

bool advance(std::int64_t frames, Position& p, std::vector<KivSlice>& slices) {
    return KivAdvanceThroughSlices(frames, p.frame, p.sansForever, p.logical, slices);
}

TEST(KivSliceTest, FindsTheSliceAndTheNextJump) {
    std::vector<KivSlice> slices{slice(0, 1, 2), slice(1, 2, 1), slice(2, 3, -1)};
    EXPECT_EQ(KivSliceIndexForFrame(0, slices), 0u);
    EXPECT_EQ(KivSliceIndexForFrame(10, slices), 1u);
    EXPECT_EQ(KivSliceIndexForFrame(30, slices), 3u);
    EXPECT_EQ(KivSliceIndexOfNextJump(5, slices), 0u);
    EXPECT_EQ(KivSliceIndexOfNextJump(15, slices), 2u);
    EXPECT_EQ(KivFramesUntilNextJump(15, slices), 15);
    EXPECT_EQ(KivStartTimeOfNextJump(15, slices), 2.0);
    slices[2].playsRemaining = 1;
    EXPECT_EQ(KivSliceIndexOfNextJump(15, slices), 3u);
    EXPECT_EQ(KivStartTimeOfNextJump(15, slices), -1.0);
    EXPECT_EQ(KivFramesUntilNextJump(15, slices), 15);
    EXPECT_EQ(KivSlicesStartFrame(slices), 0.0);
    EXPECT_EQ(KivSlicesEndTime(slices), 3.0);
    EXPECT_EQ(KivSlicesEndTime({}), 0.0);
    EXPECT_EQ(KivSliceTotalFrames(slices[0]), 20);
    EXPECT_EQ(KivSliceRemainingFrames(slices[0]), 20);
    EXPECT_TRUE(KivSliceLoopsForever(slice(0, 1, -1)));
}

TEST(KivSliceTest, FiniteLoopsCountEveryPassThenPlayRunsOn) {
    std::vector<KivSlice> slices{slice(0, 2, 3), slice(2, 3, 1)};
    Position p;
    EXPECT_TRUE(advance(50, p, slices)); // 2.5 passes
    EXPECT_EQ(p.frame, 10);
    EXPECT_EQ(slices[0].playsRemaining, 1);
    EXPECT_EQ(p.logical, 50);
    EXPECT_TRUE(advance(15, p, slices)); // the last pass ends, 5 into the next slice
    EXPECT_EQ(p.frame, 25);
    EXPECT_EQ(p.sansForever, 65);
    EXPECT_EQ(p.logical, 65);
    EXPECT_TRUE(advance(100, p, slices)); // play ends at the last slice's end
    EXPECT_EQ(p.frame, 30);
    EXPECT_FALSE(advance(10, p, slices));
    EXPECT_EQ(p.frame, 30);
}

TEST(KivSliceTest, AForeverSliceRepeatsItsLogicalStretch) {
    std::vector<KivSlice> slices{slice(0, 1, 1), slice(1, 1.5, -1)};
    Position p;
    EXPECT_TRUE(advance(12, p, slices));
    EXPECT_EQ(p.frame, 12);
    EXPECT_EQ(p.logical, 12);
    EXPECT_TRUE(advance(5, p, slices)); // once round the forever slice
    EXPECT_EQ(p.frame, 12);
    EXPECT_EQ(p.logical, 12);
    EXPECT_EQ(p.sansForever, 10);
    EXPECT_FALSE(advance(1, p, slices));
    EXPECT_EQ(p.logical, 13);
}

TEST(KivSliceTest, NoAdvanceForZeroOrFewerFramesOrOutsideEverySlice) {
    std::vector<KivSlice> slices{slice(1, 2, -1)};
    Position p{12, 3, 4};
    EXPECT_FALSE(advance(0, p, slices));
    EXPECT_FALSE(advance(-7, p, slices));
    EXPECT_EQ(p.frame, 12);
    EXPECT_EQ(p.logical, 4);
    Position past{25, 0, 0};
    EXPECT_FALSE(advance(3, past, slices));
    EXPECT_EQ(past.frame, 25);
}

class KivSliceListTest : public ::testing::Test {
protected:
    // The reason when refused, empty when accepted.
    std::string refusal(const nlohmann::json& list) {
        std::vector<KivSlice> slices{slice(0, 1, 7)};
        std::string reason;
        if (KivSlicesFromDescription(list, kRate, 3.0, 30, slices, reason)) {
            return {};
        }
        EXPECT_EQ(slices.size(), 1u);
        EXPECT_EQ(slices[0].playCount, 7); // left as it was
        EXPECT_FALSE(reason.empty());
        return reason;
    }
    template <class... Entries>
    static nlohmann::json list(Entries... entries) {
        return nlohmann::json::array({nlohmann::json(entries)...});
    }
    static nlohmann::json entry(double start, double end, std::int64_t count) {
        return {{"startTime", start}, {"endTime", end}, {"playCount", count}};
    }
};

TEST_F(KivSliceListTest, RefusesEveryRuleBroken) {
    EXPECT_EQ(refusal(list(entry(0, 0.1, 1))), "slice 0: not longer than 0.1 s");
    EXPECT_EQ(refusal(list(entry(1, 0.5, 1))), "slice 0: not longer than 0.1 s");
    EXPECT_EQ(refusal(list(entry(-0.5, 1, 1))), "slice 0: start before 0");
    EXPECT_EQ(refusal(list(entry(0, 1, 0))), "slice 0: play count 0");
    EXPECT_EQ(refusal(list(entry(0, 3.5, 1))), "slice 0: ends after the file");
    EXPECT_EQ(refusal(list(entry(0, 1, 1), entry(1.5, 2, 1))),
              "slice 1: does not start at the previous slice's end");
    EXPECT_EQ(refusal(list(entry(0, 1, 1), entry(0.9, 2, 1))),
              "slice 1: does not start at the previous slice's end");
    EXPECT_EQ(refusal(nlohmann::json::object()), "not an array");
    EXPECT_EQ(refusal(list(nlohmann::json{{"startTime", 0}, {"endTime", 1}, {"playCount", 1.5}}))
                  .substr(0, 9),
              "slice 0: ");
    EXPECT_EQ(refusal(list(nlohmann::json{{"startTime", 0}, {"playCount", 1}})).substr(0, 9),
              "slice 0: ");
    EXPECT_EQ(refusal(list(42)), "slice 0: not a dictionary");
}

TEST_F(KivSliceListTest, AcceptsContiguousSlicesAndTheEmptyList) {
    EXPECT_EQ(refusal(list(entry(0.5, 1, 2), entry(1, 3, -1))), "");
    std::vector<KivSlice> slices;
    std::string reason;
    ASSERT_TRUE(KivSlicesFromDescription(nlohmann::json::array(), kRate, 3.0, 30, slices, reason));
    ASSERT_EQ(slices.size(), 1u);
    EXPECT_EQ(slices[0].endFrame, 30);
    EXPECT_EQ(slices[0].playCount, 1);
    ASSERT_TRUE(KivSlicesFromDescription(list(entry(0.5, 1, 2), entry(1, 3, -1)), kRate, 3.0, 30,
                                         slices, reason));
    EXPECT_EQ(KivSlicesDescription(slices), list(entry(0.5, 1, 2), entry(1, 3, -1)));
    EXPECT_EQ(slices[1].startFrame, 10);
    EXPECT_EQ(slices[1].playsRemaining, -1);
}

} // namespace

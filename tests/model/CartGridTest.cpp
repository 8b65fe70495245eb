#include "model/CartGrid.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using CartGrid::kNotFound;

std::vector<std::size_t> internalIndexes(CartSize size, std::size_t count) {
    std::vector<std::size_t> result;
    for (std::size_t index = 0; index < count; ++index) {
        result.push_back(CartGrid::internalIndexForIndex(index, size));
    }
    return result;
}

std::vector<std::size_t> visibleIndexes(CartSize size) {
    std::vector<std::size_t> result;
    for (std::size_t internalIndex = 0; internalIndex < 25; ++internalIndex) {
        result.push_back(CartGrid::indexForInternalIndex(internalIndex, size));
    }
    return result;
}

constexpr std::size_t N = kNotFound;

TEST(CartGrid, ThreeByThreeTables) {
    const CartSize size{3, 3};
    EXPECT_EQ(internalIndexes(size, 16),
              (std::vector<std::size_t>{0, 1, 2, 5, 6, 7, 10, 11, 12, 15, 16, 17, 20, 21, 22, N}));
    EXPECT_EQ(visibleIndexes(size),
              (std::vector<std::size_t>{0, 1, 2, N,  N,  3, 4, 5,  N,  N,  6, 7, 8,
                                        N, N, 9, 10, 11, N, N, 12, 13, 14, N, N}));
}

TEST(CartGrid, FourByFourTables) {
    const CartSize size{4, 4};
    EXPECT_EQ(internalIndexes(size, 21),
              (std::vector<std::size_t>{0,  1,  2,  3,  5,  6,  7,  8,  10, 11, 12,
                                        13, 15, 16, 17, 18, 20, 21, 22, 23, N}));
    EXPECT_EQ(visibleIndexes(size),
              (std::vector<std::size_t>{0,  1, 2,  3,  N,  4,  5, 6,  7,  N,  8,  9, 10,
                                        11, N, 12, 13, 14, 15, N, 16, 17, 18, 19, N}));
}

TEST(CartGrid, FiveWideGridsUseInternalIndexes) {
    for (const CartSize size : {CartSize{5, 5}, CartSize{5, 4}}) {
        for (std::size_t index = 0; index < 25; ++index) {
            EXPECT_EQ(CartGrid::internalIndexForIndex(index, size), index);
            EXPECT_EQ(CartGrid::indexForInternalIndex(index, size), index);
        }
    }
}

TEST(CartGrid, IndexesOfTwentyFiveOrMoreAreRefused) {
    for (const CartSize size : {CartSize{5, 5}, CartSize{5, 4}, CartSize{3, 3}, CartSize{1, 1}}) {
        for (const std::size_t index : {std::size_t{25}, std::size_t{26}, kNotFound}) {
            EXPECT_EQ(CartGrid::internalIndexForIndex(index, size), kNotFound);
            EXPECT_EQ(CartGrid::indexForInternalIndex(index, size), kNotFound);
            EXPECT_TRUE(CartGrid::isInternalIndexOutsideOfGrid(index, size));
        }
    }
    // One column: visible index 5 is row 5, past the last internal row.
    EXPECT_EQ(CartGrid::internalIndexForIndex(4, CartSize{1, 1}), 20u);
    EXPECT_EQ(CartGrid::internalIndexForIndex(5, CartSize{1, 1}), kNotFound);
}

TEST(CartGrid, OutsideOfGrid) {
    const CartSize size{3, 2};
    std::vector<std::size_t> inside;
    for (std::size_t internalIndex = 0; internalIndex < 25; ++internalIndex) {
        if (!CartGrid::isInternalIndexOutsideOfGrid(internalIndex, size)) {
            inside.push_back(internalIndex);
        }
    }
    EXPECT_EQ(inside, (std::vector<std::size_t>{0, 1, 2, 5, 6, 7}));
}

TEST(CartGrid, SizesAreClampedToOneToFive) {
    EXPECT_EQ(CartGrid::clampedSize({0, 7}), (CartSize{1, 5}));
    EXPECT_EQ(CartGrid::clampedSize({-3, 3}), (CartSize{1, 3}));
    // A width beyond five reads as five.
    EXPECT_EQ(CartGrid::internalIndexForIndex(7, CartSize{7, 7}), 7u);
}

TEST(CartGrid, DefaultHotkeysFollowTheKeyboardRows) {
    std::string keys;
    for (std::size_t internalIndex = 0; internalIndex < 25; ++internalIndex) {
        keys += CartGrid::defaultHotkeyForInternalIndex(internalIndex);
    }
    EXPECT_EQ(keys, "12345QWERTASDFGZXCVBYUIOP");
    EXPECT_EQ(CartGrid::defaultHotkeyForInternalIndex(25), "");
    // Visible index 5 of a 4-wide grid is internal index 6.
    EXPECT_EQ(
        CartGrid::defaultHotkeyForInternalIndex(CartGrid::internalIndexForIndex(5, CartSize{4, 4})),
        "W");
}

} // namespace

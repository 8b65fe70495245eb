#pragma once

#include <cstddef>
#include <limits>
#include <string>

// A cart's grid: width columns by height rows, each 1..5.
struct CartSize {
    int width = 4;
    int height = 4;

    bool operator==(const CartSize&) const = default;
};

// Index arithmetic of a cart. Cues are kept under a fixed five-wide internal
// index (row * 5 + column), so that resizing never moves one; the grid shows
// them under the visible index (row * width + column).
namespace CartGrid {

inline constexpr std::size_t kNotFound = std::numeric_limits<std::size_t>::max();
inline constexpr int kMaximumSide = 5;
inline constexpr std::size_t kInternalSlots = 25;

// Each side brought into 1..kMaximumSide.
CartSize clampedSize(CartSize size);

// kNotFound when the result would not be an internal index (0..24).
// A visible index at or past width * height names a row beyond the grid.
std::size_t internalIndexForIndex(std::size_t index, CartSize size);
// kNotFound beyond 0..24 and for a column at or beyond the width.
std::size_t indexForInternalIndex(std::size_t internalIndex, CartSize size);
// True also for anything beyond 0..24.
bool isInternalIndexOutsideOfGrid(std::size_t internalIndex, CartSize size);

// One keyboard row per grid row ("1".."5", "Q".."T", ...); empty beyond 0..24.
const std::string& defaultHotkeyForInternalIndex(std::size_t internalIndex);

} // namespace CartGrid

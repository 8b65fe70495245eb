#include "model/CartGrid.h"

#include <algorithm>
#include <array>

namespace CartGrid {

namespace {

constexpr std::size_t kSide = kMaximumSide;

const std::array<std::string, kInternalSlots> kDefaultHotkeys = {
    "1", "2", "3", "4", "5", "Q", "W", "E", "R", "T", "A", "S", "D",
    "F", "G", "Z", "X", "C", "V", "B", "Y", "U", "I", "O", "P"};

} // namespace

CartSize clampedSize(CartSize size) {
    return {std::clamp(size.width, 1, kMaximumSide), std::clamp(size.height, 1, kMaximumSide)};
}

std::size_t internalIndexForIndex(std::size_t index, CartSize size) {
    const std::size_t width = static_cast<std::size_t>(clampedSize(size).width);
    if (index >= kInternalSlots) {
        return kNotFound;
    }
    const std::size_t row = index / width;
    const std::size_t internalIndex = index + row * (kSide - width);
    // Past the fifth row of a narrow grid there is no internal index.
    return internalIndex < kInternalSlots ? internalIndex : kNotFound;
}

std::size_t indexForInternalIndex(std::size_t internalIndex, CartSize size) {
    const std::size_t width = static_cast<std::size_t>(clampedSize(size).width);
    if (internalIndex >= kInternalSlots || internalIndex % kSide >= width) {
        return kNotFound;
    }
    return internalIndex - (internalIndex / kSide) * (kSide - width);
}

bool isInternalIndexOutsideOfGrid(std::size_t internalIndex, CartSize size) {
    const CartSize grid = clampedSize(size);
    return internalIndex >= kInternalSlots ||
           internalIndex / kSide >= static_cast<std::size_t>(grid.height) ||
           internalIndex % kSide >= static_cast<std::size_t>(grid.width);
}

const std::string& defaultHotkeyForInternalIndex(std::size_t internalIndex) {
    static const std::string none;
    return internalIndex < kInternalSlots ? kDefaultHotkeys[internalIndex] : none;
}

} // namespace CartGrid

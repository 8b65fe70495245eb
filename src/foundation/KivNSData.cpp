#include "foundation/KivNSData.h"

#include <algorithm>

namespace KivNSData {

std::string UTF8String(const std::vector<std::uint8_t>& data) {
    const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
    return std::string(data.begin(), end);
}

} // namespace KivNSData

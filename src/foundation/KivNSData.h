#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KivNSData {

// The bytes as text, up to the first zero byte.
std::string UTF8String(const std::vector<std::uint8_t>& data);

} // namespace KivNSData

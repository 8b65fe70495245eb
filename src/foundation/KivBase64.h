#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace KivBase64 {

// Standard alphabet with "=" padding.
std::string encoded(std::span<const std::uint8_t> bytes);

// Strict: only the standard alphabet, length a multiple of four, padding only
// at the end. Anything else gives nullopt.
std::optional<std::vector<std::uint8_t>> decoded(std::string_view text);

} // namespace KivBase64

#include "foundation/KivUTF8.h"

#include <cstddef>

namespace KivUTF8 {

namespace {

// Length of the well-formed sequence at `i`, or 0 with `consumed` set to the
// bytes that belong to the ill-formed part.
std::size_t sequenceLength(std::string_view text, std::size_t i, std::size_t& consumed) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    consumed = 1;
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) {
            low = 0xA0; // overlong
        } else if (lead == 0xED) {
            high = 0x9F; // surrogates
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) {
            low = 0x90; // overlong
        } else if (lead == 0xF4) {
            high = 0x8F; // past U+10FFFF
        }
    } else {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= text.size()) {
            return 0;
        }
        const unsigned char c = byte(i + k);
        const unsigned char min = k == 1 ? low : 0x80;
        const unsigned char max = k == 1 ? high : 0xBF;
        if (c < min || c > max) {
            return 0;
        }
        consumed = k + 1;
    }
    return length;
}

} // namespace

std::string sanitized(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t consumed = 0;
        const std::size_t length = sequenceLength(text, i, consumed);
        if (length > 0) {
            result.append(text.substr(i, length));
            i += length;
        } else {
            result.append("\xEF\xBF\xBD");
            i += consumed;
        }
    }
    return result;
}

bool isValid(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t consumed = 0;
        const std::size_t length = sequenceLength(text, i, consumed);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace KivUTF8

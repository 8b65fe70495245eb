#include "foundation/KivUTF8.h"

#include <locale.h>
#include <wctype.h>

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

char32_t decode(std::string_view sequence) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(sequence[k]); };
    switch (sequence.size()) {
    case 1:
        return byte(0);
    case 2:
        return (char32_t(byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
        return (char32_t(byte(0) & 0x0F) << 12) | (char32_t(byte(1) & 0x3F) << 6) |
               (byte(2) & 0x3F);
    default:
        return (char32_t(byte(0) & 0x07) << 18) | (char32_t(byte(1) & 0x3F) << 12) |
               (char32_t(byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
    }
}

// glibc's built-in C.UTF-8 carries Unicode's case mappings whatever locale
// the process runs in; made once, never freed.
locale_t unicodeLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}

} // namespace

void append(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

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

std::string upperCased(std::string_view text) {
    const std::string clean = sanitized(text);
    const locale_t locale = unicodeLocale();
    std::string result;
    result.reserve(clean.size());
    std::size_t i = 0;
    while (i < clean.size()) {
        std::size_t consumed = 0;
        const std::size_t length = sequenceLength(clean, i, consumed);
        const char32_t c = decode(std::string_view(clean).substr(i, length));
        char32_t upper = c;
        if (c < 0x80) {
            upper = c >= U'a' && c <= U'z' ? c - 0x20 : c;
        } else if (locale != locale_t{}) {
            upper = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale));
        }
        append(result, upper);
        i += length;
    }
    return result;
}

} // namespace KivUTF8

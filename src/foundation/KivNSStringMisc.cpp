#include "foundation/KivLog.h"
#include "foundation/KivNSString.h"

#include <sys/random.h>

#include <charconv>
#include <cstdio>
#include <random>

namespace KivNSString {

std::string stringUUID() {
    unsigned char bytes[16];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n <= 0) {
            // No kernel entropy call: fall back to the library's generator.
            std::random_device device;
            for (; got < sizeof bytes; ++got) {
                bytes[got] = static_cast<unsigned char>(device());
            }
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0f) | 0x40); // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3f) | 0x80); // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                  bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

std::string stringWithFourCharCode(std::uint32_t code) {
    std::string text(4, '\0');
    for (int i = 0; i < 4; ++i) {
        text[i] = static_cast<char>((code >> (24 - 8 * i)) & 0xff);
    }
    return text;
}

std::string addressInDotNotation(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xff, (address >> 16) & 0xff,
                  (address >> 8) & 0xff, address & 0xff);
    return text;
}

std::uint32_t addressFromDotNotation(std::string_view text) {
    std::uint32_t address = 0;
    std::size_t begin = 0;
    int parts = 0;
    bool valid = true;
    for (;;) {
        const std::size_t dot = text.find('.', begin);
        const std::string_view part = text.substr(
            begin, dot == std::string_view::npos ? std::string_view::npos : dot - begin);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || error != std::errc() || end != part.data() + part.size() ||
            value > 255 || parts >= 4) {
            valid = false;
            break;
        }
        address = (address << 8) | value;
        ++parts;
        if (dot == std::string_view::npos) {
            break;
        }
        begin = dot + 1;
    }
    if (!valid || parts != 4 || (address >> 24) == 0) {
        logFormat("Error: Not an IPv4 address in dot notation: %.*s", static_cast<int>(text.size()),
                  text.data());
        return 0;
    }
    return address;
}

namespace {

std::map<std::string, std::string> mscFields(const std::uint8_t* bytes, std::size_t length,
                                             const char* const* keys, std::size_t keyCount) {
    std::map<std::string, std::string> result;
    std::size_t field = 0;
    std::string current;
    bool started = false;
    auto finish = [&] {
        if (started && field < keyCount) {
            result[keys[field]] = current;
        }
        current.clear();
        started = false;
    };
    for (std::size_t i = 0; i < length && field < keyCount; ++i) {
        const std::uint8_t byte = bytes ? bytes[i] : 0;
        if (byte == 0) {
            started = true;
            finish();
            ++field;
        } else if ((byte >= '0' && byte <= '9') || byte == '.') {
            current.push_back(static_cast<char>(byte));
            started = true;
        } else {
            logFormat("Warning: stringFromMSCByteData: unrecognized byte value %i", byte);
        }
    }
    finish();
    return result;
}

} // namespace

std::map<std::string, std::string>
stringsFromMSCByteDataRepresentingNumberListPath(const std::uint8_t* bytes, std::size_t length) {
    static const char* const keys[] = {"Q_number", "Q_list", "Q_path"};
    return mscFields(bytes, length, keys, 3);
}

std::map<std::string, std::string> stringsFromMSCByteDataRepresentingList(const std::uint8_t* bytes,
                                                                          std::size_t length) {
    static const char* const keys[] = {"Q_list"};
    return mscFields(bytes, length, keys, 1);
}

std::string stringWithoutTrailingZeros(std::string_view text) {
    if (text.find('.') == std::string_view::npos) {
        return std::string(text);
    }
    while (!text.empty() && text.back() == '0') {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.back() == '.') {
        text.remove_suffix(1);
    }
    return std::string(text);
}

} // namespace KivNSString

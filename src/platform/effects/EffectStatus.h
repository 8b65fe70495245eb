#pragma once

#include <cstdint>

// Status codes of the effect host. They keep the values of the component
// manager and Audio Unit codes they stand in for, so that the engine's error
// lines and error objects read the same.
constexpr std::int32_t kEffectNoErr = 0;
constexpr std::int32_t kEffectComponentNotFound = -2005;
constexpr std::int32_t kEffectInvalidPropertyValue = -10851;
constexpr std::int32_t kEffectCannotDoInCurrentContext = -10863;
constexpr std::int32_t kEffectUninitialized = -10867;
constexpr std::int32_t kEffectFormatNotSupported = -10868;
constexpr std::int32_t kEffectFailedInitialization = -10875;
constexpr std::int32_t kEffectInvalidParameter = -10878;

// Four-character codes, most significant byte first ("aufx" is 0x61756678).
constexpr std::uint32_t fourCharCode(const char (&code)[5]) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(code[3]));
}

// Component types of the catalogue: audio in and out, without or with a MIDI input.
constexpr std::uint32_t kEffectTypeEffect = fourCharCode("aufx");
constexpr std::uint32_t kEffectTypeMusicEffect = fourCharCode("aumf");

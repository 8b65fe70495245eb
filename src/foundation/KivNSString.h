#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Text operations: time text, UUIDs, four-character codes, dotted addresses,
// MIDI show-control fields and path arithmetic.
namespace KivNSString {

// The largest time shown, 365 days; larger magnitudes are capped to it.
inline constexpr double kMaximumSeconds = 31536000.0;

// [-][HH:]MM:SS[.F...]: hours only when non-zero or forced, each field at
// least two digits, the fraction exactly `decimalPlaces` digits (clamped to
// 0..9). With forcePositive a negative value reads as zero. NaN reads as zero.
std::string stringByFormattingSeconds(double seconds, int decimalPlaces = 2, bool showHours = false,
                                      bool forcePositive = true);

// Reads [-][[H:]M:]S back into seconds. Locale-free: "." is the decimal point.
// Each field reads its leading decimal number (0 when there is none, and
// "inf", "nan" and hexadecimal are not numbers) as its absolute value; a
// leading "-" negates the whole. Fields before the last three are ignored.
double secondsFromFormattedString(std::string_view text);

// A new random UUID in its standard upper-case text form.
std::string stringUUID();

// The four bytes of a code as characters, most significant first.
std::string stringWithFourCharCode(std::uint32_t code);

// "a.b.c.d", most significant byte first.
std::string addressInDotNotation(std::uint32_t address);
// The inverse. Text that is not four dot-separated numbers of 0..255, or
// whose first number is 0, logs an error and gives 0.
std::uint32_t addressFromDotNotation(std::string_view text);

// MIDI show-control cue fields: digits and points, zero bytes between the
// fields. Fills "Q_number", "Q_list" and "Q_path" (the list-only form fills
// "Q_list" alone) for the fields present; other bytes are skipped with a warning.
std::map<std::string, std::string>
stringsFromMSCByteDataRepresentingNumberListPath(const std::uint8_t* bytes, std::size_t length);
std::map<std::string, std::string> stringsFromMSCByteDataRepresentingList(const std::uint8_t* bytes,
                                                                          std::size_t length);

// A leading "~" becomes $HOME, then "." and ".." are resolved and a trailing
// "/" is removed.
std::string standardizedPath(std::string_view path);
// Components of the standardized path; an absolute path starts with "/".
std::vector<std::string> canonicalPathComponents(std::string_view path);
// The components that lead from `base` to `path`, ".." for each step up.
std::vector<std::string> canonicalPathComponentsRelativeTo(std::string_view path,
                                                           std::string_view base);
std::string stringByMakingPathRelativeTo(std::string_view path, std::string_view base);
// None unless `base` is absolute; else base + path, standardized.
std::optional<std::string> stringByMakingPathAbsoluteWithBase(std::string_view path,
                                                              std::string_view base);

// "1.500" -> "1.5", "2.000" -> "2", "0.0" -> "0"... text without "." is unchanged.
std::string stringWithoutTrailingZeros(std::string_view text);

} // namespace KivNSString

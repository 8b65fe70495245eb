#include "foundation/KivNSString.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

// The leading decimal number of a field, as a lenient reader takes it: white
// space, an optional sign, digits with an optional point and exponent. Any
// other start, and any value out of range, gives 0.
double leadingNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    std::size_t digits = 0;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < field.size() && field[i] == '.') {
        ++i;
        while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    if (i < field.size() && (field[i] == 'e' || field[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < field.size() && (field[j] == '+' || field[j] == '-')) {
            ++j;
        }
        if (j < field.size() && field[j] >= '0' && field[j] <= '9') {
            while (j < field.size() && field[j] >= '0' && field[j] <= '9') {
                ++j;
            }
            i = j;
        }
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(field.data() + start, field.data() + i, value, std::chars_format::general);
    if (error != std::errc() || !std::isfinite(value)) {
        return 0.0;
    }
    return negative ? -value : value;
}

} // namespace

namespace KivNSString {

std::string stringByFormattingSeconds(double seconds, int decimalPlaces, bool showHours,
                                      bool forcePositive) {
    const int places = decimalPlaces < 0 ? 0 : (decimalPlaces > 9 ? 9 : decimalPlaces);
    double x = std::isnan(seconds) ? 0.0 : seconds;
    const char* sign = "";
    if (x < 0) {
        if (forcePositive) {
            x = 0;
        } else {
            x = -x;
            sign = "-";
        }
    }
    x = std::fmin(x, kMaximumSeconds);

    // Whole seconds in integers, so no rounding of x / 3600 can disagree with x / 60.
    const auto whole = static_cast<std::int64_t>(std::floor(x));
    std::int64_t scale = 1;
    for (int i = 0; i < places; ++i) {
        scale *= 10;
    }
    auto fraction =
        static_cast<std::int64_t>(std::llround(static_cast<double>(scale) * (x - whole)));
    std::int64_t hours = whole / 3600;
    std::int64_t minutes = (whole / 60) % 60;
    std::int64_t secs = whole % 60;
    if (fraction >= scale) {
        fraction = 0;
        ++secs;
    }
    if (secs == 60) {
        secs = 0;
        ++minutes;
    }
    if (minutes == 60) {
        minutes = 0;
        ++hours;
    }

    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, "%s", sign);
    if (hours > 0 || showHours) {
        n += std::snprintf(buffer + n, sizeof buffer - n, "%02lld:", static_cast<long long>(hours));
    }
    n += std::snprintf(buffer + n, sizeof buffer - n, "%02lld:%02lld",
                       static_cast<long long>(minutes), static_cast<long long>(secs));
    if (places > 0) {
        std::snprintf(buffer + n, sizeof buffer - n, ".%0*lld", places,
                      static_cast<long long>(fraction));
    }
    return buffer;
}

double secondsFromFormattedString(std::string_view text) {
    if (text.empty()) {
        return 0.0;
    }
    const bool negative = text.front() == '-';
    double fields[3] = {0.0, 0.0, 0.0}; // seconds, minutes, hours
    std::size_t end = text.size();
    for (int field = 0; field < 3; ++field) {
        const std::size_t colon = text.rfind(':', end == 0 ? std::string_view::npos : end - 1);
        const bool last = colon == std::string_view::npos || end == 0;
        const std::size_t begin = last ? 0 : colon + 1;
        fields[field] = std::fabs(leadingNumber(text.substr(begin, end - begin)));
        if (last) {
            break;
        }
        end = colon;
    }
    const double result = fields[2] * 3600.0 + fields[1] * 60.0 + fields[0];
    if (!std::isfinite(result)) {
        return 0.0;
    }
    return negative ? -result : result;
}

} // namespace KivNSString

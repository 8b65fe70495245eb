#include "audio/core/KivAudioUtilities.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

double KivAudioUtilities::dbToLinear(double db) const {
    if (db <= _minVolumeDb) {
        return 0.0;
    }
    return std::pow(10.0, db / 20.0);
}

double KivAudioUtilities::linearToDb(double linear) const {
    if (linear <= 0.0) {
        return _minVolumeDb;
    }
    return std::max(20.0 * std::log10(linear), _minVolumeDb);
}

double KivAudioUtilities::sliderToDb(double slider, bool absolute) const {
    if (!absolute) {
        return -slider * _minVolumeDb;
    }
    if (slider <= 0.0) {
        return _minVolumeDb;
    }
    if (slider <= 1.0) {
        return std::max(55.0 * std::log10(slider), _minVolumeDb);
    }
    return std::min((slider - 1.0) * 4.0 * _maxAbsoluteDb, _maxAbsoluteDb);
}

double KivAudioUtilities::dbToSlider(double db, bool absolute) const {
    if (absolute) {
        if (db <= _minVolumeDb) {
            return 0.0;
        }
        if (db <= 0.0) {
            return std::pow(10.0, db / 55.0);
        }
        return std::min(db / _maxAbsoluteDb * 0.25 + 1.0, 1.25);
    }
    if (db <= _minVolumeDb) {
        return -1.0;
    }
    if (db >= 0.0) {
        return db / -_minVolumeDb;
    }
    return -(db / _minVolumeDb);
}

double KivAudioUtilities::sliderToLinear(double slider, bool absolute) const {
    return dbToLinear(sliderToDb(slider, absolute));
}

double KivAudioUtilities::linearToSlider(double linear, bool absolute) const {
    return dbToSlider(linearToDb(linear), absolute);
}

std::string KivAudioUtilities::objectValueForDbLevel(double db) const {
    if (db <= _minVolumeDb) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, db > 0.0 ? "+%.1f" : "%.1f", db);
    return text;
}

double KivAudioUtilities::dbLevelForObjectValue(std::string_view text) const {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (text.empty() || upper == "-INF") {
        return _minVolumeDb;
    }
    const bool hasSign = text.front() == '+' || text.front() == '-';
    const std::string signedText = (hasSign ? std::string() : std::string("-")) + std::string(text);
    // The sign must be followed by the number itself: "--3" or "-+3" are not levels.
    if (signedText.size() < 2 || !(std::isdigit(static_cast<unsigned char>(signedText[1])) ||
                                   signedText[1] == '.' || signedText[1] == ',')) {
        return _minVolumeDb;
    }
    char* end = nullptr;
    double value = std::strtod(signedText.c_str(), &end);
    while (end && std::isspace(static_cast<unsigned char>(*end))) {
        ++end;
    }
    if (!end || *end != '\0' || !std::isfinite(value)) {
        return _minVolumeDb;
    }
    if (value > 0.0 && signedText.front() != '+') {
        value = -value;
    }
    return value == 0.0 ? 0.0 : value;
}

double KivAudioUtilities::levelForObjectValue(std::string_view text) const {
    return dbToLinear(dbLevelForObjectValue(text));
}

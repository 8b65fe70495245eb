#pragma once

#include <string>
#include <string_view>

// Level conversions between decibels, linear gain and slider positions, and
// the decibel text of a level field. Copyable value; nothing is shared.
class KivAudioUtilities {
public:
    double minVolumeDb() const { return _minVolumeDb; }
    void setMinVolumeDb(double db) { _minVolumeDb = db; }
    double maxAbsoluteDb() const { return _maxAbsoluteDb; }
    void setMaxAbsoluteDb(double db) { _maxAbsoluteDb = db; }

    // 0 at or below the minimum.
    double dbToLinear(double db) const;
    // Never below the minimum; the minimum for gains of 0 or less.
    double linearToDb(double linear) const;

    // Absolute sliders run 0..1 for the minimum..0 dB on a logarithmic scale,
    // then 1..1.25 for 0 dB..the maximum. Relative sliders run -1..1 across
    // the minimum..-minimum linearly in dB.
    double sliderToDb(double slider, bool absolute) const;
    double dbToSlider(double db, bool absolute) const;
    double sliderToLinear(double slider, bool absolute) const;
    double linearToSlider(double linear, bool absolute) const;

    // "" at or below the minimum, "+3.0" above 0 dB, "-6.0" otherwise.
    std::string objectValueForDbLevel(double db) const;
    // Reads a level field: empty or "-inf" is the minimum; a bare number
    // means attenuation ("6" is -6 dB); "+" marks a boost; text that is not
    // a number gives the minimum.
    double dbLevelForObjectValue(std::string_view text) const;
    double levelForObjectValue(std::string_view text) const;

private:
    double _minVolumeDb = -120.0;
    double _maxAbsoluteDb = 12.0;
};

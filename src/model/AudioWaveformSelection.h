#pragma once

#include <algorithm>

// A horizontal pixel range of the waveform editor: the played range or the
// user's selection. A cleared user selection is (-1, -1). Main thread.
class AudioWaveformSelection {
public:
    float leftPixel() const { return _leftPixel; }
    float rightPixel() const { return _rightPixel; }
    float width() const { return _rightPixel - _leftPixel; }

    void updateWithPixels(float one, float two) {
        _leftPixel = std::min(one, two);
        _rightPixel = std::max(one, two);
    }
    // The zoom changed by `factor`.
    void updateWithFactor(float factor) {
        _leftPixel *= factor;
        _rightPixel *= factor;
    }

private:
    float _leftPixel = 0.0f;
    float _rightPixel = 0.0f;
};

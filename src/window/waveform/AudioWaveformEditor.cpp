#include "window/waveform/AudioWaveformEditor.h"

#include "foundation/KivNSString.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

void AudioWaveformEditor::setFile(double seconds, float visibleWidth) {
    _fileLength = seconds > 0.0 && std::isfinite(seconds) ? seconds : 0.0;
    if (hasFile()) {
        // A file too long to fit at the least zoom shows at the least zoom,
        // never at the previous file's.
        applyZoom(std::max(visibleWidth / _fileLength, kMinimumZoom));
    }
}

void AudioWaveformEditor::setPlayedTimes(double start, double end) {
    _playedStart = start;
    _playedEnd = end;
    _played.updateWithPixels(float(start * _pixelsPerSecond), float(end * _pixelsPerSecond));
}

float AudioWaveformEditor::contentWidth() const {
    return float(_fileLength * _pixelsPerSecond);
}

float AudioWaveformEditor::pivotPixel(bool cueRunning, float visibleX, float visibleWidth) const {
    if (hasUserSelection() && !cueRunning) {
        return _user.leftPixel() + _user.width() * 0.5f;
    }
    if (_cursorPosition >= 0.0f) {
        return _cursorPosition;
    }
    return visibleX + visibleWidth * 0.5f;
}

std::optional<float> AudioWaveformEditor::zoom(double pixelsPerSecond, bool cueRunning,
                                               float visibleX, float visibleWidth) {
    if (!hasFile() || !(pixelsPerSecond <= kMaximumZoom) || pixelsPerSecond < kMinimumZoom) {
        return std::nullopt;
    }
    const double pivotTime = pivotPixel(cueRunning, visibleX, visibleWidth) / _pixelsPerSecond;
    double p = pixelsPerSecond;
    if (_fileLength * p < visibleWidth) {
        p = visibleWidth / _fileLength;
    }
    applyZoom(std::max(p, kMinimumZoom));
    return std::round(float(pivotTime * _pixelsPerSecond - visibleWidth * 0.5));
}

void AudioWaveformEditor::applyZoom(double pixelsPerSecond) {
    const auto factor = float(pixelsPerSecond / _pixelsPerSecond);
    _pixelsPerSecond = pixelsPerSecond;
    _anchor *= factor;
    if (hasUserSelection()) {
        _user.updateWithFactor(factor);
    }
    setPlayedTimes(_playedStart, _playedEnd);
    _rulerSpacing = rulerSpacingFor(_pixelsPerSecond);
    if (_cursorPosition >= 0.0f) {
        _cursorPosition *= factor;
    }
}

double AudioWaveformEditor::wheelFactor(float deltaY) {
    if (deltaY < 0.0f) {
        return 0.8;
    }
    return deltaY > 0.0f ? 1.25 : 1.0;
}

double AudioWaveformEditor::rulerSpacingFor(double pixelsPerSecond) {
    static constexpr std::array<double, 14> kSpacings = {0.01, 0.1, 0.25, 0.5, 1,   2,   5,
                                                         10,   30,  60,   120, 300, 600, 1800};
    for (double spacing : kSpacings) {
        if (spacing * pixelsPerSecond > 60.0) {
            return spacing;
        }
    }
    return 3600.0;
}

bool AudioWaveformEditor::rulerAtPixel(int x) const {
    const auto fraction = [this](double pixel) {
        const double ticks = pixel / _pixelsPerSecond / _rulerSpacing;
        return ticks - std::floor(ticks);
    };
    return fraction(x - 1) >= 0.4 && fraction(x) < 0.4;
}

double AudioWaveformEditor::rulerTimeAtPixel(int x) const {
    return std::floor(x / _pixelsPerSecond / _rulerSpacing) * _rulerSpacing;
}

std::string AudioWaveformEditor::rulerLabel(double seconds, double spacing) {
    if (seconds < 60.0) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", seconds);
        return text;
    }
    return KivNSString::stringByFormattingSeconds(seconds, spacing < 1.0 ? 2 : 0);
}

void AudioWaveformEditor::setCursorTime(std::optional<double> fileTime) {
    _cursorPosition = fileTime ? float(*fileTime * _pixelsPerSecond) : kNoCursor;
}

AudioWaveformEditor::Span AudioWaveformEditor::leftHandleArea(float x, float extra) {
    if (x <= 1.0f) {
        return {0.0f, extra + 3.0f};
    }
    return {x - 2.0f - extra, 3.0f + 2.0f * extra};
}

AudioWaveformEditor::Span AudioWaveformEditor::rightHandleArea(float x, float extra) const {
    const float width = contentWidth();
    if (x >= width - 2.0f) {
        return {width - 3.0f - extra, extra + 3.0f};
    }
    return {x - 1.0f - extra, 3.0f + 2.0f * extra};
}

void AudioWaveformEditor::press(float x, bool belowRuler, bool shift, bool cueRunning) {
    _drag = Drag::None;
    _moved = false;
    if (rightHandleArea(_played.rightPixel(), 5.0f).contains(x)) {
        _drag = Drag::Played;
        _anchor = _played.leftPixel();
    } else if (leftHandleArea(_played.leftPixel(), 5.0f).contains(x)) {
        _drag = Drag::Played;
        _anchor = _played.rightPixel();
    } else if (_user.width() > 1.0f && rightHandleArea(_user.rightPixel(), 1.0f).contains(x)) {
        _drag = Drag::User;
        _anchor = _user.leftPixel();
    } else if (_user.width() > 1.0f && leftHandleArea(_user.leftPixel(), 1.0f).contains(x)) {
        _drag = Drag::User;
        _anchor = _user.rightPixel();
    } else if (!cueRunning && belowRuler) {
        _drag = Drag::User;
        if (!shift) {
            _anchor = x;
        }
        _user.updateWithPixels(_anchor, x);
    }
}

void AudioWaveformEditor::dragTo(float x) {
    if (_drag == Drag::None) {
        return;
    }
    x = std::clamp(x, 0.0f, contentWidth());
    // Whole pixels of 0.1 s: the ends never come closer than that.
    const auto shortest = float(std::trunc(_pixelsPerSecond * kShortestRange));
    if (x <= _anchor && _anchor <= x + shortest) {
        x = _anchor - shortest;
    } else if (_anchor < x && x <= _anchor + shortest) {
        x = _anchor + shortest;
    }
    _moved = true;
    (_drag == Drag::Played ? _played : _user).updateWithPixels(x, _anchor);
}

AudioWaveformEditor::Release AudioWaveformEditor::release(float x, bool cueRunning) {
    const Drag drag = _drag;
    _drag = Drag::None;
    if (drag == Drag::None) {
        return {};
    }
    const AudioWaveformSelection range = drag == Drag::Played ? _played : _user;
    const double start = storedTime(range.leftPixel() / _pixelsPerSecond);
    const double end = storedTime(range.rightPixel() / _pixelsPerSecond);
    if (x == _anchor) {
        _user.updateWithPixels(x, x);
    }
    if (drag == Drag::Played) {
        return {Release::Action::SetRange, start, end};
    }
    if (cueRunning) {
        return _moved ? Release{Release::Action::StopAndKeepPlace} : Release{};
    }
    // A click left of the start handle seeks to the start, never before it.
    return {Release::Action::Seek, std::max(0.0, start - _playedStart)};
}

std::optional<AudioWaveformEditor::Release> AudioWaveformEditor::rangeFromSelection() const {
    const double start = storedTime(_user.leftPixel() / _pixelsPerSecond);
    const double end = storedTime(_user.rightPixel() / _pixelsPerSecond);
    if (end - start < kShortestRange) {
        return std::nullopt;
    }
    return Release{Release::Action::SetRange, start, end};
}

std::string AudioWaveformEditor::timeText(double seconds) {
    return KivNSString::stringByFormattingSeconds(seconds, 3);
}

double AudioWaveformEditor::storedTime(double seconds) {
    return KivNSString::secondsFromFormattedString(timeText(seconds));
}

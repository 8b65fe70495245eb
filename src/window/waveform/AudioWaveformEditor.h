#pragma once

#include "model/AudioWaveformSelection.h"

#include <optional>
#include <string>

// The waveform editor's geometry without its widget: zoom, ruler, playhead,
// the played range and the user's selection in pixels of the whole file's
// canvas, and what a press, drag and release of the mouse do to them. Times
// the editor hands to the cue go through the 3-place time text. Main thread.
class AudioWaveformEditor {
public:
    static constexpr float kRulerHeight = 15.0f;
    static constexpr double kInitialZoom = 300.0;
    static constexpr double kMinimumZoom = 0.1;
    static constexpr double kMaximumZoom = 5000.0;
    // Ranges a drag or the selection may give the cue are longer than this.
    static constexpr double kShortestRange = 0.1;
    static constexpr float kNoCursor = -10.0f;

    enum class Drag { None, Played, User };
    // A full-height hit area: pixels x to x + width, x included.
    struct Span {
        float x = 0.0f;
        float width = 0.0f;
        bool contains(float at) const { return at >= x && at < x + width; }
    };
    // What a release asks of the cue.
    struct Release {
        enum class Action { None, SetRange, StopAndKeepPlace, Seek };
        Action action = Action::None;
        double start = 0.0; // SetRange: the range; Seek: the time from the cue's start
        double end = 0.0;
    };

    // Another file, of `seconds` (0: none): the zoom fits it into
    // `visibleWidth`, held within its limits.
    void setFile(double seconds, float visibleWidth);
    double fileLength() const { return _fileLength; }
    bool hasFile() const { return _fileLength > 0.0; }
    // The cue's start and end: the played range.
    void setPlayedTimes(double start, double end);

    double pixelsPerSecond() const { return _pixelsPerSecond; }
    // The canvas: the whole file at the present zoom.
    float contentWidth() const;

    // Zoom pivot: the middle of the user's selection when there is one and
    // the cue is stopped, else the playhead, else the middle of the visible part.
    float pivotPixel(bool cueRunning, float visibleX, float visibleWidth) const;
    // Zooms to `pixelsPerSecond` about the time at the pivot pixel; the
    // answer is the scroll x that keeps that time in the middle of the
    // visible part, nothing when refused (no file, or out of the limits).
    std::optional<float> zoom(double pixelsPerSecond, bool cueRunning, float visibleX,
                              float visibleWidth);
    // The zoom factor of a vertical wheel delta.
    static double wheelFactor(float deltaY);

    double rulerSpacing() const { return _rulerSpacing; }
    static double rulerSpacingFor(double pixelsPerSecond);
    // The first pixel at or after each multiple of the ruler spacing.
    bool rulerAtPixel(int x) const;
    // The multiple of the spacing whose tick is at or just before pixel x.
    double rulerTimeAtPixel(int x) const;
    static std::string rulerLabel(double seconds, double spacing);

    // The playhead at the cue's file time, or none when the cue is not loaded.
    void setCursorTime(std::optional<double> fileTime);
    float cursorPosition() const { return _cursorPosition; }

    const AudioWaveformSelection& playedSelection() const { return _played; }
    const AudioWaveformSelection& userSelection() const { return _user; }
    bool hasUserSelection() const { return _user.leftPixel() != _user.rightPixel(); }
    void clearSelection() { _user.updateWithPixels(-1.0f, -1.0f); }
    void selectAll() { _user.updateWithPixels(0.0f, contentWidth()); }

    static Span leftHandleArea(float x, float extra);
    Span rightHandleArea(float x, float extra) const;

    // Mouse, in canvas pixels; `belowRuler`: the press is in the waveform area.
    void press(float x, bool belowRuler, bool shift, bool cueRunning);
    Drag dragging() const { return _drag; }
    float anchor() const { return _anchor; }
    void dragTo(float x);
    Release release(float x, bool cueRunning);
    // The user's selection as the played range, when it is long enough.
    std::optional<Release> rangeFromSelection() const;

    // A time as the editor shows and stores it: 3 places, never negative.
    static std::string timeText(double seconds);
    static double storedTime(double seconds);

private:
    void applyZoom(double pixelsPerSecond);

    double _fileLength = 0.0;
    double _pixelsPerSecond = kInitialZoom;
    double _rulerSpacing = rulerSpacingFor(kInitialZoom);
    double _playedStart = 0.0;
    double _playedEnd = 0.0;
    float _cursorPosition = kNoCursor;
    float _anchor = 0.0f;
    bool _moved = false;
    Drag _drag = Drag::None;
    AudioWaveformSelection _played;
    AudioWaveformSelection _user = [] {
        AudioWaveformSelection cleared;
        cleared.updateWithPixels(-1.0f, -1.0f);
        return cleared;
    }();
};

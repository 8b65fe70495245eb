#pragma once

#include <optional>

class AudioWaveformView;
class CueInspectorController;
class QBoxLayout;
class QLabel;
class VornButton;
class VornTextField;

// The played range of the inspector's cue, the middle column of the pane:
// the waveform editor, the start and end fields with the reason beside them
// when a typed time is refused, and Use Selection. GUI thread.
class CueRangeEditor {
public:
    // Builds its column, its controls children of the inspector, into the
    // inspector's row.
    CueRangeEditor(CueInspectorController& inspector, QBoxLayout& columns);
    CueRangeEditor(const CueRangeEditor&) = delete;
    CueRangeEditor& operator=(const CueRangeEditor&) = delete;

    void enableControls(bool enabled);
    // The fields, the waveform and no reason shown, for the inspector's cue.
    void refresh();
    // The cue's start or end changed.
    void updateRange();
    void updateTimes();
    void setStartTime();
    void setEndTime();
    void setStartEndFromSelection();

    VornTextField* startTime() const { return _startTime; }
    VornTextField* endTime() const { return _endTime; }
    QLabel* timeMessage() const { return _timeMessage; }
    AudioWaveformView* waveformView() const { return _waveformView; }

private:
    // A typed time past the file's end, or leaving 0.1 s or less to play,
    // is refused with the field restored; nullopt then.
    std::optional<double> checkedTime(VornTextField* field, bool start);

    CueInspectorController& _inspector;
    VornTextField* _startTime = nullptr;
    VornTextField* _endTime = nullptr;
    QLabel* _timeMessage = nullptr;
    AudioWaveformView* _waveformView = nullptr;
    VornButton* _selectionButton = nullptr;
};

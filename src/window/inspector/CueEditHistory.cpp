#include "window/inspector/CueEditHistory.h"

#include "model/AudioCue.h"
#include "platform/undo/UndoManager.h"
#include "window/inspector/InspectorDelegate.h"

CueEditHistory::CueEditHistory(InspectorDelegate& delegate)
    : _delegate(delegate) {}

CueEditHistory::~CueEditHistory() {
    _observations.clear();
}

UndoManager& CueEditHistory::undoManager() const {
    return _delegate.undoManager();
}

void CueEditHistory::registerChange(UndoManager& undo, const std::shared_ptr<AudioCue>& cue,
                                    Change undoIt, Change redoIt, const char* actionName) {
    undo.registerUndo(cue.get(), [&undo, cue, undoIt, redoIt, actionName] {
        undoIt(*cue);
        registerChange(undo, cue, redoIt, undoIt, actionName);
    });
    if (!undo.isUndoing()) {
        undo.setActionName(actionName);
    }
}

void CueEditHistory::setCue(const std::shared_ptr<AudioCue>& cue) {
    _observations.clear();
    _cue = cue;
    if (_cue) {
        observe(*_cue);
    }
}

void CueEditHistory::observe(AudioCue& cue) {
    const std::shared_ptr<AudioCue> held = _cue;
    // Undo and redo register their own inverse.
    const auto record = [this, held](Change undoIt, Change redoIt, const char* actionName) {
        UndoManager& undo = undoManager();
        if (!undo.isUndoing() && !undo.isRedoing()) {
            registerChange(undo, held, std::move(undoIt), std::move(redoIt), actionName);
        }
    };
    _observations.push_back(
        cue.nameChanged().connect([record](const std::string& old, const std::string& now) {
            if (old != now) {
                record([old](AudioCue& c) { c.setName(old); },
                       [now](AudioCue& c) { c.setName(now); }, "Change Name");
            }
        }));
    _observations.push_back(
        cue.hotkeyChanged().connect([record](const std::string& old, const std::string& now) {
            record([old](AudioCue& c) { c.setHotkey(old); },
                   [now](AudioCue& c) { c.setHotkey(now); }, "Change Hotkey");
        }));
    _observations.push_back(cue.midiNoteChanged().connect(
        [record](const std::optional<int>& old, const std::optional<int>& now) {
            // A cue without a trigger gets none back.
            if (old != now && now) {
                record(
                    [old](AudioCue& c) {
                        if (old) {
                            c.setMidiNote(*old);
                        } else {
                            c.setMidiTrigger(std::nullopt);
                        }
                    },
                    [now](AudioCue& c) { c.setMidiNote(*now); }, "Change MIDI Note");
            }
        }));
    _observations.push_back(
        cue.volumeChanged().connect([this, record](const float& old, const float& now) {
            // A drag makes its one step when it ends.
            if (!_volumeCopy && old != now) {
                record([old](AudioCue& c) { c.setVolume(old); },
                       [now](AudioCue& c) { c.setVolume(now); }, "Change Cue Volume");
            }
        }));
    _observations.push_back(
        cue.colorChanged().connect([record](const PondraColor& old, const PondraColor& now) {
            if (!old.isEqualToColor(now)) {
                record([old](AudioCue& c) { c.setColor(old); },
                       [now](AudioCue& c) { c.setColor(now); }, "Change Color");
            }
        }));
    _observations.push_back(
        cue.startTimeChanged().connect([record](const double& old, const double& now) {
            record([old](AudioCue& c) { c.setStartTime(old); },
                   [now](AudioCue& c) { c.setStartTime(now); }, "Change Start Time");
        }));
    _observations.push_back(
        cue.endTimeChanged().connect([record](const double& old, const double& now) {
            record([old](AudioCue& c) { c.setEndTime(old); },
                   [now](AudioCue& c) { c.setEndTime(now); }, "Change End Time");
        }));
}

void CueEditHistory::beginVolumeDrag() {
    if (!_volumeCopy && _cue) {
        _volumeCopy = _cue->volume();
    }
}

void CueEditHistory::endVolumeDrag() {
    if (!_volumeCopy) {
        return;
    }
    const float before = *_volumeCopy;
    _volumeCopy.reset();
    if (!_cue || before == _cue->volume()) {
        return;
    }
    const float after = _cue->volume();
    registerChange(
        undoManager(), _cue, [before](AudioCue& c) { c.setVolume(before); },
        [after](AudioCue& c) { c.setVolume(after); }, "Change Cue Volume");
}

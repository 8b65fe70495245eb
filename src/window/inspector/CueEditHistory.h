#pragma once

#include "foundation/Signal.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AudioCue;
class InspectorDelegate;
class UndoManager;

// The undo of the inspector's cue: each change, made anywhere (the
// inspector, the grid, undo and redo themselves), becomes an undo step built
// from the old value its signal carries, so every edit undoes the same way.
// A drag of the volume slider is one step, made when the drag ends.
// GUI thread.
class CueEditHistory {
public:
    using Change = std::function<void(AudioCue&)>;

    explicit CueEditHistory(InspectorDelegate& delegate);
    ~CueEditHistory();
    CueEditHistory(const CueEditHistory&) = delete;
    CueEditHistory& operator=(const CueEditHistory&) = delete;

    // Undoing runs `undoIt` and registers `redoIt` as its own inverse, so undo
    // and redo restore exactly whether or not an inspector shows the cue then.
    // The closures hold the cue, never the inspector, which may go first.
    static void registerChange(UndoManager& undo, const std::shared_ptr<AudioCue>& cue,
                               Change undoIt, Change redoIt, const char* actionName);

    // Follows the new cue instead of the old one; none for null.
    void setCue(const std::shared_ptr<AudioCue>& cue);

    // A drag of the volume slider: its changes make no step of their own.
    bool isDraggingVolume() const { return _volumeCopy.has_value(); }
    // Keeps the cue's volume before the drag; once per drag.
    void beginVolumeDrag();
    // One step back to the volume before the drag, when it moved.
    void endVolumeDrag();
    // Forgets the drag without a step.
    void cancelVolumeDrag() { _volumeCopy.reset(); }

private:
    void observe(AudioCue& cue);
    UndoManager& undoManager() const;

    InspectorDelegate& _delegate;
    std::shared_ptr<AudioCue> _cue;
    std::vector<Connection> _observations;
    // The cue's volume when the slider's drag began; none while idle.
    std::optional<float> _volumeCopy;
};

#pragma once

#include <memory>
#include <string>

class AudioCue;

// One potential problem of a cue, found before a show and listed in the
// warnings. It holds its cues weakly: a concern outliving a cue describes a
// gone cue as empty rather than reach a freed one. Main thread.
class SafetyConcern {
public:
    enum Type : int {
        kSameMidiTrigger = 1,
        kSameHotkey = 2,
        kBroken = 3,
        kOutsideGrid = 4,
        kWorkspaceHotkey = 5,
    };

    SafetyConcern(std::weak_ptr<AudioCue> cue, int concernType);

    std::shared_ptr<AudioCue> cue() const { return _cue.lock(); }
    void setCue(std::weak_ptr<AudioCue> cue) { _cue = std::move(cue); }
    // The cue it collides with, for the two kinds of same trigger.
    std::shared_ptr<AudioCue> otherCue() const { return _otherCue.lock(); }
    void setOtherCue(std::weak_ptr<AudioCue> cue) { _otherCue = std::move(cue); }
    int concernType() const { return _concernType; }
    void setConcernType(int concernType) { _concernType = concernType; }

    // The text of the warnings list; empty for an unknown type.
    std::string description() const;

private:
    std::weak_ptr<AudioCue> _cue;
    std::weak_ptr<AudioCue> _otherCue;
    int _concernType;
};

#pragma once

#include "foundation/Scheduler.h"
#include "platform/midi/MidiMessage.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>

class QKeyEvent;
class WorkspaceController;
struct KivKeyEvent;

// Where a workspace window's keys and MIDI go: the workspace's own keys
// (pause, resume, duck) and Escape, then the selected cart's hot keys on
// press and on release, Ctrl+digit for a tab, Delete and the arrows; a MIDI
// batch on the settings' channel to the inspector's learn, else to every
// cart. GUI thread only: MIDI batches reach it there.
//
// A key held past the keyboard's repeat delay comes from X as a release and
// a press of the same moment, again and again; Qt marks the pair as
// auto-repeated only when the press is already queued as it reads the
// release. So a release of a hot key is carried out a moment later, unless
// a press of the same key and the same time comes first: that pair is the
// key still held, and neither half does anything.
class WorkspaceKeyRouter {
public:
    // How long a hot key's release waits for the press of its repeat.
    static constexpr double kRepeatPairWindow = 0.025;

    explicit WorkspaceKeyRouter(WorkspaceController& controller);
    ~WorkspaceKeyRouter();
    WorkspaceKeyRouter(const WorkspaceKeyRouter&) = delete;
    WorkspaceKeyRouter& operator=(const WorkspaceKeyRouter&) = delete;

    // True when consumed.
    bool keyDown(const QKeyEvent& event);
    bool keyUp(const QKeyEvent& event);
    bool keyDownHotkey(const KivKeyEvent& event);
    // One batch from the application's MIDI input, in one synchronised batch
    // of the device.
    void processMIDIMessages(const MidiBatch& messages);

private:
    struct PendingRelease {
        std::uint16_t keyCode = 0;
        Scheduler::TimerId timer = 0;
    };
    // A press of the key and the moment of the last release: a repeat.
    bool isRepeatedPress(std::uint16_t keyCode, std::uint64_t time);
    // Carries out the release waiting for its repeat's press, if any.
    void releasePending();
    void triggerUp(std::uint16_t keyCode);

    WorkspaceController& _controller;
    // The hot key each physical key (evdev code) fired on its press, for its release.
    std::map<std::uint16_t, std::string> _pressedShortcuts;
    std::optional<PendingRelease> _pendingRelease;
    // The physical key and the X time of the last release seen.
    std::optional<std::pair<std::uint16_t, std::uint64_t>> _lastRelease;
};

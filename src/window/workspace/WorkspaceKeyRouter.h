#pragma once

#include "platform/midi/MidiMessage.h"

#include <cstdint>
#include <map>
#include <string>

class QKeyEvent;
class WorkspaceController;
struct KivKeyEvent;

// Where a workspace window's keys and MIDI go: the workspace's own keys
// (pause, resume, duck) and Escape, then the selected cart's hot keys on
// press and on release, Ctrl+digit for a tab, Delete and the arrows; a MIDI
// batch on the settings' channel to the inspector's learn, else to every
// cart. GUI thread only: MIDI batches reach it there.
class WorkspaceKeyRouter {
public:
    explicit WorkspaceKeyRouter(WorkspaceController& controller);

    // True when consumed.
    bool keyDown(const QKeyEvent& event);
    bool keyUp(const QKeyEvent& event);
    bool keyDownHotkey(const KivKeyEvent& event);
    // One batch from the application's MIDI input, in one synchronised batch
    // of the device.
    void processMIDIMessages(const MidiBatch& messages);

private:
    WorkspaceController& _controller;
    // The hot key each physical key (evdev code) fired on its press, for its release.
    std::map<std::uint16_t, std::string> _pressedShortcuts;
};

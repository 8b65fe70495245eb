#pragma once

#include "KivUI/controls/KivKeyDownQuery.h"
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
// release. So a release of a hot key is carried out once the X server has
// said that the key is up, and not at all when the key is still down or a
// press of the same key and the same time comes first: that pair is the key
// still held, and neither half does anything. Without an X server to ask,
// the release waits a moment for such a press.
class WorkspaceKeyRouter {
public:
    // How long a hot key's release waits for the press of its repeat, when
    // no X server can say whether the key is still down.
    static constexpr double kRepeatPairWindow = 0.025;
    // How often the X server's answer is looked for, and how long at most.
    static constexpr double kAnswerInterval = 0.001;
    static constexpr double kAnswerWait = 0.25;

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
        // Whether the key is still down, asked of the X server.
        std::optional<KivKeyDownQuery> query;
        double deadline = 0.0;
    };
    // A press of the key and the moment of the last release: a repeat.
    bool isRepeatedPress(std::uint16_t keyCode, std::uint64_t time);
    // Carries out the release waiting for its repeat's press, if any.
    void releasePending();
    // Carries out the waiting release once the X server says the key is up,
    // drops it when the key is down.
    void answerPending();
    void triggerUp(std::uint16_t keyCode);

    WorkspaceController& _controller;
    // The hot key each physical key (evdev code) fired on its press, for its release.
    std::map<std::uint16_t, std::string> _pressedShortcuts;
    std::optional<PendingRelease> _pendingRelease;
    // The physical key and the X time of the last release seen.
    std::optional<std::pair<std::uint16_t, std::uint64_t>> _lastRelease;
};

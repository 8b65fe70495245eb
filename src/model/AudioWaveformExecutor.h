#pragma once

#include <functional>

// Where an overview's work runs: its passes on a background thread, the
// pause before a pass and the redraw on the owner's (GUI) thread. The
// program uses a thread pool and the event loop; tests drive it by hand.
class AudioWaveformExecutor {
public:
    virtual ~AudioWaveformExecutor() = default;
    // Any thread.
    virtual void runInBackground(std::function<void()> work) = 0;
    // Any thread: `work` runs on the owner's thread after `seconds`.
    virtual void runOnOwner(double seconds, std::function<void()> work) = 0;
};

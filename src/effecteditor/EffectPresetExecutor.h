#pragma once

#include <functional>

// Where preset files are written and read: off the GUI thread, with the
// result handed back to it. The program uses a thread pool and the event
// loop; tests run both by hand.
class EffectPresetExecutor {
public:
    virtual ~EffectPresetExecutor() = default;
    // Any thread.
    virtual void runInBackground(std::function<void()> work) = 0;
    // Any thread: `work` runs on the GUI thread.
    virtual void runOnOwner(std::function<void()> work) = 0;
};

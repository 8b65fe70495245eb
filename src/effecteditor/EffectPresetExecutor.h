#pragma once

#include <functional>

// Where a preset file is looked for and written: off the main thread, with
// the result handed back to it. The program uses a thread pool and the event
// loop; tests run both by hand.
class EffectPresetExecutor {
public:
    virtual ~EffectPresetExecutor() = default;
    // Any thread.
    virtual void runInBackground(std::function<void()> work) = 0;
    // Any thread: `work` runs on the main thread.
    virtual void runOnOwner(std::function<void()> work) = 0;
};

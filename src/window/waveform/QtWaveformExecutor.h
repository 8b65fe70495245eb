#pragma once

#include "model/AudioWaveformExecutor.h"

// Overview passes on the global thread pool; the owner's work on the GUI
// thread's event loop.
class QtWaveformExecutor final : public AudioWaveformExecutor {
public:
    void runInBackground(std::function<void()> work) override;
    void runOnOwner(double seconds, std::function<void()> work) override;
};

#pragma once

#include "model/AudioWaveform.h"
#include "model/AudioWaveformExecutor.h"
#include "support/ManualWorkQueue.h"

// Runs an overview's work when the test says: background work and owner's
// work wait in one queue, in order, pauses ignored.
class ManualWaveformExecutor final : public AudioWaveformExecutor, public ManualWorkQueue {
public:
    void runInBackground(std::function<void()> work) override { push(std::move(work)); }
    void runOnOwner(double, std::function<void()> work) override { push(std::move(work)); }

    // Queued work holds its overview, which holds this executor: a test
    // that ends with work left drops it, or the two keep each other alive.
    void discardPending() { clear(); }

    // Fills the (manual) buffer and runs the queue until the overview is
    // complete or nothing is left to run; answers the steps taken.
    int computeAll(AudioWaveform& waveform, int mostSteps = 1000000) {
        int steps = 0;
        while (!waveform.isComplete() && steps < mostSteps) {
            while (waveform.buffer().fillOnce() > 0) {
            }
            if (!runOne()) {
                break;
            }
            ++steps;
        }
        return steps;
    }
};

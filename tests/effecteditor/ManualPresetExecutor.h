#pragma once

#include "effecteditor/EffectPresetExecutor.h"
#include "support/ManualWorkQueue.h"

// Runs preset file work when the test says: background work and the work
// handed back wait in one queue, in order.
class ManualPresetExecutor final : public EffectPresetExecutor, public ManualWorkQueue {
public:
    void runInBackground(std::function<void()> work) override { push(std::move(work)); }
    void runOnOwner(std::function<void()> work) override { push(std::move(work)); }
};

#pragma once

#include "effecteditor/EffectPresetExecutor.h"

// Preset file work on the global thread pool; its results through the main
// thread's event loop.
class QtEffectPresetExecutor final : public EffectPresetExecutor {
public:
    void runInBackground(std::function<void()> work) override;
    void runOnOwner(std::function<void()> work) override;
};

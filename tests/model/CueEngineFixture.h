#pragma once

#include "audio/SourceFixture.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/PondraLogger.h"
#include "model/Workspace.h"
#include "model/WorkspaceSettings.h"

#include <memory>
#include <string>
#include <vector>

// Settings of a window that only the panic reads.
class PanicSettings : public WorkspaceSettings {
public:
    double panicDuration() const override { return duration; }
    std::vector<std::string> hotkeys() const override { return {}; }
    nlohmann::json state() const override { return nlohmann::json::object(); }
    void setState(const nlohmann::json&) override {}

    double duration = 2.0;
};

// Audio cues in a cart of a workspace, on an offline device rendered by
// hand, with the main loop's timers and clock under the test's hand.
class CueEngineFixture : public SourceFixture {
protected:
    CueEngineFixture() {
        device->useSteppedFades(clock);
        workspace.addCart(cart);
        workspace.setSettings(&settings);
    }
    ~CueEngineFixture() override {
        workspace.setSettings(nullptr);
        workspace.removeCart(cart);
    }

    // A cue of the file placed at the next free cell of the cart.
    std::shared_ptr<AudioCue> cueOf(const std::string& path) {
        auto cue = AudioCue::initWithFile(path, device);
        EXPECT_TRUE(cue);
        EXPECT_FALSE(cue->isBroken()) << cue->brokenExplanation();
        EXPECT_TRUE(cart->setCue(cue, cart->count()));
        return byHand(cue);
    }
    // The cue's read-ahead and fades run only when the test renders or
    // advances.
    std::shared_ptr<AudioCue> byHand(std::shared_ptr<AudioCue> cue) {
        SourceFixture::byHand(*cue->audioSource());
        _cues.push_back(cue);
        return cue;
    }

    // Each cue's fades take a step (a new one starts now), the main loop's
    // time moves on by `seconds` with its timers firing, and the fades step
    // again.
    void advance(double seconds) {
        stepFades();
        scheduler.advance(seconds);
        stepFades();
    }

    // Frame f of output 0 over the cycles from `first` on, joined.
    std::vector<float> outputFrom(std::size_t first) {
        return output(first, capturedCycles() - first);
    }

    MainRunLoop::ScopedInstall install{scheduler, clock};
    PanicSettings settings;
    Workspace workspace{device, folder.path("cache")};
    std::shared_ptr<Cart> cart = std::make_shared<Cart>();

private:
    std::vector<std::shared_ptr<AudioCue>> _cues;
};

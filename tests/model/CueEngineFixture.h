#pragma once

#include "audio/KivAudioSource.h"
#include "audio/OpenDeviceFixture.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/PondraLogger.h"
#include "model/Workspace.h"
#include "model/WorkspaceSettings.h"
#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>

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
class CueEngineFixture : public OpenDeviceFixture {
protected:
    static constexpr int kRate = 48000;
    // Ramp samples step by this, so every rendered frame tells where in the
    // file it came from (exact in float).
    static constexpr float kStep = 1.0f / 65536.0f;

    CueEngineFixture() {
        device->useSteppedFades(clock);
        workspace.addCart(cart);
        workspace.setSettings(&settings);
    }
    ~CueEngineFixture() override {
        workspace.setSettings(nullptr);
        workspace.removeCart(cart);
    }

    // A mono file whose frame f holds f * kStep.
    std::string rampFile(const std::string& name, double seconds) {
        std::vector<float> samples(static_cast<std::size_t>(seconds * kRate));
        for (std::size_t f = 0; f < samples.size(); ++f) {
            samples[f] = static_cast<float>(f) * kStep;
        }
        return write(name, samples);
    }
    // A mono file of one level throughout.
    std::string levelFile(const std::string& name, float level, double seconds = 1.0) {
        return write(name, std::vector<float>(static_cast<std::size_t>(seconds * kRate), level));
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
    // advances, so every frame is known.
    std::shared_ptr<AudioCue> byHand(std::shared_ptr<AudioCue> cue) {
        cue->audioSource()->useManualBuffers();
        cue->audioSource()->useSteppedFades(clock);
        _byHand.push_back(cue);
        return cue;
    }

    // Renders `cycles` cycles, the read-ahead of every cue tended before
    // each; answers the index of the first of them.
    std::size_t render(std::uint32_t cycles = 1) {
        const std::size_t first = capturedCycles();
        for (std::uint32_t c = 0; c < cycles; ++c) {
            for (const auto& cue : _byHand) {
                cue->audioSource()->tendBuffers();
            }
            OpenDeviceFixture::render();
        }
        return first;
    }

    // Each cue's fades take a step (a new one starts now), the main loop's
    // time moves on by `seconds` with its timers firing, and the fades step
    // again.
    void advance(double seconds) {
        stepFades();
        scheduler.advance(seconds);
        stepFades();
    }
    void stepFades() {
        for (const auto& cue : _byHand) {
            cue->audioSource()->stepFades();
        }
    }

    // Frame f of output 0 over the cycles from `first` on, joined.
    std::vector<float> outputFrom(std::size_t first) const {
        std::vector<float> all;
        for (std::size_t c = first; c < capturedCycles(); ++c) {
            const auto part = cycleOutput(c, 0);
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }

    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall install{scheduler, clock};
    AudioFixtures::TempFolder folder;
    PanicSettings settings;
    Workspace workspace{device, folder.path("cache")};
    std::shared_ptr<Cart> cart = std::make_shared<Cart>();

private:
    std::vector<std::shared_ptr<AudioCue>> _byHand;

    std::string write(const std::string& name, const std::vector<float>& samples) {
        const std::string path = folder.path(name);
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 1, kRate));
        return path;
    }
};

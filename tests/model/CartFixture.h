#pragma once

#include "audio/OpenDeviceFixture.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/PondraLogger.h"
#include "model/Workspace.h"
#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Carts of real audio cues on an offline device, with the main loop's timers
// and clock under the test's hand.
class CartFixture : public OpenDeviceFixture {
protected:
    static constexpr int kRate = 48000;

    // A mono file of `seconds` at a constant `level`, so a mix tells its
    // sources apart.
    std::string writeFile(const std::string& name, float level = 0.25f, double seconds = 1.0) {
        const std::vector<float> samples(static_cast<std::size_t>(seconds * kRate), level);
        const std::string path = folder.path(name);
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 1, kRate));
        return path;
    }

    std::shared_ptr<AudioCue> makeCue(const std::string& file = "cue.wav",
                                      const std::string& hotkey = "",
                                      std::optional<int> note = std::nullopt, float level = 0.25f) {
        auto cue = AudioCue::initWithFile(writeFile(file, level), device);
        EXPECT_TRUE(cue);
        cue->setHotkey(hotkey);
        if (note) {
            cue->setMidiNote(*note);
        }
        return cue;
    }

    std::shared_ptr<Cart> addCart(CartSize size = {4, 4}) {
        auto cart = std::make_shared<Cart>();
        cart->setSize(size);
        workspace.addCart(cart);
        return cart;
    }

    std::vector<std::string> logLines() const { return workspace.logger()->log(); }

    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall install{scheduler, clock};
    AudioFixtures::TempFolder folder;
    Workspace workspace{device, folder.path("cache")};
};

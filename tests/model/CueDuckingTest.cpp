#include "CueEngineFixture.h"
#include "audio/render/KivFadeCurve.h"
#include "foundation/KivKeyedDecoder.h"
#include "foundation/KivKeyedEncoder.h"
#include "foundation/NotificationCenter.h"

#include <cmath>
#include <functional>
#include <string>
#include <utility>

namespace {

// Music on the left output, an announcement that ducks on the right, each
// heard apart. Time moves in the progress timer's 0.1 s ticks, the device
// rendering each tick's sound after it, so the last cycle of a tick shows
// the gain the fades set at its end.
class CueDucking : public CueEngineFixture {
protected:
    static constexpr float kMusic = 0.5f;
    static constexpr float kVoice = 0.25f;
    static constexpr double kTick = AudioCue::kProgressInterval;
    static constexpr std::uint32_t kCyclesPerTick = 75; // 0.1 s at 48 kHz
    // A tick past a duck's 2 s fade, whatever the clock's rounding.
    static constexpr int kFadeTicks = 21;

    CueDucking() {
        music = cueOf(stereoFile("music.wav", kMusic, 0.0f, 20.0));
        voice = cueOf(stereoFile("voice.wav", 0.0f, kVoice, 3.0));
        voice->setDucking(true);
    }

    void tick(int ticks = 1) {
        for (int t = 0; t < ticks; ++t) {
            advance(kTick);
            render(kCyclesPerTick);
        }
    }
    // Ticks until the cue has stopped (at most `limit` of them); answers how many.
    int tickUntilStopped(const AudioCue& cue, int limit) {
        int ticks = 0;
        while (cue.playing() && ticks < limit) {
            tick();
            ++ticks;
        }
        return ticks;
    }

    // The last cycle's level on an output; a cycle that is not steady fails.
    float level(std::uint32_t channel) {
        const auto cycle = cycleOutput(capturedCycles() - 1, channel);
        EXPECT_EQ(cycle.front(), cycle.back()) << "output " << channel << " moves within a cycle";
        return cycle.back();
    }
    // A 10 s cue of a steady mono level in cell 0 of another cart.
    std::shared_ptr<AudioCue> cueIn(Cart& other, const std::string& name, float level) {
        auto cue = byHand(AudioCue::initWithFile(levelFile(name, level, 10.0), device));
        EXPECT_TRUE(other.setCue(cue, 0));
        return cue;
    }
    static float ducked(float level) { return level * AudioCue::kDuckedVolume; }
    static float masterOf(const AudioCue& cue) { return cue.audioSource()->masterVolume(); }

    std::shared_ptr<AudioCue> music;
    std::shared_ptr<AudioCue> voice;
};

TEST_F(CueDucking, AnAnnouncementLowersTheMusicOverTwoSecondsAndItComesBackWhenTheFileEnds) {
    music->triggerDown();
    tick();
    EXPECT_EQ(level(0), kMusic);

    voice->triggerDown();
    EXPECT_TRUE(workspace.areCuesDucked());
    EXPECT_TRUE(music->isDucked());
    EXPECT_FALSE(voice->isDucked());
    for (int t = 1; t <= 20; ++t) {
        tick();
        const float gain =
            computeFade(1.0f, AudioCue::kDuckedVolume, AudioCue::kDuckTime, t * kTick);
        ASSERT_NEAR(level(0), kMusic * gain, 1e-6f) << t * kTick << " s into the duck";
        ASSERT_EQ(level(1), kVoice) << "the announcement keeps its level";
    }
    tick();
    EXPECT_EQ(masterOf(*music), AudioCue::kDuckedVolume);
    EXPECT_NEAR(level(0), ducked(kMusic), 1e-7f);
    EXPECT_LT(20 * std::log10(level(0) / kMusic), -25.0);
    EXPECT_EQ(music->volume(), 1.0f) << "the user's volume stays";

    // The 3 s file ends about a second later; the first tick past it finds
    // the end, and the music comes back from there.
    const int ticks = tickUntilStopped(*voice, 20);
    EXPECT_GE(ticks, 9);
    EXPECT_LE(ticks, 10);
    EXPECT_FALSE(workspace.areCuesDucked());
    EXPECT_FALSE(music->isDucked());
    for (int t = 1; t <= 20; ++t) {
        tick();
        const float gain =
            computeFade(AudioCue::kDuckedVolume, 1.0f, AudioCue::kDuckTime, t * kTick);
        ASSERT_NEAR(level(0), kMusic * gain, 1e-6f) << t * kTick << " s into the return";
        ASSERT_EQ(level(1), 0.0f);
    }
    tick();
    EXPECT_EQ(masterOf(*music), 1.0f);
    EXPECT_EQ(level(0), kMusic);
}

TEST_F(CueDucking, CuesFiredOrPlacedDuringTheDuckStartDuckedInEveryCartButOthersWorkspacesDoNot) {
    auto second = std::make_shared<Cart>();
    workspace.addCart(second);
    voice->triggerDown();
    tick();
    // Fired now: ducked from its first cycle, no fade.
    music->triggerDown();
    tick();
    EXPECT_NEAR(level(0), ducked(kMusic), 1e-7f);

    // Placed after the duck began, in another cart of the workspace.
    auto late = cueIn(*second, "late.wav", 0.125f);
    EXPECT_TRUE(late->isDucked());
    late->triggerDown();
    EXPECT_EQ(masterOf(*late), AudioCue::kDuckedVolume);

    // Another workspace has no announcement playing.
    Workspace elsewhere{device, folder.path("cache")};
    auto remoteCart = std::make_shared<Cart>();
    elsewhere.addCart(remoteCart);
    auto remote = cueIn(*remoteCart, "remote.wav", 0.125f);
    remote->triggerDown();
    EXPECT_FALSE(remote->isDucked());
    EXPECT_EQ(masterOf(*remote), 1.0f);

    voice->stop();
    tick(kFadeTicks);
    EXPECT_EQ(masterOf(*music), 1.0f);
    EXPECT_EQ(masterOf(*late), 1.0f);
    EXPECT_EQ(level(0), kMusic + 0.125f + 0.125f);
}

TEST_F(CueDucking, TheDuckLastsUntilTheLastAnnouncementStops) {
    auto other = cueOf(stereoFile("other.wav", 0.0f, 0.125f, 10.0));
    other->setDucking(true);
    music->triggerDown();
    voice->triggerDown();
    tick(5);
    other->triggerDown();
    EXPECT_FALSE(voice->isDucked());
    EXPECT_FALSE(other->isDucked()) << "announcements do not duck each other";
    tick(15);
    EXPECT_EQ(level(1), kVoice + 0.125f);

    voice->stop();
    EXPECT_TRUE(music->isDucked());
    tick(kFadeTicks);
    EXPECT_EQ(masterOf(*music), AudioCue::kDuckedVolume);
    EXPECT_EQ(level(1), 0.125f);

    other->hardStop();
    EXPECT_FALSE(music->isDucked());
    tick(kFadeTicks);
    EXPECT_EQ(level(0), kMusic);
}

TEST_F(CueDucking, EveryWayAnAnnouncementStopsEndsTheDuck) {
    settings.duration = 0.5;
    auto solo = cueOf(stereoFile("solo.wav", 0.0f, 0.0625f, 10.0));
    solo->setSolo(true);
    const std::vector<std::pair<const char*, std::function<void()>>> endings = {
        {"stop", [&] { voice->stop(); }},
        {"hard stop", [&] { voice->hardStop(); }},
        {"trigger", [&] { voice->triggerDown(); }},
        {"hold released",
         [&] {
             voice->setHold(true);
             voice->triggerUp();
             voice->setHold(false);
         }},
        {"panic", [&] { voice->panic(); }},
        {"stop all", [&] { cart->stopCues(); }},
        {"hard stop all", [&] { cart->hardStopCues(); }},
        {"panic all", [&] { workspace.panic(); }},
        {"solo", [&] { solo->triggerDown(); }},
        {"hard stop notice",
         [&] { NotificationCenter::defaultCenter().post(PondraCueHardStopNotification, nullptr); }},
        {"grid shrunk",
         [&] {
             cart->setSize({1, 1});
         }},
        {"removed", [&] { cart->removeCue(*voice); }},
    };
    for (const auto& [how, end] : endings) {
        music->triggerDown();
        voice->triggerDown();
        ASSERT_TRUE(voice->playing()) << how;
        tick(3);
        ASSERT_TRUE(music->isDucked()) << how;
        end();
        tick(8); // past the panic's fade
        EXPECT_FALSE(voice->playing()) << how;
        EXPECT_FALSE(music->isDucked()) << how;
        EXPECT_FALSE(workspace.areCuesDucked()) << how;
        // Played again at once, it is not ducked.
        music->hardStop();
        solo->hardStop();
        music->triggerDown();
        EXPECT_EQ(masterOf(*music), 1.0f) << how;
        music->hardStop();
        // Back as it was.
        cart->setSize({4, 4});
        if (voice->cart() == nullptr) {
            cart->setCue(voice, 1);
        }
    }
}

TEST_F(CueDucking, APausedAnnouncementHoldsTheDuckSoResumeAllComesBackAsItWas) {
    music->triggerDown();
    voice->triggerDown();
    tick(kFadeTicks);
    cart->pauseCues();
    tick(10);
    EXPECT_EQ(level(0), 0.0f);
    EXPECT_TRUE(music->isDucked()) << "a paused announcement still holds the duck";

    cart->resumeCues();
    tick();
    EXPECT_NEAR(level(0), ducked(kMusic), 1e-7f) << "no burst of music on resume";
    EXPECT_EQ(level(1), kVoice);

    // Paused while the music is still on its way down, resumed later: it
    // goes on at the ducked level.
    voice->stop();
    tick(kFadeTicks);
    voice->triggerDown();
    tick(5);
    music->pause();
    tick(20);
    music->resume();
    tick();
    EXPECT_NEAR(level(0), ducked(kMusic), 1e-7f);
}

TEST_F(CueDucking, TheFlagSetOrClearedWhileTheCuesPlayMovesTheDuck) {
    voice->setDucking(false);
    music->triggerDown();
    voice->triggerDown();
    EXPECT_FALSE(workspace.areCuesDucked());

    voice->setDucking(true);
    EXPECT_TRUE(music->isDucked());
    // Both announcements now: neither is ducked.
    music->setDucking(true);
    EXPECT_FALSE(music->isDucked());
    tick(kFadeTicks);
    EXPECT_EQ(level(0), kMusic);
    EXPECT_EQ(level(1), kVoice);

    // A cue whose flag is cleared while another announcement plays is ducked
    // under it.
    voice->setDucking(false);
    EXPECT_TRUE(voice->isDucked());
    music->setDucking(false);
    EXPECT_FALSE(workspace.areCuesDucked());
    EXPECT_FALSE(voice->isDucked());
    EXPECT_FALSE(music->isDucked());
}

TEST_F(CueDucking, TheUsersVolumeStaysHisThroughTheDuckAndIsWhatASaveStores) {
    music->setVolume(0.5f);
    std::vector<float> heard;
    auto observation = music->volumeChanged().connect(
        [&](const float&, const float& now) { heard.push_back(now); });
    music->triggerDown();
    voice->triggerDown();
    tick(10);
    // A change half-way down ends where the new volume ducks to, on time.
    music->setVolume(0.8f);
    tick(9);
    EXPECT_GT(masterOf(*music), ducked(0.8f));
    tick(2);
    EXPECT_EQ(masterOf(*music), ducked(0.8f));
    KivKeyedEncoder encoder;
    encoder.encodeObject(*music, "cue");
    const auto text = encoder.archivedText();
    ASSERT_TRUE(text);
    const auto decoded = KivKeyedDecoder::decoderForText(*text).decodeObjectForKey<AudioCue>("cue");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->volume(), 0.8f);

    voice->stop();
    tick(kFadeTicks);
    EXPECT_EQ(masterOf(*music), 0.8f);
    EXPECT_EQ(heard, (std::vector<float>{0.8f})) << "ducking never touches the volume";
}

TEST_F(CueDucking, ACartDucksAndUnducksEachCueOnceAndNeverAnAnnouncement) {
    music->triggerDown();
    cart->duckCues();
    cart->duckCues();
    EXPECT_TRUE(music->isDucked());
    EXPECT_FALSE(voice->isDucked());
    tick(kFadeTicks);
    EXPECT_EQ(masterOf(*music), AudioCue::kDuckedVolume);
    cart->unduckCues();
    cart->unduckCues();
    EXPECT_FALSE(music->isDucked());
    tick(kFadeTicks);
    EXPECT_EQ(masterOf(*music), 1.0f);

    // A panic's fade keeps the level it owns; the duck still counts for
    // the cue's next play.
    music->panic();
    music->duck();
    tick(kFadeTicks);
    EXPECT_FALSE(music->playing());
    EXPECT_TRUE(music->isDucked());
    music->play();
    EXPECT_EQ(masterOf(*music), AudioCue::kDuckedVolume);
}

TEST_F(CueDucking, ACartThatLeavesTakesItsAnnouncementsDuckToTheWorkspaceItJoins) {
    auto tab = std::make_shared<Cart>();
    workspace.addCart(tab);
    auto guest = cueIn(*tab, "guest.wav", 0.125f);
    guest->setDucking(true);
    music->triggerDown();
    guest->triggerDown();
    EXPECT_TRUE(music->isDucked());

    // Its tab dragged to another window: it plays on there.
    Workspace elsewhere{device, folder.path("cache")};
    auto remoteCart = std::make_shared<Cart>();
    elsewhere.addCart(remoteCart);
    auto remote = cueIn(*remoteCart, "remote.wav", 0.125f);
    remote->triggerDown();
    elsewhere.addCart(tab);
    EXPECT_TRUE(guest->playing());
    EXPECT_FALSE(workspace.areCuesDucked());
    EXPECT_FALSE(music->isDucked());
    EXPECT_TRUE(elsewhere.areCuesDucked());
    EXPECT_TRUE(remote->isDucked());

    // Closed there, it takes its duck along.
    elsewhere.removeCart(tab);
    EXPECT_FALSE(remote->isDucked());
    guest->stop();
}

} // namespace

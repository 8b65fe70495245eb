#include "audio/device/KivAudioDevice.h"
#include "audio/device/KivAudioHardware.h"
#include "foundation/NotificationCenter.h"
#include "platform/audio/AlsaBackend.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>

namespace {

class DeathWatch : public KivAudioDeviceDelegate {
public:
    void audioDeviceDidDie(KivAudioDevice& device) override {
        std::lock_guard lock(mutex);
        died = true;
        closed = !device.isOpen();
        thread = std::this_thread::get_id();
        changed.notify_all();
    }
    // The bound only keeps a broken stream from hanging the test run.
    bool waitForDeath() {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30), [&] { return died; });
    }
    std::mutex mutex;
    std::condition_variable changed;
    bool died = false;
    bool closed = false;
    std::thread::id thread;
};

} // namespace

// A PCM whose writes fail as a vanished card's do: the render thread notices,
// the backend's monitor thread reports it, and the device dies there.
TEST(KivAudioDeviceOnAlsa, AFailingStreamKillsTheDeviceOnTheNotificationThread) {
    CapturingLogSink log;
    AlsaBackend::Options options;
    options.extraDefinitions =
        "pcm.pondrafull { type file slave.pcm null file \"/dev/full\" format raw }";
    options.extraPcms = {"pondrafull"};
    std::vector<std::unique_ptr<AudioBackend>> backends;
    backends.push_back(std::make_unique<AlsaBackend>(options));
    auto hardware = std::make_shared<KivAudioHardware>(std::move(backends));
    KivAudioHardware::setCurrent(hardware);

    auto device = KivAudioDevice::deviceWithUID("pondrafull");
    ASSERT_TRUE(device);
    auto sameDevice = KivAudioDevice::deviceWithUID("pondrafull");
    DeathWatch watch;
    DeathWatch sameWatch;
    device->setDelegate(&watch);
    sameDevice->setDelegate(&sameWatch);
    ASSERT_TRUE(device->open());

    // Each object hears its death through its own observer, one after the other.
    ASSERT_TRUE(watch.waitForDeath());
    ASSERT_TRUE(sameWatch.waitForDeath());
    EXPECT_TRUE(device->died());
    EXPECT_TRUE(sameDevice->died());
    EXPECT_TRUE(watch.closed);
    EXPECT_FALSE(device->isOpen());
    EXPECT_NE(watch.thread, std::this_thread::get_id());

    device->setDelegate(nullptr);
    sameDevice->setDelegate(nullptr);
    device.reset();
    sameDevice.reset();
    KivAudioHardware::setCurrent(nullptr);
}

// Two objects of one ALSA device are open at once on its one stream.
TEST(KivAudioDeviceOnAlsa, ObjectsOfOneDeviceShareItsStream) {
    AlsaBackend::Options options;
    options.extraDefinitions = "pcm.pondranull { type null }";
    options.extraPcms = {"pondranull"};
    options.monitor = false;
    std::vector<std::unique_ptr<AudioBackend>> backends;
    backends.push_back(std::make_unique<AlsaBackend>(options));
    KivAudioHardware::setCurrent(std::make_shared<KivAudioHardware>(std::move(backends)));

    auto device = KivAudioDevice::deviceWithUID("pondranull");
    auto sameDevice = KivAudioDevice::deviceWithUID("pondranull");
    ASSERT_TRUE(device && sameDevice);
    ASSERT_TRUE(device->open());
    ASSERT_TRUE(sameDevice->open());
    EXPECT_TRUE(device->isOpen());
    EXPECT_EQ(device->streamConfig()->framesPerBuffer, sameDevice->streamConfig()->framesPerBuffer);
    device->close();
    EXPECT_TRUE(sameDevice->isOpen());
    ASSERT_TRUE(device->open());
    device->close();
    sameDevice->close();
    ASSERT_TRUE(sameDevice->open()) << "the last close let the PCM go";
    sameDevice->close();
    device.reset();
    sameDevice.reset();
    KivAudioHardware::setCurrent(nullptr);
}

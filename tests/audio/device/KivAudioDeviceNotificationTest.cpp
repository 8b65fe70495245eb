#include "audio/OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"
#include "foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Recorded {
    std::string name;
    const void* object;
    std::uint32_t id = 0;
    std::uint32_t selector = 0;
    std::uint32_t scope = 0;
    std::uint32_t element = 99;
    std::thread::id thread;
};

// Records every audio notification, with the thread it came on.
class NotificationRecorder {
public:
    NotificationRecorder() {
        _connection = NotificationCenter::defaultCenter().addObserver(
            "", nullptr, [this](const Notification& n) {
                if (n.name.rfind("KivAudio", 0) != 0) {
                    return;
                }
                Recorded r;
                r.name = n.name;
                r.object = n.object;
                if (n.name == KivAudioDevicePropertyDidChangeNotification) {
                    r.id = std::any_cast<std::uint32_t>(n.userInfo.at("AudioObjectID"));
                    r.selector = std::any_cast<std::uint32_t>(n.userInfo.at("PropertySelector"));
                    r.scope = std::any_cast<std::uint32_t>(n.userInfo.at("PropertyScope"));
                    r.element = std::any_cast<std::uint32_t>(n.userInfo.at("PropertyElement"));
                }
                r.thread = std::this_thread::get_id();
                std::lock_guard lock(_mutex);
                _seen.push_back(r);
            });
    }
    std::vector<Recorded> seen() const {
        std::lock_guard lock(_mutex);
        return _seen;
    }
    std::size_t count(const std::string& name) const {
        std::size_t n = 0;
        for (const auto& r : seen()) {
            n += r.name == name;
        }
        return n;
    }
    void clear() {
        std::lock_guard lock(_mutex);
        _seen.clear();
    }

private:
    mutable std::mutex _mutex;
    std::vector<Recorded> _seen;
    Connection _connection;
};

class RecordingDelegate : public KivAudioDeviceDelegate {
public:
    void audioDeviceDidOpen(KivAudioDevice&) override { ++opened; }
    void audioDeviceDidClose(KivAudioDevice&) override { ++closed; }
    void audioDeviceDidDie(KivAudioDevice& device) override {
        ++died;
        closedWhenDied = !device.isOpen();
    }
    void audioDeviceDidOverload(KivAudioDevice&) override { ++overloads; }
    void audioDeviceNominalSampleRateDidChange(KivAudioDevice& device) override {
        rateSeen = device.nominalSampleRate();
    }
    int opened = 0, closed = 0, died = 0, overloads = 0;
    bool closedWhenDied = false;
    double rateSeen = 0.0;
};

class RecordingClassDelegate : public KivAudioHardwareDelegate {
public:
    void audioHardwareDeviceListDidChange() override { ++lists; }
    void audioHardwareDefaultOutputDeviceDidChange() override { ++defaults; }
    int lists = 0, defaults = 0;
};

} // namespace

TEST(KivAudioDeviceNotifications, UnplugMakesEveryObjectOfThatIdDiedAndClosed) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("b")); // the default, which stays
    offline.backend->plug(OfflineHardware::device("a"));
    auto first = KivAudioDevice::deviceWithUID("a");
    auto second = KivAudioDevice::allDevices()[1];
    auto other = KivAudioDevice::deviceWithUID("b");
    RecordingDelegate firstDelegate, otherDelegate;
    first->setDelegate(&firstDelegate);
    other->setDelegate(&otherDelegate);
    ASSERT_TRUE(first->open());
    ASSERT_TRUE(other->open());
    EXPECT_EQ(firstDelegate.opened, 1);
    EXPECT_EQ(offline.backend->openStreamCount(), 2u);

    NotificationRecorder recorder;
    offline.backend->unplug("a");

    EXPECT_TRUE(first->died());
    EXPECT_TRUE(second->died()) << "an object made before the unplugging hears it too";
    EXPECT_FALSE(other->died());
    EXPECT_FALSE(first->isOpen());
    EXPECT_TRUE(other->isOpen());
    EXPECT_EQ(offline.backend->openStreamCount(), 1u);
    EXPECT_EQ(firstDelegate.died, 1);
    EXPECT_EQ(firstDelegate.closed, 1);
    EXPECT_TRUE(firstDelegate.closedWhenDied) << "closed before the delegate hears of the death";
    EXPECT_EQ(otherDelegate.died, 0);

    const auto seen = recorder.seen();
    ASSERT_EQ(seen.size(), 3u) << "one death per object, then one list change";
    EXPECT_EQ(seen[0].name, KivAudioDevicePropertyDidChangeNotification);
    EXPECT_EQ(seen[1].name, KivAudioDevicePropertyDidChangeNotification);
    EXPECT_NE(seen[0].object, seen[1].object);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(seen[i].id, first->deviceID());
        EXPECT_EQ(seen[i].selector, kivFourCharCode("livn"));
        EXPECT_EQ(seen[i].scope, kivFourCharCode("glob"));
        EXPECT_EQ(seen[i].element, 0u);
        EXPECT_EQ(seen[i].thread, std::this_thread::get_id())
            << "posted synchronously on the backend's notification thread";
    }
    EXPECT_EQ(seen[2].name, KivAudioHardwareDeviceListDidChangeNotification);
    EXPECT_EQ(seen[2].object, nullptr);
    other->close();
}

TEST(KivAudioDeviceNotifications, OneListNotificationPerChange) {
    OfflineHardware offline;
    RecordingClassDelegate classDelegate;
    KivAudioDevice::setClassDelegate(&classDelegate);
    NotificationRecorder recorder;

    offline.backend->plug(OfflineHardware::device("a"));
    EXPECT_EQ(recorder.count(KivAudioHardwareDeviceListDidChangeNotification), 1u);
    offline.backend->plug(OfflineHardware::device("b"));
    EXPECT_EQ(recorder.count(KivAudioHardwareDeviceListDidChangeNotification), 2u);
    offline.backend->plug(OfflineHardware::device("b", 8));
    EXPECT_EQ(recorder.count(KivAudioHardwareDeviceListDidChangeNotification), 2u)
        << "new facts about a present device are no list change";
    offline.backend->unplug("b");
    offline.backend->unplug("missing");
    EXPECT_EQ(recorder.count(KivAudioHardwareDeviceListDidChangeNotification), 3u);
    EXPECT_EQ(classDelegate.lists, 3);
    KivAudioDevice::setClassDelegate(nullptr);
}

TEST(KivAudioDeviceNotifications, DefaultOutputChanges) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    offline.backend->plug(OfflineHardware::device("b"));
    RecordingClassDelegate classDelegate;
    KivAudioDevice::setClassDelegate(&classDelegate);
    NotificationRecorder recorder;

    offline.backend->setDefaultOutput("b");
    EXPECT_EQ(KivAudioDevice::defaultOutputDevice()->deviceUID(), "b");
    EXPECT_EQ(recorder.count(KivAudioHardwareDefaultOutputDeviceDidChangeNotification), 1u);
    EXPECT_EQ(recorder.count(KivAudioHardwareDefaultSystemOutputDeviceDidChangeNotification), 1u);
    EXPECT_EQ(recorder.count(KivAudioHardwareDeviceListDidChangeNotification), 0u);

    offline.backend->unplug("b");
    EXPECT_EQ(KivAudioDevice::defaultOutputDevice()->deviceUID(), "a");
    EXPECT_EQ(recorder.count(KivAudioHardwareDefaultOutputDeviceDidChangeNotification), 2u)
        << "losing the default device moves the default";
    EXPECT_EQ(classDelegate.defaults, 2);
    KivAudioDevice::setClassDelegate(nullptr);
}

TEST(KivAudioDeviceNotifications, EachObjectHearsOnlyItsOwnPropertyChanges) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    offline.backend->plug(OfflineHardware::device("b"));
    auto a1 = KivAudioDevice::deviceWithUID("a");
    auto a2 = KivAudioDevice::deviceWithUID("a");
    auto b = KivAudioDevice::deviceWithUID("b");
    RecordingDelegate d1, d2, db;
    a1->setDelegate(&d1);
    a2->setDelegate(&d2);
    b->setDelegate(&db);
    NotificationRecorder recorder;

    offline.backend->overload("a");
    EXPECT_EQ(d1.overloads, 1);
    EXPECT_EQ(d2.overloads, 1);
    EXPECT_EQ(db.overloads, 0);
    const auto seen = recorder.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].object, seen[1].object);
    EXPECT_EQ(seen[0].selector, kivFourCharCode("over"));
    EXPECT_FALSE(a1->died());
}

TEST(KivAudioDeviceNotifications, RateChangeIsReadableWhenTheDelegateHears) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    auto device = KivAudioDevice::deviceWithUID("a");
    RecordingDelegate delegate;
    device->setDelegate(&delegate);
    ASSERT_TRUE(device->open());
    offline.backend->changeSampleRate("a", 96000.0);
    EXPECT_EQ(delegate.rateSeen, 96000.0);
    EXPECT_TRUE(device->isOpen()) << "a rate change does not rebuild the device";
    EXPECT_EQ(device->streamConfig()->sampleRate, 48000.0);
}

TEST(KivAudioDeviceNotifications, DestroyedDevicesHearNothing) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    auto device = KivAudioDevice::deviceWithUID("a");
    device->open();
    device.reset();
    EXPECT_EQ(offline.backend->openStreamCount(), 0u) << "letting a device go closes it";
    NotificationRecorder recorder;
    offline.backend->overload("a");
    EXPECT_TRUE(recorder.seen().empty());
}

TEST(KivAudioDeviceNotifications, OpenDeviceRendersSilenceAtItsOwnFormat) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a", 4));
    auto device = KivAudioDevice::deviceWithUID("a");
    ASSERT_TRUE(device->open());
    const auto config = *device->streamConfig();
    EXPECT_EQ(config.channels, 4u);
    EXPECT_EQ(config.sampleRate, 48000.0);
    EXPECT_EQ(config.framesPerBuffer, 64u);
    EXPECT_FALSE(config.interleaved);
    offline.backend->render(100);
    const auto out = offline.backend->capturedOutput("a");
    ASSERT_EQ(out.size(), 400u);
    for (float sample : out) {
        ASSERT_EQ(sample, 0.0f);
    }
    device->close();
    EXPECT_FALSE(device->isOpen());
}

TEST(KivAudioDeviceNotifications, AnObjectMadeAfterADeathHearsTheNextOne) {
    OfflineHardware offline;
    offline.backend->plug(OfflineHardware::device("a"));
    auto before = KivAudioDevice::deviceWithUID("a");
    RecordingDelegate beforeDelegate;
    before->setDelegate(&beforeDelegate);

    // A stream failure kills the device while the backend still lists it.
    offline.hardware->deviceDied("a");
    EXPECT_TRUE(before->died());
    auto after = KivAudioDevice::deviceWithUID("a");
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->died());
    RecordingDelegate afterDelegate;
    after->setDelegate(&afterDelegate);

    offline.backend->unplug("a");
    EXPECT_TRUE(after->died());
    EXPECT_EQ(afterDelegate.died, 1);
    EXPECT_EQ(beforeDelegate.died, 1) << "the first object hears of its death once";
}

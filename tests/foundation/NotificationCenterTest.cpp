#include "foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

TEST(NotificationCenter, DeliversByNameAndSender) {
    NotificationCenter center;
    int sender = 0;
    int other = 0;
    std::vector<std::string> seen;
    auto byName =
        center.addObserver("PondraCueHardStopNotification", nullptr,
                           [&](const Notification& n) { seen.push_back("name:" + n.name); });
    auto bySender = center.addObserver(
        "", &sender, [&](const Notification& n) { seen.push_back("sender:" + n.name); });
    center.post("PondraCueHardStopNotification", &other);
    center.post("PondraLogUpdatedNotification", &sender);
    center.post("PondraLogUpdatedNotification", &other);
    EXPECT_EQ(seen, (std::vector<std::string>{"name:PondraCueHardStopNotification",
                                              "sender:PondraLogUpdatedNotification"}));
}

TEST(NotificationCenter, CarriesUserInfo) {
    NotificationCenter center;
    int deviceId = 0;
    auto c = center.addObserver(
        "KivAudioDevicePropertyDidChangeNotification", nullptr,
        [&](const Notification& n) { deviceId = std::any_cast<int>(n.userInfo.at("deviceID")); });
    center.post("KivAudioDevicePropertyDidChangeNotification", nullptr, {{"deviceID", 7}});
    EXPECT_EQ(deviceId, 7);
}

TEST(NotificationCenter, ObserversMayEndThemselvesAndOthersDuringAPost) {
    NotificationCenter center;
    int firstCalls = 0;
    int secondCalls = 0;
    Connection first;
    Connection second;
    first = center.addObserver("n", nullptr, [&](const Notification&) {
        ++firstCalls;
        first.disconnect();
        second.disconnect();
    });
    second = center.addObserver("n", nullptr, [&](const Notification&) { ++secondCalls; });
    center.post("n");
    center.post("n");
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0) << "ended before its turn in the same post";
}

TEST(NotificationCenter, ConnectionEndsObservationWhenDestroyed) {
    NotificationCenter center;
    int calls = 0;
    {
        auto c = center.addObserver("n", nullptr, [&](const Notification&) { ++calls; });
        center.post("n");
    }
    center.post("n");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, ConnectionMayOutliveTheCenter) {
    Connection c;
    {
        NotificationCenter center;
        c = center.addObserver("n", nullptr, [](const Notification&) {});
    }
    c.disconnect();
    EXPECT_FALSE(c.connected());
}

TEST(NotificationCenter, DisconnectWaitsForACallInProgressOnAnotherThread) {
    NotificationCenter center;
    std::atomic<bool> inside{false};
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    auto c = center.addObserver("n", nullptr, [&](const Notification&) {
        inside = true;
        while (!release) {
            std::this_thread::yield();
        }
        finished = true;
    });
    std::thread poster([&] { center.post("n"); });
    while (!inside) {
        std::this_thread::yield();
    }
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release = true;
    });
    c.disconnect();
    EXPECT_TRUE(finished) << "disconnect returned while the observer still ran";
    poster.join();
    releaser.join();
}

TEST(ChangeSignal, CarriesOldAndNewValues) {
    ChangeSignal<double> volume;
    std::optional<std::pair<double, double>> change;
    auto c = volume.connect([&](const double& oldValue, const double& newValue) {
        change = {oldValue, newValue};
    });
    volume.emit(1.0, 0.5);
    ASSERT_TRUE(change);
    EXPECT_EQ(change->first, 1.0);
    EXPECT_EQ(change->second, 0.5);
    EXPECT_EQ(volume.observerCount(), 1u);
    c.disconnect();
    EXPECT_EQ(volume.observerCount(), 0u);
}

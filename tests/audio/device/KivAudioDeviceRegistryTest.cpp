#include "audio/device/KivAudioDeviceRegistry.h"

#include <gtest/gtest.h>

TEST(KivAudioDeviceRegistry, KeepsIdsWhilePresentAndNeverReusesThem) {
    KivAudioDeviceRegistry registry;
    auto first = registry.update({"a", "b"});
    ASSERT_EQ(first.added.size(), 2u);
    const AudioObjectID a = registry.idForUID("a");
    const AudioObjectID b = registry.idForUID("b");
    EXPECT_NE(a, kAudioObjectUnknown);
    EXPECT_NE(a, b);

    auto same = registry.update({"b", "a"});
    EXPECT_TRUE(same.added.empty());
    EXPECT_TRUE(same.removed.empty());
    EXPECT_EQ(registry.idForUID("a"), a);

    auto gone = registry.update({"b"});
    ASSERT_EQ(gone.removed.size(), 1u);
    EXPECT_EQ(gone.removed[0], a);
    EXPECT_FALSE(registry.isPresent(a));
    EXPECT_EQ(registry.uidForID(a), "");

    registry.update({"b", "a"});
    EXPECT_NE(registry.idForUID("a"), a) << "a device that comes back gets a new id";

    KivAudioDeviceRegistry another;
    another.update({"a"});
    EXPECT_NE(another.idForUID("a"), a) << "ids are unique across the process";
    EXPECT_NE(another.idForUID("a"), registry.idForUID("a"));
}

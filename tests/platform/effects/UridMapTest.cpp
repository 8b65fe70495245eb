#include "platform/effects/UridMap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

TEST(UridMap, MapsEachUriToOneIdAndBack) {
    UridMap urids;
    const std::uint32_t a = urids.map("http://pondra.invalid/a");
    const std::uint32_t b = urids.map("http://pondra.invalid/b");
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(urids.map("http://pondra.invalid/a"), a);
    EXPECT_STREQ(urids.unmap(b), "http://pondra.invalid/b");
}

TEST(UridMap, EmptyAndUnknownIdsGiveNothing) {
    UridMap urids;
    EXPECT_EQ(urids.map(""), 0u);
    EXPECT_EQ(urids.unmap(0), nullptr);
    EXPECT_EQ(urids.unmap(7), nullptr);
}

TEST(UridMap, FeatureCallbacksReachTheMap) {
    UridMap urids;
    LV2_URID_Map* map = urids.mapFeatureData();
    LV2_URID_Unmap* unmap = urids.unmapFeatureData();
    const LV2_URID id = map->map(map->handle, "http://pondra.invalid/c");
    EXPECT_EQ(id, urids.map("http://pondra.invalid/c"));
    EXPECT_STREQ(unmap->unmap(unmap->handle, id), "http://pondra.invalid/c");
}

TEST(UridMap, ThreadsMappingTheSameUrisAgree) {
    UridMap urids;
    std::vector<std::vector<std::uint32_t>> seen(4);
    std::vector<std::thread> threads;
    for (auto& ids : seen) {
        threads.emplace_back([&urids, &ids] {
            for (int i = 0; i < 200; ++i) {
                ids.push_back(urids.map("http://pondra.invalid/" + std::to_string(i)));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& ids : seen) {
        EXPECT_EQ(ids, seen[0]);
    }
    // The text of an id stays where it was while the map grows.
    const char* first = urids.unmap(seen[0][0]);
    for (int i = 200; i < 1200; ++i) {
        urids.map("http://pondra.invalid/" + std::to_string(i));
    }
    EXPECT_EQ(urids.unmap(seen[0][0]), first);
    EXPECT_STREQ(first, "http://pondra.invalid/0");
}

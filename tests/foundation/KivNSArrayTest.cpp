#include "foundation/KivNSArray.h"

#include <gtest/gtest.h>

#include <string>

using Letters = std::vector<std::string>;

struct MoveCase {
    std::size_t from;
    std::size_t to;
    Letters expected;
};

class MoveObjectAt : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveObjectAt, LandsWithInsertBeforeSemantics) {
    Letters letters{"A", "B", "C", "D"};
    KivNSArray::moveObjectAt(letters, GetParam().from, GetParam().to);
    EXPECT_EQ(letters, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MoveObjectAt,
    ::testing::Values(MoveCase{0, 2, {"B", "A", "C", "D"}}, MoveCase{3, 1, {"A", "D", "B", "C"}},
                      MoveCase{1, 4, {"A", "C", "D", "B"}}, MoveCase{5, 0, {"A", "B", "C", "D"}},
                      MoveCase{2, 2, {"A", "B", "C", "D"}}, MoveCase{0, 1, {"A", "B", "C", "D"}},
                      MoveCase{3, 0, {"D", "A", "B", "C"}}, MoveCase{0, 99, {"B", "C", "D", "A"}},
                      MoveCase{3, 4, {"A", "B", "C", "D"}}));

TEST(KivNSArray, IdentityIsNotEquality) {
    auto first = std::make_shared<std::string>("A");
    auto twin = std::make_shared<std::string>("A");
    auto second = std::make_shared<std::string>("B");
    std::vector<std::shared_ptr<std::string>> array{first, second};
    EXPECT_TRUE(KivNSArray::containsObjectIdenticalTo(array, first.get()));
    EXPECT_FALSE(KivNSArray::containsObjectIdenticalTo(array, twin.get()));

    KivNSArray::moveObjectIdenticalTo(array, twin.get(), 0);
    EXPECT_EQ(array[0], first);
    KivNSArray::moveObjectIdenticalTo(array, second.get(), 0);
    EXPECT_EQ(array[0], second);
}

TEST(KivNSArray, MoveObjectFindsTheFirstEqualElement) {
    Letters letters{"A", "B", "A", "C"};
    KivNSArray::moveObject(letters, std::string("A"), 4);
    EXPECT_EQ(letters, (Letters{"B", "A", "C", "A"}));
    KivNSArray::moveObject(letters, std::string("Z"), 0);
    EXPECT_EQ(letters, (Letters{"B", "A", "C", "A"}));
}

TEST(KivNSArray, CopiesAndReverses) {
    Letters letters{"A"};
    KivNSArray::addObjectsFromArray(letters, Letters{"x", "y", "z"}, 1);
    EXPECT_EQ(letters, (Letters{"A", "y", "z"}));
    KivNSArray::addObjectsFromArray(letters, Letters{"x"}, 5);
    EXPECT_EQ(letters.size(), 3u);

    KivNSArray::insertObjectsFromArray(letters, Letters{"1", "2"}, 1);
    EXPECT_EQ(letters, (Letters{"A", "1", "2", "y", "z"}));
    KivNSArray::insertObjectsFromArray(letters, Letters{"end"}, 50);
    EXPECT_EQ(letters.back(), "end");

    EXPECT_EQ(KivNSArray::arrayWithReverseArray(Letters{"a", "b", "c"}), (Letters{"c", "b", "a"}));
}

#include "model/CueTriggerBindings.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using HotkeyChange = std::pair<std::string, std::string>;

TEST(CueTriggerBindings, HotkeyObserversHearOnlyOfANewKey) {
    CueTriggerBindings bindings;
    std::vector<HotkeyChange> heard;
    auto observation = bindings.hotkeyChanged().connect(
        [&](const std::string& old, const std::string& now) { heard.emplace_back(old, now); });
    bindings.setHotkey("q");
    bindings.setHotkey(" q");
    bindings.setHotkey("Q");
    bindings.setHotkey("quit");
    bindings.setHotkey("");
    EXPECT_EQ(heard, (std::vector<HotkeyChange>{{"", "Q"}, {"Q", ""}}));
}

} // namespace

#pragma once

#include "tabbar/TavTabBarControl.h"

#include <QPointer>

#include <algorithm>
#include <vector>

// Tab bars held through guarded pointers, so that a bar closed mid-drag
// only ever leaves a null behind. GUI thread.
namespace TavTabBarList {

using Bars = std::vector<QPointer<TavTabBarControl>>;

// Takes the bar out, and every bar gone.
inline void forget(Bars& bars, const TavTabBarControl* bar) {
    std::erase_if(bars, [bar](const auto& each) { return each.isNull() || each == bar; });
}

inline bool contains(const Bars& bars, const TavTabBarControl* bar) {
    return std::any_of(bars.begin(), bars.end(), [bar](const auto& each) { return each == bar; });
}

} // namespace TavTabBarList

#include "tabbar/TavTabBarCells.h"

#include "tabbar/TavTabBarCell.h"

#include <algorithm>

TavTabBarCells::TavTabBarCells() = default;

TavTabBarCells::~TavTabBarCells() = default;

void TavTabBarCells::append(std::unique_ptr<TavTabBarCell> cell) {
    _cells.push_back(std::move(cell));
}

void TavTabBarCells::insert(int index, std::unique_ptr<TavTabBarCell> cell) {
    index = std::clamp(index, 0, static_cast<int>(_cells.size()));
    _cells.insert(_cells.begin() + index, std::move(cell));
}

std::unique_ptr<TavTabBarCell> TavTabBarCells::take(TavTabBarCell& cell) {
    const int index = indexOf(&cell);
    if (index < 0) {
        return nullptr;
    }
    auto taken = std::move(_cells[static_cast<size_t>(index)]);
    _cells.erase(_cells.begin() + index);
    return taken;
}

void TavTabBarCells::moveToFront(TavTabBarCell& cell) {
    const auto found = std::find_if(_cells.begin(), _cells.end(),
                                    [&cell](const auto& each) { return each.get() == &cell; });
    std::rotate(_cells.begin(), found, std::next(found));
}

void TavTabBarCells::clear() {
    _cells.clear();
}

int TavTabBarCells::indexOf(const TavTabBarCell* cell) const {
    for (size_t i = 0; i < _cells.size(); ++i) {
        if (_cells[i].get() == cell) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<KivTabViewItem*> TavTabBarCells::representedTabViewItems() const {
    std::vector<KivTabViewItem*> items;
    for (const auto& cell : _cells) {
        if (cell->representedObject()) {
            items.push_back(cell->representedObject());
        }
    }
    return items;
}

TavTabBarCell* TavTabBarCells::cellAt(const QPointF& point) const {
    const auto found = std::find_if(_cells.begin(), _cells.end(), [&point](const auto& cell) {
        return cell->frame().contains(point);
    });
    return found == _cells.end() ? nullptr : found->get();
}

TavTabBarCell* TavTabBarCells::cellForItem(const KivTabViewItem* item) const {
    if (!item) {
        return nullptr;
    }
    const auto found = std::find_if(_cells.begin(), _cells.end(), [item](const auto& cell) {
        return cell->representedObject() == item;
    });
    return found == _cells.end() ? nullptr : found->get();
}

TavTabBarCell* TavTabBarCells::lastVisibleTab() const {
    const auto overflow = std::find_if(_cells.begin(), _cells.end(),
                                       [](const auto& cell) { return cell->isInOverflowMenu(); });
    if (overflow == _cells.begin()) {
        return nullptr;
    }
    return std::prev(overflow)->get();
}

int TavTabBarCells::numberOfVisibleTabs() const {
    int count = 0;
    for (const auto& cell : _cells) {
        if (cell->isInOverflowMenu()) {
            break;
        }
        if (!cell->isPlaceholder()) {
            ++count;
        }
    }
    return count;
}

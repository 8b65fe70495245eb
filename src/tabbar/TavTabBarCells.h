#pragma once

#include <QPointF>

#include <memory>
#include <vector>

class KivTabViewItem;
class TavTabBarCell;

// The bar's row of cells in their order: tabs, and while a tab is dragged the
// placeholders and the dragged cell. Owns the cells; GUI thread only.
class TavTabBarCells final {
public:
    using List = std::vector<std::unique_ptr<TavTabBarCell>>;

    TavTabBarCells();
    ~TavTabBarCells();
    TavTabBarCells(const TavTabBarCells&) = delete;
    TavTabBarCells& operator=(const TavTabBarCells&) = delete;

    const List& all() const { return _cells; }
    std::size_t size() const { return _cells.size(); }
    bool empty() const { return _cells.empty(); }
    TavTabBarCell& back() const { return *_cells.back(); }

    void append(std::unique_ptr<TavTabBarCell> cell);
    // Clamped to the row.
    void insert(int index, std::unique_ptr<TavTabBarCell> cell);
    // Null when the cell is not in the row.
    std::unique_ptr<TavTabBarCell> take(TavTabBarCell& cell);
    void moveToFront(TavTabBarCell& cell);
    void clear();

    int indexOf(const TavTabBarCell* cell) const;
    std::vector<KivTabViewItem*> representedTabViewItems() const;
    // The first cell whose frame holds the point.
    TavTabBarCell* cellAt(const QPointF& point) const;
    TavTabBarCell* cellForItem(const KivTabViewItem* item) const;
    // The cell before the first overflowing one, else the last; null when
    // there are no cells or the first overflows.
    TavTabBarCell* lastVisibleTab() const;
    // Tabs before the first overflowing one, placeholders not counted.
    int numberOfVisibleTabs() const;

private:
    List _cells;
};

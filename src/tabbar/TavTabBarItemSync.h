#pragma once

class KivTabView;
class KivTabViewItem;
class TavTabBarCells;
class TavTabBarControl;

// Keeps the bar's row of cells in step with its tab view: one cell for each
// item, in the item's order, with its label and count, and the selected
// item's cell selected. Owned by its bar; GUI thread only.
class TavTabBarItemSync final {
public:
    TavTabBarItemSync(TavTabBarControl& bar, TavTabBarCells& cells)
        : _bar(bar)
        , _cells(cells) {}

    void addItem(KivTabViewItem& item);
    void addMissingItems(KivTabView& tabView);
    void itemSelected(KivTabView& tabView, KivTabViewItem* item);
    // Cells of items gone are removed, items new get cells.
    void numberOfItemsChanged(KivTabView& tabView);
    void labelChanged(KivTabViewItem& item);
    void countChanged(KivTabViewItem& item);

private:
    TavTabBarControl& _bar;
    TavTabBarCells& _cells;
};

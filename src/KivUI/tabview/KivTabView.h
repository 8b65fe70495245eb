#pragma once

#include <QWidget>

#include <memory>
#include <vector>

class KivTabViewDelegate;
class KivTabViewItem;
class QStackedLayout;

// Pages shown one at a time, without tabs of its own: a tab bar fronts it
// through the delegate. The tab view owns its items; their views are shown
// in a stack. GUI thread only.
class KivTabView final : public QWidget {
public:
    explicit KivTabView(QWidget* parent = nullptr);
    ~KivTabView() override;

    void setDelegate(KivTabViewDelegate* delegate) { _delegate = delegate; }
    KivTabViewDelegate* delegate() const { return _delegate; }

    // Appends the item and takes its view into the stack; the first item is
    // selected at once.
    KivTabViewItem& addTabViewItem(std::unique_ptr<KivTabViewItem> item);
    // Takes the item out and hands its view back (out of the stack, without
    // a parent). Removing the selected item selects the one that takes its
    // place, else the one before it, else none.
    std::unique_ptr<QWidget> removeTabViewItem(KivTabViewItem& item);
    // Moves an item to another index, keeping the selection.
    void moveTabViewItem(KivTabViewItem& item, int index);

    int numberOfTabViewItems() const { return static_cast<int>(_items.size()); }
    // Null outside 0 ..< count.
    KivTabViewItem* tabViewItemAtIndex(int index) const;
    // -1 when the item is not here.
    int indexOfTabViewItem(const KivTabViewItem* item) const;
    // Null without items.
    KivTabViewItem* selectedTabViewItem() const { return _selected; }
    // Asks the delegate first; selecting the selected item does nothing.
    void selectTabViewItem(KivTabViewItem& item);
    void selectTabViewItemAtIndex(int index);

    // From an item whose label, or count, changed.
    void itemLabelDidChange(KivTabViewItem& item);
    void itemCountDidChange(KivTabViewItem& item);

private:
    void show(KivTabViewItem* item);

    QStackedLayout* _stack;
    std::vector<std::unique_ptr<KivTabViewItem>> _items;
    KivTabViewItem* _selected = nullptr;
    KivTabViewDelegate* _delegate = nullptr;
};

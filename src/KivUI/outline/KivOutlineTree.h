#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

#include <unordered_map>
#include <vector>

class KivOutlineView;

// The outline's entries as its data source gives them: the whole tree, the
// rows under expanded ancestors, and each item's entry by identity. The data
// source is the view's and is told the view. GUI thread only.
class KivOutlineTree {
public:
    using Entry = KivOutlineViewEntry::Ptr;

    explicit KivOutlineTree(KivOutlineView& view);
    ~KivOutlineTree();
    KivOutlineTree(const KivOutlineTree&) = delete;
    KivOutlineTree& operator=(const KivOutlineTree&) = delete;

    // Asks the data source for every item again; with saveExpandedState an
    // item seen before keeps its expansion, otherwise the source is asked.
    void build(bool saveExpandedState);
    // Numbers the entries under expanded ancestors; the others get -1.
    void buildRows();

    const std::vector<Entry>& roots() const { return _dataModel; }
    const std::vector<Entry>& rows() const { return _rowModel; }
    int numberOfRows() const { return static_cast<int>(_rowModel.size()); }
    Entry entryForIndex(int index) const;
    Entry entryForItem(KivOutlineItem item) const;
    // Null while the item is hidden under a collapsed ancestor.
    Entry entryForVisibleItem(KivOutlineItem item) const;

    // The data source hears of each entry whose state changes. Leaves are
    // skipped when the children follow: they have nothing to show or hide.
    void expandEntry(const Entry& entry, bool expandChildren);
    void collapseEntry(const Entry& entry, bool collapseChildren);
    void expandAncestors(const KivOutlineViewEntry& entry);
    // Whether entry is what one reaches from ancestor by stepping to the
    // last child while the entries are expanded.
    bool entryIsLastChildOfAncestor(const KivOutlineViewEntry* entry,
                                    const KivOutlineViewEntry* ancestor) const;

private:
    std::vector<Entry> buildChildren(KivOutlineItem item,
                                     const std::vector<KivOutlineViewEntry*>& ancestors,
                                     bool saveExpandedState);
    void release();
    void tellExpanded(const KivOutlineViewEntry& entry);

    KivOutlineView& _view;
    std::vector<Entry> _dataModel;
    std::vector<Entry> _rowModel;
    // Item identity to entry; the old map serves one build.
    std::unordered_map<KivOutlineItem, Entry> _itemToEntry;
    std::unordered_map<KivOutlineItem, Entry> _oldItemToEntry;
};

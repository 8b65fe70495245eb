#pragma once

#include <memory>
#include <vector>

// A data source's item, known to the outline only by its address.
using KivOutlineItem = const void*;

// One node of the outline's tree: a data source's item with its row, its
// selection and expansion, and where it sits among its ancestors. GUI thread.
class KivOutlineViewEntry {
public:
    using Ptr = std::shared_ptr<KivOutlineViewEntry>;

    KivOutlineViewEntry(KivOutlineItem item, std::vector<KivOutlineViewEntry*> parents,
                        int indexInParent, bool lastChildOfParent);

    // Row in the row model; -1 while an ancestor is collapsed.
    int index() const { return _index; }
    void setIndex(int index) { _index = index; }
    KivOutlineItem item() const { return _item; }
    bool selected() const { return _selected; }
    void setSelected(bool selected) { _selected = selected; }
    bool expanded() const { return _expanded; }
    void setExpanded(bool expanded) { _expanded = expanded; }
    // The ancestors from the top level down; empty at the top level.
    const std::vector<KivOutlineViewEntry*>& parents() const { return _parents; }
    KivOutlineViewEntry* parent() const { return _parents.empty() ? nullptr : _parents.back(); }
    int indexInParent() const { return _indexInParent; }
    bool lastChildOfParent() const { return _lastChildOfParent; }
    // Null when the item is not expandable.
    const std::vector<Ptr>* children() const { return _children.get(); }
    void setChildren(std::unique_ptr<std::vector<Ptr>> children) {
        _children = std::move(children);
    }

    // Drops the links to the ancestors here and below, so an entry kept past
    // a reload never points into a released tree.
    void cutParentLinks();

    // Same row and same item.
    bool operator==(const KivOutlineViewEntry& other) const {
        return _index == other._index && _item == other._item;
    }

private:
    int _index = -1;
    KivOutlineItem _item;
    bool _selected = false;
    bool _expanded = false;
    std::vector<KivOutlineViewEntry*> _parents;
    int _indexInParent;
    bool _lastChildOfParent;
    std::unique_ptr<std::vector<Ptr>> _children;
};

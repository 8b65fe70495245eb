#include "KivUI/outline/KivOutlineViewEntry.h"

KivOutlineViewEntry::KivOutlineViewEntry(KivOutlineItem item,
                                         std::vector<KivOutlineViewEntry*> parents,
                                         int indexInParent, bool lastChildOfParent)
    : _item(item)
    , _parents(std::move(parents))
    , _indexInParent(indexInParent)
    , _lastChildOfParent(lastChildOfParent) {}

void KivOutlineViewEntry::cutParentLinks() {
    _parents.clear();
    if (_children) {
        for (const Ptr& child : *_children) {
            child->cutParentLinks();
        }
    }
}

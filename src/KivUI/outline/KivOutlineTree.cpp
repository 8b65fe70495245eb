#include "KivUI/outline/KivOutlineTree.h"

#include "KivUI/outline/KivOutlineView.h"

#include <functional>

KivOutlineTree::KivOutlineTree(KivOutlineView& view)
    : _view(view) {}

KivOutlineTree::~KivOutlineTree() {
    _rowModel.clear();
    release();
}

void KivOutlineTree::release() {
    for (const Entry& entry : _dataModel) {
        entry->cutParentLinks();
    }
    _dataModel.clear();
}

void KivOutlineTree::build(bool saveExpandedState) {
    if (saveExpandedState) {
        _oldItemToEntry = std::move(_itemToEntry);
    }
    release();
    _itemToEntry.clear();
    std::vector<Entry> model = buildChildren(nullptr, {}, saveExpandedState);
    _dataModel = std::move(model);
    _oldItemToEntry.clear();
}

std::vector<KivOutlineTree::Entry>
KivOutlineTree::buildChildren(KivOutlineItem item,
                              const std::vector<KivOutlineViewEntry*>& ancestors,
                              bool saveExpandedState) {
    std::vector<Entry> entries;
    KivOutlineViewProtocol* source = _view.dataSource();
    if (!source) {
        return entries;
    }
    const int n = source->numberOfChildrenOfItem(_view, item);
    for (int i = 0; i < n; ++i) {
        KivOutlineItem childItem = source->child(_view, i, item);
        auto entry = std::make_shared<KivOutlineViewEntry>(childItem, ancestors, i, i == n - 1);
        const auto old = _oldItemToEntry.find(childItem);
        if (saveExpandedState && old != _oldItemToEntry.end()) {
            entry->setExpanded(old->second->expanded());
        } else {
            entry->setExpanded(source->isItemExpanded(_view, childItem).value_or(false));
        }
        if (source->isItemExpandable(_view, childItem)) {
            std::vector<KivOutlineViewEntry*> lineage = ancestors;
            lineage.push_back(entry.get());
            entry->setChildren(std::make_unique<std::vector<Entry>>(
                buildChildren(childItem, lineage, saveExpandedState)));
        }
        _itemToEntry[childItem] = entry;
        entries.push_back(std::move(entry));
    }
    return entries;
}

void KivOutlineTree::buildRows() {
    std::vector<Entry> rows;
    std::function<void(const std::vector<Entry>&, bool)> walk = [&](const std::vector<Entry>& level,
                                                                    bool visible) {
        for (const Entry& entry : level) {
            if (visible) {
                entry->setIndex(static_cast<int>(rows.size()));
                rows.push_back(entry);
            } else {
                entry->setIndex(-1);
            }
            if (entry->children()) {
                walk(*entry->children(), visible && entry->expanded());
            }
        }
    };
    walk(_dataModel, true);
    _rowModel = std::move(rows);
}

KivOutlineTree::Entry KivOutlineTree::entryForIndex(int index) const {
    if (index < 0 || index >= numberOfRows()) {
        return nullptr;
    }
    return _rowModel[static_cast<std::size_t>(index)];
}

KivOutlineTree::Entry KivOutlineTree::entryForItem(KivOutlineItem item) const {
    const auto found = _itemToEntry.find(item);
    return found == _itemToEntry.end() ? nullptr : found->second;
}

KivOutlineTree::Entry KivOutlineTree::entryForVisibleItem(KivOutlineItem item) const {
    Entry entry = entryForItem(item);
    return entry && entry->index() != -1 ? entry : nullptr;
}

void KivOutlineTree::tellExpanded(const KivOutlineViewEntry& entry) {
    if (KivOutlineViewProtocol* source = _view.dataSource()) {
        source->itemDidExpand(_view, entry.item());
    }
}

void KivOutlineTree::expandEntry(const Entry& entry, bool expandChildren) {
    if (!entry->expanded()) {
        entry->setExpanded(true);
        tellExpanded(*entry);
    }
    if (expandChildren && entry->children()) {
        for (const Entry& child : *entry->children()) {
            if (child->children()) {
                expandEntry(child, true);
            }
        }
    }
}

void KivOutlineTree::collapseEntry(const Entry& entry, bool collapseChildren) {
    if (entry->expanded()) {
        entry->setExpanded(false);
        if (KivOutlineViewProtocol* source = _view.dataSource()) {
            source->itemDidCollapse(_view, entry->item());
        }
    }
    if (collapseChildren && entry->children()) {
        for (const Entry& child : *entry->children()) {
            if (child->children()) {
                collapseEntry(child, true);
            }
        }
    }
}

void KivOutlineTree::expandAncestors(const KivOutlineViewEntry& entry) {
    for (KivOutlineViewEntry* ancestor : entry.parents()) {
        if (!ancestor->expanded()) {
            ancestor->setExpanded(true);
            tellExpanded(*ancestor);
        }
    }
}

bool KivOutlineTree::entryIsLastChildOfAncestor(const KivOutlineViewEntry* entry,
                                                const KivOutlineViewEntry* ancestor) const {
    if (!entry || !ancestor || entry->parents().empty()) {
        return false;
    }
    const KivOutlineViewEntry* reached = ancestor;
    while (reached->expanded() && reached->children() && !reached->children()->empty()) {
        reached = reached->children()->back().get();
    }
    return reached == entry;
}

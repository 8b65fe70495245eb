#include "KivUI/outline/KivOutlineView.h"
#include "foundation/NotificationCenter.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cassert>

KivOutlineItem KivOutlineView::selectedItem() const {
    return _lastSelectedEntry ? _lastSelectedEntry->item() : nullptr;
}

std::vector<KivOutlineItem> KivOutlineView::allSelectedItems() const {
    std::vector<Entry> entries = _selectedEntries;
    // Hidden entries share the index -1, so the order needs a strict
    // comparison and a stable sort to keep them in the order they were picked.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a->index() < b->index(); });
    std::vector<KivOutlineItem> items;
    items.reserve(entries.size());
    for (const Entry& entry : entries) {
        assert(entry->item() && "Entry didn't have an item.");
        items.push_back(entry->item());
    }
    return items;
}

bool KivOutlineView::itemIsSelected(KivOutlineItem item) const {
    const Entry entry = entryForItem(item);
    return entry && entry->selected();
}

void KivOutlineView::selectItem(KivOutlineItem item, bool extendSelection) {
    if (!item) {
        selectEntries({}, false, false);
        return;
    }
    selectItems(std::vector<KivOutlineItem>{item}, extendSelection);
}

void KivOutlineView::selectItems(const std::vector<KivOutlineItem>& items, bool extendSelection) {
    std::vector<Entry> entries;
    for (KivOutlineItem item : items) {
        if (Entry entry = entryForVisibleItem(item)) {
            entries.push_back(std::move(entry));
        }
    }
    // Items hidden or not in the tree drop out; when none is left, nothing
    // stays selected.
    selectEntries(entries, extendSelection, false);
}

void KivOutlineView::selectAll() {
    selectEntries(_rowModel, true, false);
}

void KivOutlineView::selectPrevious(bool extendSelection) {
    const int row = _lastSelectedEntry ? _lastSelectedEntry->index() - 1 : numberOfRows() - 1;
    if (Entry entry = entryForIndex(row)) {
        scrollEntryToVisible(entry);
        selectEntries({entry}, extendSelection, extendSelection);
    }
}

void KivOutlineView::selectNext(bool extendSelection) {
    const int row = _lastSelectedEntry ? _lastSelectedEntry->index() + 1 : 0;
    if (Entry entry = entryForIndex(row)) {
        scrollEntryToVisible(entry);
        selectEntries({entry}, extendSelection, extendSelection);
    }
}

void KivOutlineView::deselectAll() {
    for (const Entry& entry : _selectedEntries) {
        entry->setSelected(false);
    }
    _selectedEntries.clear();
}

void KivOutlineView::deselectEntry(const Entry& entry) {
    entry->setSelected(false);
    std::erase(_selectedEntries, entry);
    if (_lastSelectedEntry == entry) {
        _lastSelectedEntry = _selectedEntries.empty() ? nullptr : _selectedEntries.back();
    }
    if (_firstSelectedEntryOfGroup == entry) {
        _firstSelectedEntryOfGroup = _lastSelectedEntry;
    }
    update();
}

void KivOutlineView::selectEntries(const std::vector<Entry>& entries, bool extend,
                                   bool extendGroup) {
    const Entry before = _lastSelectedEntry;
    auto select = [this](const Entry& entry) {
        entry->setSelected(true);
        _selectedEntries.push_back(entry);
    };
    if (entries.empty()) {
        deselectAll();
        _lastSelectedEntry = _firstSelectedEntryOfGroup = nullptr;
    } else if (!extend || !_allowsMultipleSelection) {
        deselectAll();
        select(entries.back());
        _lastSelectedEntry = _firstSelectedEntryOfGroup = entries.back();
    } else if (entries == _rowModel) {
        deselectAll();
        for (const Entry& entry : _rowModel) {
            select(entry);
        }
        _lastSelectedEntry = _firstSelectedEntryOfGroup = nullptr;
    } else if (extendGroup) {
        const Entry anchor =
            _firstSelectedEntryOfGroup ? _firstSelectedEntryOfGroup : entries.front();
        deselectAll();
        _firstSelectedEntryOfGroup = anchor;
        _lastSelectedEntry = entries.back();
        const int from = std::min(anchor->index(), _lastSelectedEntry->index());
        const int to = std::max(anchor->index(), _lastSelectedEntry->index());
        for (int row = std::max(from, 0); row <= to; ++row) {
            select(_rowModel[static_cast<std::size_t>(row)]);
        }
    } else {
        Entry added;
        for (const Entry& entry : entries) {
            if (!entry->selected()) {
                select(entry);
                added = entry;
            }
        }
        _lastSelectedEntry = _firstSelectedEntryOfGroup = added;
    }
    const QRect visible = visibleRect();
    const bool anyVisible =
        std::any_of(_selectedEntries.begin(), _selectedEntries.end(), [&](const Entry& entry) {
            return entry->index() >= 0 && rectOfRow(entry->index()).intersects(visible);
        });
    if (!anyVisible && _lastSelectedEntry) {
        scrollEntryToMiddle(_lastSelectedEntry);
    }
    update();
    if (_lastSelectedEntry != before) {
        postSelectionDidChange();
    }
}

void KivOutlineView::postSelectionDidChange() {
    NotificationCenter::defaultCenter().post(kKivOutlineViewSelectionDidChangeNotification, this);
}

void KivOutlineView::scrollItemToVisible(KivOutlineItem item) {
    if (Entry entry = entryForVisibleItem(item)) {
        scrollEntryToVisible(entry);
    }
}

void KivOutlineView::scrollItemToMiddle(KivOutlineItem item) {
    if (Entry entry = entryForVisibleItem(item)) {
        scrollEntryToMiddle(entry);
    }
}

void KivOutlineView::scrollEntryToVisible(const Entry& entry) {
    const QRect row = rectOfRow(entry->index());
    const QRect visible = visibleRect();
    if (row.top() >= visible.top() && row.bottom() <= visible.bottom()) {
        return;
    }
    scrollToY(row.top() < visible.top() ? row.top() : row.bottom() + 1 - visible.height());
}

void KivOutlineView::scrollEntryToMiddle(const Entry& entry) {
    const QRect row = rectOfRow(entry->index());
    scrollToY(row.center().y() - visibleRect().height() / 2);
}

void KivOutlineView::scrollToY(int y) {
    if (QAbstractScrollArea* area = scrollArea()) {
        area->verticalScrollBar()->setValue(y);
    }
}

#include "KivUI/outline/KivOutlineSelection.h"

#include <algorithm>
#include <cassert>

std::vector<KivOutlineItem> KivOutlineSelection::items() const {
    std::vector<Entry> entries = _entries;
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

void KivOutlineSelection::add(const Entry& entry) {
    entry->setSelected(true);
    _entries.push_back(entry);
}

void KivOutlineSelection::select(const std::vector<Entry>& entries, bool extend, bool extendGroup,
                                 const std::vector<Entry>& rows) {
    if (entries.empty()) {
        deselectAll();
        _last = _firstOfGroup = nullptr;
    } else if (!extend || !_allowsMultiple) {
        deselectAll();
        add(entries.back());
        _last = _firstOfGroup = entries.back();
    } else if (entries == rows) {
        deselectAll();
        for (const Entry& entry : rows) {
            add(entry);
        }
        _last = _firstOfGroup = nullptr;
    } else if (extendGroup) {
        const Entry anchor = _firstOfGroup ? _firstOfGroup : entries.front();
        deselectAll();
        _firstOfGroup = anchor;
        _last = entries.back();
        const int from = std::min(anchor->index(), _last->index());
        const int to = std::max(anchor->index(), _last->index());
        for (int row = std::max(from, 0); row <= to; ++row) {
            add(rows[static_cast<std::size_t>(row)]);
        }
    } else {
        Entry added;
        for (const Entry& entry : entries) {
            if (!entry->selected()) {
                add(entry);
                added = entry;
            }
        }
        _last = _firstOfGroup = added;
    }
}

void KivOutlineSelection::deselect(const Entry& entry) {
    entry->setSelected(false);
    std::erase(_entries, entry);
    if (_last == entry) {
        _last = _entries.empty() ? nullptr : _entries.back();
    }
    if (_firstOfGroup == entry) {
        _firstOfGroup = _last;
    }
}

void KivOutlineSelection::deselectAll() {
    for (const Entry& entry : _entries) {
        entry->setSelected(false);
    }
    _entries.clear();
}

void KivOutlineSelection::restore(std::vector<Entry> entries) {
    if (!_allowsMultiple && entries.size() > 1) {
        entries.erase(entries.begin(), entries.end() - 1);
    }
    for (const Entry& entry : entries) {
        add(entry);
    }
    _last = _firstOfGroup = entries.empty() ? nullptr : entries.back();
}

#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

#include <vector>

// Which entries are selected and how a pick changes that: one row, a toggle,
// a range from the anchor, or every row. It marks the entries themselves and
// neither draws nor announces. GUI thread only.
class KivOutlineSelection {
public:
    using Entry = KivOutlineViewEntry::Ptr;

    bool allowsMultiple() const { return _allowsMultiple; }
    void setAllowsMultiple(bool allows) { _allowsMultiple = allows; }

    // The last picked; null with nothing selected and after every row was.
    const Entry& last() const { return _last; }
    // In the order they were picked.
    const std::vector<Entry>& entries() const { return _entries; }
    // In row order; hidden ones keep the order they were picked in.
    std::vector<KivOutlineItem> items() const;

    // No entries selects nothing. Without extend, or when only one may be
    // selected, the last of entries alone; rows itself, every row; with
    // extendGroup, the rows from the anchor to the last of entries; else
    // entries join the selection.
    void select(const std::vector<Entry>& entries, bool extend, bool extendGroup,
                const std::vector<Entry>& rows);
    // The last picked falls back to the latest still selected.
    void deselect(const Entry& entry);
    // Unmarks every entry; the last picked and the anchor are left as they are.
    void deselectAll();
    // After a reload, with entries in row order: the last of them is the last
    // picked, and a single selection keeps only that one.
    void restore(std::vector<Entry> entries);

private:
    void add(const Entry& entry);

    bool _allowsMultiple = false;
    std::vector<Entry> _entries;
    Entry _last;
    Entry _firstOfGroup;
};

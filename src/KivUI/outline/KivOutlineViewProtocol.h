#pragma once

#include "KivUI/outline/KivOutlineViewEntry.h"

#include <Qt>

#include <optional>
#include <vector>

class KivOutlineView;
class QDropEvent;
class QMimeData;

// What an outline asks of its data source, in the order it asks. The item
// nullptr is the root. An optional operation a source leaves alone answers
// nullopt, which the outline takes as "no" (or "not expanded"). GUI thread.
class KivOutlineViewProtocol {
public:
    virtual ~KivOutlineViewProtocol() = default;

    virtual int numberOfChildrenOfItem(KivOutlineView& view, KivOutlineItem item) = 0;
    virtual KivOutlineItem child(KivOutlineView& view, int index, KivOutlineItem item) = 0;
    virtual bool isItemExpandable(KivOutlineView& view, KivOutlineItem item) = 0;

    // The expanded state of an item the outline has not seen before.
    virtual std::optional<bool> isItemExpanded(KivOutlineView&, KivOutlineItem) {
        return std::nullopt;
    }
    virtual void itemDidCollapse(KivOutlineView&, KivOutlineItem) {}
    virtual void itemDidExpand(KivOutlineView&, KivOutlineItem) {}

    // Fills the drag's data; false (or nullopt) starts no drag.
    virtual std::optional<bool> writeItems(KivOutlineView&, const std::vector<KivOutlineItem>&,
                                           QMimeData&) {
        return std::nullopt;
    }
    // The operation a drop onto item (childIndex -1) or into it at childIndex
    // would do; Qt::IgnoreAction refuses.
    virtual std::optional<Qt::DropAction> validateDrop(KivOutlineView&, const QDropEvent&,
                                                       KivOutlineItem, int) {
        return std::nullopt;
    }
    virtual std::optional<bool> acceptDrop(KivOutlineView&, const QDropEvent&, KivOutlineItem,
                                           int) {
        return std::nullopt;
    }
    // After a drag that started in the view ends, and after every drop on it.
    virtual void dragDone(KivOutlineView&) {}
};

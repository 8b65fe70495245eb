#pragma once

#include "foundation/Scheduler.h"

#include <QPointF>

#include <optional>

class KivTabViewItem;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class TavTabBarControl;

// The bar as a drop target for drags other than tabs: a drag of a type the
// delegate allows springs the tab under it open after a rest, and a drop is
// handed to the delegate. Owned by its bar; GUI thread only.
class TavTabBarDropTarget final {
public:
    explicit TavTabBarDropTarget(TavTabBarControl& bar);
    ~TavTabBarDropTarget();
    TavTabBarDropTarget(const TavTabBarDropTarget&) = delete;
    TavTabBarDropTarget& operator=(const TavTabBarDropTarget&) = delete;

    double springDelay() const { return _springDelay; }
    void setSpringDelay(double seconds) { _springDelay = seconds; }

    void dragEntered(QDragEnterEvent& event);
    void dragMoved(QDragMoveEvent& event);
    void dragLeft();
    void dropped(QDropEvent& event);
    void cancelSpring();

private:
    // A drag of a type the delegate allows.
    bool acceptsDrag(const QMimeData& mime) const;
    // Arms the spring for the tab under the drag; false off the tabs.
    bool springOver(const QPointF& point);
    void fireSpring();

    TavTabBarControl& _bar;
    double _springDelay;
    std::optional<Scheduler::TimerId> _springTimer;
    // The item the armed spring will select, and where the drag is.
    KivTabViewItem* _tabViewItemWithSpring = nullptr;
    QPointF _springPoint;
};

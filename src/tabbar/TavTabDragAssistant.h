#pragma once

#include "tabbar/TavTabDragAnimation.h"
#include "tabbar/TavTabDragTargets.h"
#include "tabbar/TavTabDragWindows.h"

#include <QPointF>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QTimer;
class QWidget;
class TavTabBarCell;
class TavTabBarControl;
class TavTabDragWindowController;

// The one drag session of the application: reordering a tab within its bar,
// moving it to another bar, tearing it off into a new window. The source bar
// grabs the mouse and forwards every move; the assistant hit-tests the
// registered bars, opens gaps with placeholders that grow along a sine, and
// moves the cell and its item on the drop. Where a tear-off is possible the
// dragged tab floats under the pointer in a drag window. Outside every bar,
// in tear-off style 1 it morphs into an image of the window, and a torn-off
// window grows into view from the pointer; in style 0 it fades into a second
// window, an image of the tab's content, and a torn-off window is brought to
// the front. A window whose lone tab is dragged out of it is hidden until
// the drag ends. Bars are held through guarded pointers so a window closed
// mid-drag is only ever deleted later. The bars it may drop into, the
// sliding cells and the drag windows each have a part of their own.
// GUI thread.
class TavTabDragAssistant {
public:
    static constexpr const char* kPasteboardType = "TavTabBarControlItemPBType";
    static constexpr const char* kDidBeginNotification = "TavTabDragDidBeginNotification";
    static constexpr const char* kDidEndNotification = "TavTabDragDidEndNotification";
    // Steps a placeholder takes to open fully.
    static constexpr int kSteps = 8;
    static constexpr double kAnimationInterval = 1.0 / 30.0;

    static TavTabDragAssistant& sharedDragAssistant();

    TavTabDragAssistant();
    ~TavTabDragAssistant();
    TavTabDragAssistant(const TavTabDragAssistant&) = delete;
    TavTabDragAssistant& operator=(const TavTabDragAssistant&) = delete;

    // Bars that may receive a drop; a bar removes itself when it goes, which
    // ends a drag it is the source of.
    void registerTabBar(TavTabBarControl& bar);
    void removeTabBar(TavTabBarControl& bar);
    // The bar's window came to the front.
    void tabBarWindowActivated(TavTabBarControl& bar);
    // The registered bar under a global point, of the window in front there;
    // null when that window has no bar under the point.
    TavTabBarControl* tabBarAtGlobalPoint(const QPointF& global) const {
        return _targets.tabBarAtGlobalPoint(global, _transparentSourceWindow.data());
    }
    // While a drop into another bar is told to the source's delegate: where
    // the gap was, counted among the destination's tabs; else -1.
    int dropIndex() const { return _dropIndex; }

    bool isDragging() const { return _isDragging; }
    // Out of every bar while dragged: a placeholder holds its place.
    TavTabBarCell* draggedCell() const { return _draggedCell.get(); }
    int draggedCellIndex() const { return _draggedCellIndex; }
    TavTabBarControl* sourceTabBar() const { return _sourceTabBar; }
    TavTabBarControl* destinationTabBar() const { return _destinationTabBar; }
    // The drag pasteboard's string under kPasteboardType.
    const QString& pasteboardString() const { return _pasteboardString; }
    const std::vector<int>& sineCurveWidths() const { return _animation.sineCurveWidths(); }
    // The window showing the dragged tab; null unless a tear-off is possible.
    TavTabDragWindowController* draggedTab() const { return _windows.draggedTab(); }
    // Tear-off style 0: the window showing the tab's content, made on first
    // leaving a bar.
    TavTabDragWindowController* draggedView() const { return _windows.draggedView(); }
    // Alpha the fades move each tick between the two drag windows.
    static constexpr double kFadeStep = 0.15;
    // The largest side of the window image outside every bar.
    static constexpr int kWindowImageSize = 125;
    // The placeholder sizes for each animation step of a cell.
    static std::vector<int> sineCurveWidthsForCell(const TavTabBarCell& cell) {
        return TavTabDragAnimation::sineCurveWidthsForCell(cell);
    }

    // From the source bar once the press has moved far enough on a tab.
    void startDraggingCell(TavTabBarCell& cell, TavTabBarControl& bar, const QPointF& mouseDown);
    // The source bar's grabbed mouse, in global coordinates: hit-tests the
    // registered bars and calls the entered/updated/exited operations.
    void mouseMovedTo(const QPointF& global);
    // The release: a drop in the bar under the point, else the end outside.
    void mouseReleasedAt(const QPointF& global);

    // Destination operations; points are in the bar's coordinates.
    void draggingEnteredTabBar(TavTabBarControl& bar, const QPointF& point);
    void draggingUpdatedInTabBar(TavTabBarControl& bar, const QPointF& point);
    void draggingExitedTabBar(TavTabBarControl& bar);
    // Whether `bar` takes the drag at all.
    bool acceptsDragInTabBar(TavTabBarControl& bar) const;
    void performDragOperation();
    // The drag ended outside every bar (global point).
    void draggedImageEndedAt(const QPointF& global);

    // One animation tick (every 1/30 s while dragging; tests call it by
    // hand): opens the gap at the target and closes the others.
    void animateDrag() { _animation.animate(_destinationTabBar, _currentMouseLoc); }

private:
    void returnCellToSource();
    void finishDrag();
    // The lone tab of the source leaves its window for outside every bar.
    bool takesWindowAlong(TavTabBarControl& bar) const;

    TavTabDragTargets _targets;
    TavTabDragAnimation _animation;
    TavTabDragWindows _windows;
    QPointer<TavTabBarControl> _sourceTabBar;
    QPointer<TavTabBarControl> _destinationTabBar;
    std::unique_ptr<TavTabBarCell> _draggedCell;
    int _draggedCellIndex = -1;
    // Its index among the source's tabs when the drag began.
    int _draggedTabIndex = -1;
    int _dropIndex = -1;
    bool _isDragging = false;
    QString _pasteboardString;
    QPointF _currentMouseLoc{-1, -1};
    std::unique_ptr<QTimer> _animationTimer;
    // The source window, hidden while its lone tab is dragged out of it.
    QPointer<QWidget> _transparentSourceWindow;
    // The source bar's tear-off style when the drag began.
    int _currentTearOffStyle = 0;
    // The closed hand is on the cursor stack until the drag ends.
    bool _overridesCursor = false;
};

#pragma once

#include "foundation/Scheduler.h"
#include "tabbar/TavTabDragWindow.h"

#include <QImage>
#include <QPointF>

#include <memory>
#include <optional>

class TavTabBarCell;
class TavTabBarControl;
class TavTabDragWindowController;

// The windows that float under the pointer through a tab drag, where a
// tear-off is possible: the dragged tab's image, and outside every bar what
// a drop there makes. In tear-off style 1 the tab morphs into an image of
// the window and centres on the pointer; in style 0 it cross-fades into a
// second window, an image of the tab's content with the tab drawn where the
// window shows it. The fades tick on the main loop's scheduler. GUI thread.
class TavTabDragWindows {
public:
    TavTabDragWindows();
    ~TavTabDragWindows();
    TavTabDragWindows(const TavTabDragWindows&) = delete;
    TavTabDragWindows& operator=(const TavTabDragWindows&) = delete;

    // The tab's image, its top-left corner at `imageOrigin` while the
    // pointer is at `global`, shown in front.
    void showTab(const QImage& image, int tearOffStyle, const QPointF& imageOrigin,
                 const QPointF& global);
    // The tab follows the pointer, or centres on it once it shows the window
    // image; the content window keeps the drawn tab under it.
    void moveTo(const QPointF& global);
    // The drag came into a bar; `fromOutside` when it was outside every bar.
    void enteredTabBar(bool fromOutside);
    // The drag left `bar` for outside every bar, dragging `dragged`. When the
    // lone tab takes its window along, the content shows at once and the tab
    // stays as it is. False when no window shows the tab, or a fade was
    // under way and turns back.
    bool leftTabBar(TavTabBarControl& bar, TavTabBarCell* dragged, bool takesWindowAlong);
    // The drag ended: the windows go.
    void close();

    // Null unless a tear-off is possible.
    TavTabDragWindowController* draggedTab() const { return _draggedTab.get(); }
    // Tear-off style 0: made on first leaving a bar.
    TavTabDragWindowController* draggedView() const { return _draggedView.get(); }

private:
    static QImage windowImageOfTabBar(const TavTabBarControl& bar);
    // Sets the content window's offset and the style of its window.
    QImage imageForViewOfCell(TavTabBarControl& bar, TavTabBarCell& cell,
                              TavTabDragWindow::StyleMask& styleMask);
    void placeDraggedView();
    // One tick of a cross-fade between the two windows.
    void fadeInDragWindow();
    void fadeOutDragWindow();
    void startFade(bool in);
    void stopFade();

    std::unique_ptr<TavTabDragWindowController> _draggedTab;
    // The tab drag window's top-left corner against the pointer.
    QPointF _dragWindowOffset;
    std::unique_ptr<TavTabDragWindowController> _draggedView;
    // The bottom-left corner of the tab row in the content image.
    QPointF _draggedViewOffset;
    std::optional<Scheduler::TimerId> _fadeTimer;
    bool _centersDragWindows = false;
};

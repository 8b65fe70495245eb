#pragma once

#include <QPointer>
#include <QRectF>

#include <memory>
#include <vector>

class QMenu;
class TavTabBarCell;
class TavTabBarControl;

// The layout engine of one tab bar: how wide each tab is, which tabs fit and
// which go to the overflow menu, every cell's frame and tracking rectangles,
// the add-tab button's place, and each cell's selection state, tab state
// bits, close-button suppression and overflow flag. The bar reads the
// results back by index. Rectangles are in the bar's coordinates (y down).
// GUI thread only.
class TavTabBarController {
public:
    using Cells = std::vector<std::unique_ptr<TavTabBarCell>>;

    explicit TavTabBarController(TavTabBarControl& control);
    ~TavTabBarController();
    TavTabBarController(const TavTabBarController&) = delete;
    TavTabBarController& operator=(const TavTabBarController&) = delete;

    // Recomputes everything; does nothing while the bar's cells and its tab
    // view's items differ in number (a drag's placeholders are in the bar).
    void layoutCells();
    const QRectF& addButtonRect() const { return _addButtonRect; }
    // Null when every cell fits.
    QMenu* overflowMenu() const { return _overflowMenu.get(); }
    // Outside the stored range: logged, and the zero rectangle.
    QRectF cellTrackingRectAtIndex(int index) const;
    QRectF closeButtonTrackingRectAtIndex(int index) const;
    QRectF cellFrameAtIndex(int index) const;
    // Moves the selection bits to the cell without a relayout.
    void setSelectedCell(TavTabBarCell& cell);

    // The steps of layoutCells, in its order. One width per visible cell (in
    // a vertical bar, each visible cell's y).
    std::vector<double> generateWidthsFromCells(const Cells& cells);
    // Takes one point at a time off the widths still above the target, last
    // to first, in whole passes while the sum exceeds the available width;
    // answers the points taken.
    static int shrinkWidths(std::vector<double>& widths, int target, double available);
    void setupCells(const Cells& cells, const std::vector<double>& widths);

    // The overflow menu's items, its hidden title item included; 0 for any
    // other menu, with a warning.
    int numberOfItemsInMenu(const QMenu* menu) const;

private:
    void addOverflowItem(TavTabBarCell& cell);

    TavTabBarControl& _control;
    std::vector<QRectF> _cellTrackingRects;
    std::vector<QRectF> _closeButtonTrackingRects;
    std::vector<QRectF> _cellFrames;
    QRectF _addButtonRect;
    std::unique_ptr<QMenu> _overflowMenu;
};

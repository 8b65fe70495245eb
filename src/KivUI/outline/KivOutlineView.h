#pragma once

#include "KivUI/outline/KivOutlineDragAndDrop.h"
#include "KivUI/outline/KivOutlineDropTarget.h"
#include "KivUI/outline/KivOutlineGeometry.h"
#include "KivUI/outline/KivOutlineInput.h"
#include "KivUI/outline/KivOutlineLiveRows.h"
#include "KivUI/outline/KivOutlinePainter.h"
#include "KivUI/outline/KivOutlineRowView.h"
#include "KivUI/outline/KivOutlineSelection.h"
#include "KivUI/outline/KivOutlineTree.h"
#include "KivUI/outline/KivOutlineViewEntry.h"
#include "KivUI/outline/KivOutlineViewProtocol.h"
#include "foundation/Signal.h"

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class Clock;
class Scheduler;
struct Notification;

inline constexpr const char* kKivOutlineViewSelectionDidChangeNotification =
    "KivOutlineViewSelectionDidChangeNotification";

class KivOutlineViewDelegate {
public:
    virtual ~KivOutlineViewDelegate() = default;
    virtual void outlineViewSelectionDidChange(const Notification& notification) = 0;
};

// A tree or list from a data source in rows of fixed height, inside a scroll
// area. One stamp row view draws every row; live row views exist only for
// rows whose controls are in use. Selection (single, toggle, range), keys,
// dragging out, dropping onto or between rows, hover-to-expand. The owner
// calls setAcceptDrops() for the drags it takes. Each of those jobs is a part
// the view owns; the view is the widget and the glue between them. GUI thread
// only.
class KivOutlineView : public QWidget {
public:
    using Entry = KivOutlineViewEntry::Ptr;
    using Action = std::function<void(KivOutlineView&)>;
    using DropTarget = KivOutlineDropTarget;

    explicit KivOutlineView(QWidget* parent = nullptr);
    ~KivOutlineView() override;

    // Delays run on the scheduler and time is read from the clock when given;
    // otherwise on Qt timers and the monotonic clock. Both outlive the view.
    void setTiming(Scheduler* scheduler, const Clock* clock);
    void afterDelay(double seconds, std::function<void()> work);

    QString name() const { return _name; }
    void setName(const QString& name) { _name = name; }
    KivOutlineViewDelegate* delegate() const { return _delegate; }
    void setDelegate(KivOutlineViewDelegate* delegate);
    // Sent on a double click on a row.
    const Action& action() const { return _action; }
    void setAction(Action action) { _action = std::move(action); }

    // Each colour setter redraws the view.
    QColor backgroundColor() const { return _painter.backgroundColor(); }
    void setBackgroundColor(const QColor& colour);
    QColor alternatingRowColor() const { return _painter.alternatingRowColor(); }
    void setAlternatingRowColor(const QColor& colour);
    // Invalid colours draw no lines.
    QColor dividingLineColor() const { return _painter.dividingLineColor(); }
    void setDividingLineColor(const QColor& colour);
    QColor secondDividingLineColor() const { return _painter.secondDividingLineColor(); }
    void setSecondDividingLineColor(const QColor& colour);
    QColor selectedColor() const { return _painter.selectedColor(); }
    void setSelectedColor(const QColor& colour);
    QColor selectedButNotMainColor() const { return _painter.selectedButNotMainColor(); }
    void setSelectedButNotMainColor(const QColor& colour);
    bool allowsMultipleSelection() const { return _selection.allowsMultiple(); }
    void setAllowsMultipleSelection(bool allows) { _selection.setAllowsMultiple(allows); }
    // Empty rows the view keeps below the last one; a negative count is ignored.
    int rowsOfSpaceAtBottom() const { return _geometry.rowsOfSpaceAtBottom(); }
    void setRowsOfSpaceAtBottom(int rows);
    // Off refuses dragging out and dropping; clicks and keys still work.
    bool outlineEnabled() const { return _enabled; }
    void setOutlineEnabled(bool enabled) { _enabled = enabled; }

    const KivOutlineRowClass& rowViewClass() const { return _rowViewClass; }
    void setRowViewClass(KivOutlineRowClass rowClass);
    // The stamp; null when its layout could not be made.
    KivOutlineRowView* rowView() const { return _rowView.get(); }

    // Not owned; it must outlive the view or be replaced first.
    KivOutlineViewProtocol* dataSource() const { return _dataSource; }
    void setDataSource(KivOutlineViewProtocol* source);
    // Expanded rows stay expanded by item identity.
    void reloadData() { reloadDataAndSaveExpandedState(true); }
    // Every row's expansion is asked of the data source again.
    void reloadDataAndResyncExpandedState() { reloadDataAndSaveExpandedState(false); }

    int numberOfRows() const { return _tree.numberOfRows(); }
    const std::vector<Entry>& rowModel() const { return _tree.rows(); }
    const std::vector<Entry>& dataModel() const { return _tree.roots(); }
    Entry entryForIndex(int index) const { return _tree.entryForIndex(index); }
    Entry entryForItem(KivOutlineItem item) const { return _tree.entryForItem(item); }
    // Null while the item is hidden under a collapsed ancestor.
    Entry entryForVisibleItem(KivOutlineItem item) const { return _tree.entryForVisibleItem(item); }

    int indexOfItem(KivOutlineItem item) const;
    KivOutlineItem itemForIndex(int index) const;
    // The item's row and the rows beside it, at the next paint or at once;
    // nothing for a hidden item.
    void redrawItem(KivOutlineItem item);
    void redrawItemImmediately(KivOutlineItem item);
    void expandItem(KivOutlineItem item, bool expandChildren = false);
    void collapseItem(KivOutlineItem item, bool collapseChildren = false);
    void expandUntilItemIsVisible(KivOutlineItem item);
    // Empty for a hidden item.
    QRect rectOfItem(KivOutlineItem item) const;
    // Whether item is what one reaches from ancestor by stepping to the last
    // child while the rows are expanded.
    bool itemIsLastChildOfAncestor(KivOutlineItem item, KivOutlineItem ancestor) const;

    KivOutlineItem selectedItem() const;
    // In row order; hidden selected items keep the order they were selected in.
    std::vector<KivOutlineItem> allSelectedItems() const { return _selection.items(); }
    bool itemIsSelected(KivOutlineItem item) const;
    void selectItem(KivOutlineItem item, bool extendSelection = false);
    void selectItems(const std::vector<KivOutlineItem>& items, bool extendSelection = true);
    void selectAll();
    void selectPrevious(bool extendSelection);
    void selectNext(bool extendSelection);
    // Both do nothing for a hidden item.
    void scrollItemToVisible(KivOutlineItem item);
    void scrollItemToMiddle(KivOutlineItem item);

    void editItem(KivOutlineItem item, const QString& key);
    void abortEditing() { _liveRows.abortEditing(); }

    QRect rectOfRow(int row) const { return _geometry.rectOfRow(row); }
    // Never below 0; may be past the last row.
    int rowAtPoint(QPointF point) const { return _geometry.rowAtPoint(point); }
    QRect visibleRect() const { return _geometry.visibleRect(); }
    DropTarget dropTarget(const Entry& entry, QPointF point, bool canDropDirectlyOnItem) const {
        return _drag.dropTarget(entry, point, canDropDirectlyOnItem);
    }
    // The live row views placed on the view now.
    const std::vector<KivOutlineRowView*>& activeRowViews() const { return _liveRows.views(); }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override { _input.mouseMove(event); }
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override { _drag.dragEnter(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { _drag.dragMove(event); }
    void dragLeaveEvent(QDragLeaveEvent*) override { _drag.dragLeave(); }
    void dropEvent(QDropEvent* event) override { _drag.drop(event); }
    void paintEvent(QPaintEvent* event) override;

private:
    // The parts that handle events call back into the view for what spans
    // several parts.
    friend class KivOutlineDragAndDrop;
    friend class KivOutlineInput;

    void reloadDataAndSaveExpandedState(bool save);
    void buildDataModel(bool saveExpandedState);
    // The row model again, and the view sized to it.
    void buildRowModel();
    // The row model again after an expansion changed, redrawn.
    void rowsChanged();
    void refreshViewSize() { _geometry.refreshViewSize(); }
    void refreshRowView();
    double now() const;

    // Scrolls the last selected row to the middle when no selected row shows,
    // redraws, and tells the delegate when the last selected entry changed.
    void selectEntries(const std::vector<Entry>& entries, bool extend, bool extendGroup);
    void deselectEntry(const Entry& entry);
    void postSelectionDidChange();

    KivOutlineRowView* makeLiveRowView(const Entry& entry, bool locked);
    void cleanUpLiveRowViews() { _liveRows.cleanUp(); }
    void displayEntryWithNeighbors(const Entry& entry, bool immediately);
    QPixmap dragImage(const std::vector<Entry>& entries) const {
        return _painter.dragImage(entries);
    }

    QString _name;
    KivOutlineViewDelegate* _delegate = nullptr;
    Connection _delegateObservation;
    Action _action;
    bool _enabled = true;
    KivOutlineRowClass _rowViewClass = KivOutlineRowClass::base();
    std::unique_ptr<KivOutlineRowView> _rowView;
    KivOutlineViewProtocol* _dataSource = nullptr;
    Scheduler* _scheduler = nullptr;
    const Clock* _clock = nullptr;

    // In the order they are made, each after the parts it is given.
    KivOutlineTree _tree;
    KivOutlineSelection _selection;
    KivOutlineGeometry _geometry;
    KivOutlineLiveRows _liveRows;
    KivOutlinePainter _painter;
    KivOutlineDragAndDrop _drag;
    KivOutlineInput _input;
};

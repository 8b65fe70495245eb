#pragma once

#include "KivUI/outline/KivOutlineRowView.h"
#include "KivUI/outline/KivOutlineViewEntry.h"
#include "KivUI/outline/KivOutlineViewProtocol.h"
#include "foundation/Signal.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class Clock;
class KivOutlineRowHighlightView;
class QAbstractScrollArea;
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
// calls setAcceptDrops() for the drags it takes. GUI thread only.
class KivOutlineView : public QWidget {
public:
    using Entry = KivOutlineViewEntry::Ptr;
    using Action = std::function<void(KivOutlineView&)>;

    // Where a drop would go: into parent (nullptr = top level) at childIndex,
    // or onto parent itself when childIndex is -1; depth is parent's depth + 1.
    struct DropTarget {
        Entry parent;
        int childIndex = -1;
        int depth = 0;
    };

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
    QColor backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(const QColor& colour);
    QColor alternatingRowColor() const { return _alternatingRowColor; }
    void setAlternatingRowColor(const QColor& colour);
    // Invalid colours draw no lines.
    QColor dividingLineColor() const { return _dividingLineColor; }
    void setDividingLineColor(const QColor& colour);
    QColor secondDividingLineColor() const { return _secondDividingLineColor; }
    void setSecondDividingLineColor(const QColor& colour);
    QColor selectedColor() const { return _selectedColor; }
    void setSelectedColor(const QColor& colour);
    QColor selectedButNotMainColor() const { return _selectedButNotMainColor; }
    void setSelectedButNotMainColor(const QColor& colour);
    bool allowsMultipleSelection() const { return _allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { _allowsMultipleSelection = allows; }
    // Empty rows the view keeps below the last one; a negative count is ignored.
    int rowsOfSpaceAtBottom() const { return _rowsOfSpaceAtBottom; }
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

    int numberOfRows() const { return static_cast<int>(_rowModel.size()); }
    const std::vector<Entry>& rowModel() const { return _rowModel; }
    const std::vector<Entry>& dataModel() const { return _dataModel; }
    Entry entryForIndex(int index) const;
    Entry entryForItem(KivOutlineItem item) const;
    // Null while the item is hidden under a collapsed ancestor.
    Entry entryForVisibleItem(KivOutlineItem item) const;

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
    std::vector<KivOutlineItem> allSelectedItems() const;
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
    void abortEditing();

    QRect rectOfRow(int row) const;
    // Never below 0; may be past the last row.
    int rowAtPoint(QPointF point) const;
    QRect visibleRect() const;
    DropTarget dropTarget(const Entry& entry, QPointF point, bool canDropDirectlyOnItem) const;
    // The live row views placed on the view now.
    const std::vector<KivOutlineRowView*>& activeRowViews() const { return _activeRowViews; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Model (KivOutlineView.cpp).
    void buildDataModel(bool saveExpandedState);
    std::vector<Entry> buildChildren(KivOutlineItem item,
                                     const std::vector<KivOutlineViewEntry*>& ancestors,
                                     bool saveExpandedState);
    void releaseDataModel();
    void buildRowModel();
    void reloadDataAndSaveExpandedState(bool save);
    void expandEntry(const Entry& entry, bool expandChildren);
    void collapseEntry(const Entry& entry, bool collapseChildren);
    bool entryIsLastChildOfAncestor(const KivOutlineViewEntry* entry,
                                    const KivOutlineViewEntry* ancestor) const;
    void refreshViewSize();
    void refreshRowView();
    qreal rowHeight() const;
    QAbstractScrollArea* scrollArea() const;
    double now() const;

    // Selection (KivOutlineViewSelection.cpp).
    void selectEntries(const std::vector<Entry>& entries, bool extend, bool extendGroup);
    void deselectAll();
    void deselectEntry(const Entry& entry);
    void scrollEntryToVisible(const Entry& entry);
    void scrollEntryToMiddle(const Entry& entry);
    void scrollToY(int y);
    void postSelectionDidChange();

    // Mouse, keys, drag and drop (KivOutlineViewEvents.cpp).
    void handleMouseDown(QMouseEvent* event, bool doubleClick);
    KivOutlineRowView* makeLiveRowView(const Entry& entry, bool locked);
    void selectionClick(QMouseEvent* event, bool doubleClick);
    void startDrag(QPointF pointer);
    Qt::DropAction updateDrop(const QDropEvent& event, DropTarget* target);
    void hideDropIndicators();

    // Drawing (KivOutlineViewDrawing.cpp).
    QColor colorForEntry(const KivOutlineViewEntry& entry, int row) const;
    void cleanUpLiveRowViews();
    KivOutlineRowView* liveRowViewForRow(int row) const;
    void displayEntryWithNeighbors(const Entry& entry, bool immediately);
    QPixmap dragImage(const std::vector<Entry>& entries) const;

    QString _name;
    KivOutlineViewDelegate* _delegate = nullptr;
    Connection _delegateObservation;
    Action _action;
    QColor _backgroundColor;
    QColor _alternatingRowColor;
    QColor _dividingLineColor;
    QColor _secondDividingLineColor;
    QColor _selectedColor;
    QColor _selectedButNotMainColor;
    bool _allowsMultipleSelection = false;
    int _rowsOfSpaceAtBottom = 0;
    bool _enabled = true;
    KivOutlineRowClass _rowViewClass = KivOutlineRowClass::base();
    std::unique_ptr<KivOutlineRowView> _rowView;
    KivOutlineViewProtocol* _dataSource = nullptr;

    std::vector<Entry> _dataModel;
    std::vector<Entry> _rowModel;
    // Item identity to entry; the old map serves one reload.
    std::unordered_map<KivOutlineItem, Entry> _itemToEntry;
    std::unordered_map<KivOutlineItem, Entry> _oldItemToEntry;
    std::vector<KivOutlineRowView*> _activeRowViews;
    std::vector<Entry> _selectedEntries;
    Entry _lastSelectedEntry;
    Entry _firstSelectedEntryOfGroup;

    KivOutlineRowHighlightView* _rowHighlightView = nullptr;
    KivOutlineRowHighlightView* _tweenHighlightView = nullptr;
    bool _shouldSelectJustLastClicked = false;
    bool _draggingInternally = false;
    QPointF _initialMouseDownLocation;
    bool _mouseDownWasDoubleClick = false;
    Entry _initialMouseDownEntry;
    KivOutlineItem _lastDropTarget = nullptr;
    double _lastTimeDropTargetWasSet = 0;

    // A control in a live row that follows the mouse until the button is up.
    QPointer<QWidget> _trackingControl;
    QPointer<KivOutlineRowView> _trackingRow;
    QPointer<QWidget> _watchedParent;
    Scheduler* _scheduler = nullptr;
    const Clock* _clock = nullptr;
};

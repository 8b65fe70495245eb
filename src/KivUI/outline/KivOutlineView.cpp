#include "KivUI/outline/KivOutlineView.h"

#include "foundation/Clock.h"
#include "foundation/KivClock.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Scheduler.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTimer>

#include <cmath>

KivOutlineView::KivOutlineView(QWidget* parent)
    : QWidget(parent)
    , _tree(*this)
    , _geometry(*this)
    , _liveRows(*this)
    , _painter(*this, _liveRows)
    , _drag(*this, _geometry, _selection)
    , _input(*this, _tree, _selection, _drag) {
    setFocusPolicy(Qt::StrongFocus);
    refreshRowView();
    refreshViewSize();
}

KivOutlineView::~KivOutlineView() {
    _delegateObservation.disconnect();
    _selection.deselectAll();
}

void KivOutlineView::setTiming(Scheduler* scheduler, const Clock* clock) {
    _scheduler = scheduler;
    _clock = clock;
}

void KivOutlineView::afterDelay(double seconds, std::function<void()> work) {
    if (_scheduler) {
        _scheduler->scheduleOnce(seconds, std::move(work));
        return;
    }
    QTimer::singleShot(static_cast<int>(std::lround(seconds * 1000)), this, std::move(work));
}

double KivOutlineView::now() const {
    return _clock ? _clock->now() : CurrentTimeInSeconds();
}

void KivOutlineView::setDelegate(KivOutlineViewDelegate* delegate) {
    _delegateObservation.disconnect();
    _delegate = delegate;
    if (delegate) {
        _delegateObservation = NotificationCenter::defaultCenter().addObserver(
            kKivOutlineViewSelectionDidChangeNotification, this,
            [delegate](const Notification& note) {
                delegate->outlineViewSelectionDidChange(note);
            });
    }
}

void KivOutlineView::setBackgroundColor(const QColor& colour) {
    _painter.setBackgroundColor(colour);
    update();
}

void KivOutlineView::setAlternatingRowColor(const QColor& colour) {
    _painter.setAlternatingRowColor(colour);
    update();
}

void KivOutlineView::setDividingLineColor(const QColor& colour) {
    _painter.setDividingLineColor(colour);
    update();
}

void KivOutlineView::setSecondDividingLineColor(const QColor& colour) {
    _painter.setSecondDividingLineColor(colour);
    update();
}

void KivOutlineView::setSelectedColor(const QColor& colour) {
    _painter.setSelectedColor(colour);
    update();
}

void KivOutlineView::setSelectedButNotMainColor(const QColor& colour) {
    _painter.setSelectedButNotMainColor(colour);
    update();
}

void KivOutlineView::setRowsOfSpaceAtBottom(int rows) {
    if (_geometry.setRowsOfSpaceAtBottom(rows)) {
        refreshViewSize();
    }
}

void KivOutlineView::setRowViewClass(KivOutlineRowClass rowClass) {
    _rowViewClass = std::move(rowClass);
    refreshRowView();
    refreshViewSize();
}

void KivOutlineView::refreshRowView() {
    _rowView.reset(_rowViewClass.make ? _rowViewClass.make() : nullptr);
    if (!_rowView) {
        logFormat("Error: Could not load row nib named '%s'.",
                  _rowViewClass.nibName.toUtf8().constData());
        return;
    }
    _rowView->setOutlineView(this);
    _geometry.refreshScrollStep();
}

bool KivOutlineView::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) {
        _geometry.followParent();
        refreshRowView();
        refreshViewSize();
    }
    return QWidget::event(event);
}

bool KivOutlineView::eventFilter(QObject* watched, QEvent* event) {
    if (_geometry.isParentResize(watched, event)) {
        refreshViewSize();
    }
    return QWidget::eventFilter(watched, event);
}

void KivOutlineView::setDataSource(KivOutlineViewProtocol* source) {
    _dataSource = source;
    _selection.deselectAll();
    buildDataModel(true);
    buildRowModel();
}

void KivOutlineView::buildDataModel(bool saveExpandedState) {
    _input.forgetPress();
    _tree.build(saveExpandedState);
}

void KivOutlineView::buildRowModel() {
    _tree.buildRows();
    refreshViewSize();
}

void KivOutlineView::rowsChanged() {
    buildRowModel();
    update();
}

void KivOutlineView::reloadDataAndSaveExpandedState(bool save) {
    const KivOutlineItem lastItem = selectedItem();
    const std::vector<KivOutlineItem> selected = allSelectedItems();
    _selection.deselectAll();
    buildDataModel(save);
    buildRowModel();
    // In row order, as the selection takes them back.
    std::vector<Entry> reselect;
    for (KivOutlineItem item : selected) {
        if (Entry entry = entryForVisibleItem(item)) {
            reselect.push_back(std::move(entry));
        }
    }
    _selection.restore(std::move(reselect));
    if (selectedItem() != lastItem) {
        postSelectionDidChange();
    }
    update();
}

int KivOutlineView::indexOfItem(KivOutlineItem item) const {
    const Entry entry = entryForItem(item);
    return entry ? entry->index() : -1;
}

KivOutlineItem KivOutlineView::itemForIndex(int index) const {
    const Entry entry = entryForIndex(index);
    return entry ? entry->item() : nullptr;
}

void KivOutlineView::redrawItem(KivOutlineItem item) {
    if (Entry entry = entryForVisibleItem(item)) {
        displayEntryWithNeighbors(entry, false);
    }
}

void KivOutlineView::redrawItemImmediately(KivOutlineItem item) {
    if (Entry entry = entryForVisibleItem(item)) {
        displayEntryWithNeighbors(entry, true);
    }
}

void KivOutlineView::displayEntryWithNeighbors(const Entry& entry, bool immediately) {
    const int row = entry->index();
    const QRect area = rectOfRow(row - 1).united(rectOfRow(row + 1));
    if (immediately) {
        repaint(area);
    } else {
        update(area);
    }
}

void KivOutlineView::expandItem(KivOutlineItem item, bool expandChildren) {
    if (Entry entry = entryForVisibleItem(item)) {
        _tree.expandEntry(entry, expandChildren);
        rowsChanged();
    }
}

void KivOutlineView::collapseItem(KivOutlineItem item, bool collapseChildren) {
    if (Entry entry = entryForVisibleItem(item)) {
        _tree.collapseEntry(entry, collapseChildren);
        rowsChanged();
    }
}

void KivOutlineView::expandUntilItemIsVisible(KivOutlineItem item) {
    const Entry entry = entryForItem(item);
    if (!entry || entry->index() != -1) {
        return;
    }
    _tree.expandAncestors(*entry);
    rowsChanged();
}

QRect KivOutlineView::rectOfItem(KivOutlineItem item) const {
    const Entry entry = entryForVisibleItem(item);
    return entry ? rectOfRow(entry->index()) : QRect();
}

bool KivOutlineView::itemIsLastChildOfAncestor(KivOutlineItem item, KivOutlineItem ancestor) const {
    const Entry entry = entryForItem(item);
    const Entry top = entryForItem(ancestor);
    return _tree.entryIsLastChildOfAncestor(entry.get(), top.get());
}

KivOutlineItem KivOutlineView::selectedItem() const {
    const Entry& last = _selection.last();
    return last ? last->item() : nullptr;
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
    selectEntries(rowModel(), true, false);
}

void KivOutlineView::selectPrevious(bool extendSelection) {
    const Entry& last = _selection.last();
    if (Entry entry = entryForIndex(last ? last->index() - 1 : numberOfRows() - 1)) {
        _geometry.scrollEntryToVisible(entry);
        selectEntries({entry}, extendSelection, extendSelection);
    }
}

void KivOutlineView::selectNext(bool extendSelection) {
    const Entry& last = _selection.last();
    if (Entry entry = entryForIndex(last ? last->index() + 1 : 0)) {
        _geometry.scrollEntryToVisible(entry);
        selectEntries({entry}, extendSelection, extendSelection);
    }
}

void KivOutlineView::selectEntries(const std::vector<Entry>& entries, bool extend,
                                   bool extendGroup) {
    const Entry before = _selection.last();
    _selection.select(entries, extend, extendGroup, rowModel());
    if (_selection.last() && !_geometry.showsAnyOf(_selection.entries())) {
        _geometry.scrollEntryToMiddle(_selection.last());
    }
    update();
    if (_selection.last() != before) {
        postSelectionDidChange();
    }
}

void KivOutlineView::deselectEntry(const Entry& entry) {
    _selection.deselect(entry);
    update();
}

void KivOutlineView::postSelectionDidChange() {
    NotificationCenter::defaultCenter().post(kKivOutlineViewSelectionDidChangeNotification, this);
}

void KivOutlineView::scrollItemToVisible(KivOutlineItem item) {
    if (Entry entry = entryForVisibleItem(item)) {
        _geometry.scrollEntryToVisible(entry);
    }
}

void KivOutlineView::scrollItemToMiddle(KivOutlineItem item) {
    if (Entry entry = entryForVisibleItem(item)) {
        _geometry.scrollEntryToMiddle(entry);
    }
}

void KivOutlineView::editItem(KivOutlineItem item, const QString& key) {
    if (const Entry entry = entryForVisibleItem(item)) {
        if (KivOutlineRowView* live = makeLiveRowView(entry, false)) {
            live->editValueForKey(key);
        }
    }
}

KivOutlineRowView* KivOutlineView::makeLiveRowView(const Entry& entry, bool locked) {
    return _liveRows.make(entry, locked, _painter.colorForEntry(*entry, entry->index()));
}

void KivOutlineView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void KivOutlineView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void KivOutlineView::keyPressEvent(QKeyEvent* event) {
    if (!_input.keyPress(event)) {
        QWidget::keyPressEvent(event);
    }
}

void KivOutlineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    _input.mouseDown(event, false);
}

void KivOutlineView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    _input.mouseDown(event, true);
}

void KivOutlineView::mouseReleaseEvent(QMouseEvent* event) {
    if (!_input.mouseUp(event)) {
        QWidget::mouseReleaseEvent(event);
    }
}

void KivOutlineView::paintEvent(QPaintEvent* event) {
    cleanUpLiveRowViews();
    _painter.paint(event->rect());
}

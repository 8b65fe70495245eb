#include "KivUI/outline/KivOutlineView.h"

#include "KivUI/drawing/KivColors.h"
#include "KivUI/outline/KivOutlineRowHighlightView.h"
#include "foundation/Clock.h"
#include "foundation/KivClock.h"
#include "foundation/KivLog.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Scheduler.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

KivOutlineView::KivOutlineView(QWidget* parent)
    : QWidget(parent)
    , _backgroundColor(KivColors::tableRowEven())
    , _alternatingRowColor(KivColors::tableRowOdd())
    , _selectedColor(KivColors::outlineSelection())
    , _selectedButNotMainColor(KivColors::outlineSelectionInactive()) {
    setFocusPolicy(Qt::StrongFocus);
    _rowHighlightView = new KivOutlineRowHighlightView(this);
    _rowHighlightView->hide();
    _tweenHighlightView = new KivOutlineRowHighlightView(this);
    _tweenHighlightView->setBetweenRows(true);
    _tweenHighlightView->hide();
    refreshRowView();
    refreshViewSize();
}

KivOutlineView::~KivOutlineView() {
    _delegateObservation.disconnect();
    deselectAll();
    _rowModel.clear();
    releaseDataModel();
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
    _backgroundColor = colour;
    update();
}

void KivOutlineView::setAlternatingRowColor(const QColor& colour) {
    _alternatingRowColor = colour;
    update();
}

void KivOutlineView::setDividingLineColor(const QColor& colour) {
    _dividingLineColor = colour;
    update();
}

void KivOutlineView::setSecondDividingLineColor(const QColor& colour) {
    _secondDividingLineColor = colour;
    update();
}

void KivOutlineView::setSelectedColor(const QColor& colour) {
    _selectedColor = colour;
    update();
}

void KivOutlineView::setSelectedButNotMainColor(const QColor& colour) {
    _selectedButNotMainColor = colour;
    update();
}

void KivOutlineView::setRowsOfSpaceAtBottom(int rows) {
    if (rows < 0 || rows == _rowsOfSpaceAtBottom) {
        return;
    }
    _rowsOfSpaceAtBottom = rows;
    refreshViewSize();
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
    if (QAbstractScrollArea* area = scrollArea()) {
        area->verticalScrollBar()->setSingleStep(static_cast<int>(rowHeight()));
    }
}

qreal KivOutlineView::rowHeight() const {
    return _rowView ? _rowView->viewHeight() : 25.0;
}

QAbstractScrollArea* KivOutlineView::scrollArea() const {
    QWidget* viewport = parentWidget();
    return viewport ? qobject_cast<QAbstractScrollArea*>(viewport->parentWidget()) : nullptr;
}

void KivOutlineView::refreshViewSize() {
    const qreal h = rowHeight();
    const qreal rows = static_cast<qreal>(numberOfRows() + _rowsOfSpaceAtBottom);
    QSize content = scrollArea() ? scrollArea()->viewport()->size() : QSize(width(), 0);
    const qreal minimumWidth = _rowView ? _rowView->viewWidth() : 0;
    resize(static_cast<int>(std::max<qreal>(content.width(), minimumWidth)),
           static_cast<int>(std::max<qreal>(content.height(), std::ceil(rows * h))));
}

bool KivOutlineView::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) {
        if (_watchedParent) {
            _watchedParent->removeEventFilter(this);
        }
        _watchedParent = parentWidget();
        if (_watchedParent) {
            _watchedParent->installEventFilter(this);
        }
        refreshRowView();
        refreshViewSize();
    }
    return QWidget::event(event);
}

bool KivOutlineView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == _watchedParent && event->type() == QEvent::Resize) {
        refreshViewSize();
    }
    return QWidget::eventFilter(watched, event);
}

void KivOutlineView::setDataSource(KivOutlineViewProtocol* source) {
    _dataSource = source;
    deselectAll();
    buildDataModel(true);
    buildRowModel();
}

void KivOutlineView::releaseDataModel() {
    for (const Entry& entry : _dataModel) {
        entry->cutParentLinks();
    }
    _dataModel.clear();
    _initialMouseDownEntry.reset();
}

void KivOutlineView::buildDataModel(bool saveExpandedState) {
    if (saveExpandedState) {
        _oldItemToEntry = std::move(_itemToEntry);
    }
    releaseDataModel();
    _itemToEntry.clear();
    std::vector<Entry> model = buildChildren(nullptr, {}, saveExpandedState);
    _dataModel = std::move(model);
    _oldItemToEntry.clear();
}

std::vector<KivOutlineView::Entry>
KivOutlineView::buildChildren(KivOutlineItem item,
                              const std::vector<KivOutlineViewEntry*>& ancestors,
                              bool saveExpandedState) {
    std::vector<Entry> entries;
    if (!_dataSource) {
        return entries;
    }
    const int n = _dataSource->numberOfChildrenOfItem(*this, item);
    for (int i = 0; i < n; ++i) {
        KivOutlineItem childItem = _dataSource->child(*this, i, item);
        auto entry = std::make_shared<KivOutlineViewEntry>(childItem, ancestors, i, i == n - 1);
        const auto old = _oldItemToEntry.find(childItem);
        if (saveExpandedState && old != _oldItemToEntry.end()) {
            entry->setExpanded(old->second->expanded());
        } else {
            entry->setExpanded(_dataSource->isItemExpanded(*this, childItem).value_or(false));
        }
        if (_dataSource->isItemExpandable(*this, childItem)) {
            std::vector<KivOutlineViewEntry*> lineage = ancestors;
            lineage.push_back(entry.get());
            entry->setChildren(std::make_unique<std::vector<Entry>>(
                buildChildren(childItem, lineage, saveExpandedState)));
        }
        _itemToEntry[childItem] = entry;
        entries.push_back(std::move(entry));
    }
    return entries;
}

void KivOutlineView::buildRowModel() {
    std::vector<Entry> rows;
    std::function<void(const std::vector<Entry>&, bool)> walk = [&](const std::vector<Entry>& level,
                                                                    bool visible) {
        for (const Entry& entry : level) {
            if (visible) {
                entry->setIndex(static_cast<int>(rows.size()));
                rows.push_back(entry);
            } else {
                entry->setIndex(-1);
            }
            if (entry->children()) {
                walk(*entry->children(), visible && entry->expanded());
            }
        }
    };
    walk(_dataModel, true);
    _rowModel = std::move(rows);
    refreshViewSize();
}

void KivOutlineView::reloadDataAndSaveExpandedState(bool save) {
    const KivOutlineItem lastItem = selectedItem();
    const std::vector<KivOutlineItem> selected = allSelectedItems();
    deselectAll();
    buildDataModel(save);
    buildRowModel();
    // The remembered items come back in row order, so the last of them is
    // the last selected; a single selection keeps only that one.
    std::vector<Entry> reselect;
    for (KivOutlineItem item : selected) {
        if (Entry entry = entryForVisibleItem(item)) {
            reselect.push_back(std::move(entry));
        }
    }
    if (!_allowsMultipleSelection && reselect.size() > 1) {
        reselect.erase(reselect.begin(), reselect.end() - 1);
    }
    for (const Entry& entry : reselect) {
        entry->setSelected(true);
        _selectedEntries.push_back(entry);
    }
    _lastSelectedEntry = _firstSelectedEntryOfGroup = reselect.empty() ? nullptr : reselect.back();
    if (selectedItem() != lastItem) {
        postSelectionDidChange();
    }
    update();
}

KivOutlineView::Entry KivOutlineView::entryForIndex(int index) const {
    if (index < 0 || index >= numberOfRows()) {
        return nullptr;
    }
    return _rowModel[static_cast<std::size_t>(index)];
}

KivOutlineView::Entry KivOutlineView::entryForItem(KivOutlineItem item) const {
    const auto found = _itemToEntry.find(item);
    return found == _itemToEntry.end() ? nullptr : found->second;
}

KivOutlineView::Entry KivOutlineView::entryForVisibleItem(KivOutlineItem item) const {
    Entry entry = entryForItem(item);
    return entry && entry->index() != -1 ? entry : nullptr;
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

void KivOutlineView::expandItem(KivOutlineItem item, bool expandChildren) {
    if (Entry entry = entryForVisibleItem(item)) {
        expandEntry(entry, expandChildren);
        buildRowModel();
        update();
    }
}

void KivOutlineView::collapseItem(KivOutlineItem item, bool collapseChildren) {
    if (Entry entry = entryForVisibleItem(item)) {
        collapseEntry(entry, collapseChildren);
        buildRowModel();
        update();
    }
}

void KivOutlineView::expandEntry(const Entry& entry, bool expandChildren) {
    if (!entry->expanded()) {
        entry->setExpanded(true);
        if (_dataSource) {
            _dataSource->itemDidExpand(*this, entry->item());
        }
    }
    if (expandChildren && entry->children()) {
        // Leaves have nothing to show or hide.
        for (const Entry& child : *entry->children()) {
            if (child->children()) {
                expandEntry(child, true);
            }
        }
    }
}

void KivOutlineView::collapseEntry(const Entry& entry, bool collapseChildren) {
    if (entry->expanded()) {
        entry->setExpanded(false);
        if (_dataSource) {
            _dataSource->itemDidCollapse(*this, entry->item());
        }
    }
    if (collapseChildren && entry->children()) {
        // Leaves have nothing to show or hide.
        for (const Entry& child : *entry->children()) {
            if (child->children()) {
                collapseEntry(child, true);
            }
        }
    }
}

void KivOutlineView::expandUntilItemIsVisible(KivOutlineItem item) {
    const Entry entry = entryForItem(item);
    if (!entry || entry->index() != -1) {
        return;
    }
    for (KivOutlineViewEntry* ancestor : entry->parents()) {
        if (!ancestor->expanded()) {
            ancestor->setExpanded(true);
            if (_dataSource) {
                _dataSource->itemDidExpand(*this, ancestor->item());
            }
        }
    }
    buildRowModel();
    update();
}

QRect KivOutlineView::rectOfItem(KivOutlineItem item) const {
    const Entry entry = entryForVisibleItem(item);
    return entry ? rectOfRow(entry->index()) : QRect();
}

bool KivOutlineView::itemIsLastChildOfAncestor(KivOutlineItem item, KivOutlineItem ancestor) const {
    const Entry entry = entryForItem(item);
    const Entry top = entryForItem(ancestor);
    return entryIsLastChildOfAncestor(entry.get(), top.get());
}

bool KivOutlineView::entryIsLastChildOfAncestor(const KivOutlineViewEntry* entry,
                                                const KivOutlineViewEntry* ancestor) const {
    if (!entry || !ancestor || entry->parents().empty()) {
        return false;
    }
    const KivOutlineViewEntry* reached = ancestor;
    while (reached->expanded() && reached->children() && !reached->children()->empty()) {
        reached = reached->children()->back().get();
    }
    return reached == entry;
}

QRect KivOutlineView::rectOfRow(int row) const {
    const qreal h = rowHeight();
    return QRect(0, static_cast<int>(row * h), width(), static_cast<int>(h));
}

int KivOutlineView::rowAtPoint(QPointF point) const {
    return std::max(0, static_cast<int>(std::floor(point.y() / rowHeight())));
}

QRect KivOutlineView::visibleRect() const {
    if (QAbstractScrollArea* area = scrollArea()) {
        return QRect(-pos(), area->viewport()->size()).intersected(rect());
    }
    return rect();
}

#include "tabbar/TavTabDragAssistant.h"

#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "foundation/KivLog.h"
#include "foundation/MainRunLoop.h"
#include "foundation/NotificationCenter.h"
#include "tabbar/TavOverflowPopUpButton.h"
#include "tabbar/TavRolloverButton.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"
#include "tabbar/TavTabDragWindowController.h"
#include "tabbar/TavTabStyle.h"
#include "tabbar/TavTearOffProxyWindow.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

// Below this the fades take two alphas as equal, so a sum of steps ends them.
constexpr double kAlphaTolerance = 1e-6;

bool isVertical(const TavTabBarControl& bar) {
    return bar.orientation() == TavTabBarControl::kVertical;
}

void forget(std::vector<QPointer<TavTabBarControl>>& bars, const TavTabBarControl* bar) {
    std::erase_if(bars, [bar](const auto& each) { return each.isNull() || each == bar; });
}

bool contains(const std::vector<QPointer<TavTabBarControl>>& bars, const TavTabBarControl* bar) {
    return std::any_of(bars.begin(), bars.end(), [bar](const auto& each) { return each == bar; });
}

// A bar under a drag shows only its tabs; its next relayout brings the
// buttons back as its layout decides.
void hideButtons(TavTabBarControl& bar) {
    bar.overflowPopUpButton()->hide();
    bar.addTabButton()->hide();
}

} // namespace

TavTabDragAssistant& TavTabDragAssistant::sharedDragAssistant() {
    static TavTabDragAssistant assistant;
    return assistant;
}

TavTabDragAssistant::TavTabDragAssistant() {
    _sineCurveWidths.reserve(kSteps);
}

TavTabDragAssistant::~TavTabDragAssistant() = default;

void TavTabDragAssistant::registerTabBar(TavTabBarControl& bar) {
    // A new window opens in front of the others.
    if (!contains(_registeredTabBars, &bar)) {
        _registeredTabBars.emplace(_registeredTabBars.begin(), &bar);
    }
}

void TavTabDragAssistant::tabBarWindowActivated(TavTabBarControl& bar) {
    if (contains(_registeredTabBars, &bar)) {
        forget(_registeredTabBars, &bar);
        _registeredTabBars.emplace(_registeredTabBars.begin(), &bar);
    }
}

void TavTabDragAssistant::removeTabBar(TavTabBarControl& bar) {
    if (_isDragging && _sourceTabBar == &bar) {
        // The bar that holds the mouse goes: no release will end the drag.
        NotificationCenter::defaultCenter().post(kDidEndNotification);
        finishDrag();
    }
    forget(_registeredTabBars, &bar);
    forget(_participatingTabBars, &bar);
    if (_destinationTabBar == &bar) {
        _destinationTabBar = nullptr;
        _targetCell = nullptr;
    }
}

TavTabBarControl* TavTabDragAssistant::tabBarAtGlobalPoint(const QPointF& global) const {
    const QPoint at = global.toPoint();
    // The windows under the point; the window hidden while its lone tab is
    // dragged out of it is not there for the user.
    std::vector<TavTabBarControl*> under;
    for (const auto& bar : _registeredTabBars) {
        if (bar && bar->isVisible() && bar->window() != _transparentSourceWindow &&
            bar->window()->frameGeometry().contains(at)) {
            under.push_back(bar);
        }
    }
    if (under.empty()) {
        return nullptr;
    }
    // Only the window in front takes the drag: the one the windowing system
    // names at the point, else (a drag window in the way, or a system that
    // cannot tell) the one opened or activated last.
    TavTabBarControl* front = under.front();
    if (under.size() > 1) {
        const QWindow* top = QGuiApplication::topLevelAt(at);
        const auto named = std::find_if(under.begin(), under.end(), [top](const auto* bar) {
            return top && bar->window()->windowHandle() == top;
        });
        if (named != under.end()) {
            front = *named;
        }
    }
    return front->rect().contains(front->mapFromGlobal(global).toPoint()) ? front : nullptr;
}

std::vector<int> TavTabDragAssistant::sineCurveWidthsForCell(const TavTabBarCell& cell) {
    const bool vertical = isVertical(cell.controlView());
    const double size = vertical ? cell.frame().height() + 1.0 : cell.frame().width() + 6.0;
    std::vector<int> widths;
    widths.reserve(kSteps);
    for (int i = 0; i < kSteps - 1; ++i) {
        widths.push_back(static_cast<int>(
            size - (std::sin(i * 0.125 * 3.1417 + 1.57085) * size * 0.5 + 0.5 * size)));
    }
    widths.push_back(static_cast<int>(vertical ? cell.frame().height() : cell.frame().width()));
    return widths;
}

void TavTabDragAssistant::startDraggingCell(TavTabBarCell& cell, TavTabBarControl& bar,
                                            const QPointF& mouseDown) {
    KivTabView* tabView = bar.tabView();
    const int index = bar.indexOfCell(&cell);
    if (_isDragging || !tabView || index < 0 || !cell.representedObject()) {
        return;
    }
    // The tab's image is taken while the bar still shows it.
    const QImage image = cell.dragImage();
    const QPointF imageOrigin =
        bar.mapToGlobal(bar.style().dragRectForTabCell(cell, bar.orientation()).topLeft());
    cell.setHighlighted(false);
    cell.setCloseButtonOver(false);
    _isDragging = true;
    _sourceTabBar = &bar;
    _destinationTabBar = &bar;
    _participatingTabBars.emplace_back(&bar);
    _sineCurveWidths = sineCurveWidthsForCell(cell);
    _draggedCellIndex = index;
    _draggedTabIndex = tabView->indexOfTabViewItem(cell.representedObject());
    _currentMouseLoc = mouseDown;
    hideButtons(bar);
    QApplication::setOverrideCursor(Qt::ClosedHandCursor);
    _overridesCursor = true;
    distributePlaceholdersInTabBar(bar, cell);
    _pasteboardString = QString::number(_draggedCellIndex);
    _animationTimer = std::make_unique<QTimer>();
    QObject::connect(_animationTimer.get(), &QTimer::timeout, [this] { animateDrag(); });
    _animationTimer->start(static_cast<int>(kAnimationInterval * 1000.0));
    NotificationCenter::defaultCenter().post(kDidBeginNotification);
    TavTabBarControlDelegate* delegate = bar.delegate();
    KivTabViewItem* item = _draggedCell->representedObject();
    _currentTearOffStyle = bar.tearOffStyle();
    if (delegate && delegate->implementsShouldDropTabViewItem() &&
        delegate->tabViewShouldDropTabViewItem(*tabView, *item, nullptr)) {
        _draggedTab = std::make_unique<TavTabDragWindowController>(
            image, TavTabDragWindow::StyleMask::Borderless, _currentTearOffStyle);
        _dragWindowOffset = imageOrigin - bar.mapToGlobal(mouseDown);
        moveDragWindowTo(bar.mapToGlobal(mouseDown));
        _draggedTab->window().show();
        _draggedTab->window().raise();
    }
}

void TavTabDragAssistant::moveDragWindowTo(const QPointF& global) {
    if (!_draggedTab) {
        return;
    }
    QWidget& window = _draggedTab->window();
    if (!_centersDragWindows) {
        window.move((global + _dragWindowOffset).toPoint());
    } else if (!_draggedTab->isAnimating()) {
        window.move((global - QPointF(window.width(), window.height()) / 2).toPoint());
    }
    placeDraggedView();
}

void TavTabDragAssistant::placeDraggedView() {
    if (!_draggedView || !_draggedTab) {
        return;
    }
    const QWidget& tab = _draggedTab->window();
    _draggedView->window().move(
        (QPointF(tab.pos()) +
         QPointF(-_draggedViewOffset.x(), tab.height() - _draggedViewOffset.y()))
            .toPoint());
}

QImage TavTabDragAssistant::imageForViewOfCell(TavTabBarControl& bar, TavTabBarCell& cell,
                                               TavTabDragWindow::StyleMask& styleMask) {
    styleMask = TavTabDragWindow::StyleMask::Borderless;
    _draggedViewOffset = QPointF();
    KivTabView* tabView = bar.tabView();
    KivTabViewItem* item = cell.representedObject();
    TavTabBarControlDelegate* delegate = bar.delegate();
    QImage image;
    if (delegate && tabView && item) {
        image =
            delegate->tabViewImageForTabViewItem(*tabView, *item, _draggedViewOffset, styleMask);
    }
    if (image.isNull()) {
        KivTabViewItem* selected = tabView ? tabView->selectedTabViewItem() : nullptr;
        QWidget* page = selected && selected->view() ? selected->view() : tabView;
        return page ? page->grab().toImage() : QImage();
    }
    // The tab is drawn where the window shows it, so both windows show one
    // tab in one place.
    const QImage& tab = _draggedTab->image();
    const QSizeF tabSize = tab.deviceIndependentSize();
    QPainter painter(&image);
    if (!isVertical(bar)) {
        const double cellHeight = bar.style().tabCellHeight();
        painter.drawImage(QPointF(_draggedViewOffset.x(), _draggedViewOffset.y() - cellHeight),
                          tab);
        _draggedViewOffset.ry() -= cellHeight - tabSize.height();
    } else {
        painter.drawImage(QPointF(_draggedViewOffset.x() + bar.width() - tabSize.width(),
                                  _draggedViewOffset.y() - tabSize.height()),
                          tab);
    }
    if (styleMask != TavTabDragWindow::StyleMask::Borderless) {
        _draggedViewOffset.ry() += TavTabDragWindow::kTitleBarHeight;
    }
    return image;
}

void TavTabDragAssistant::startFade(bool in) {
    stopFade();
    _fadeTimer = MainRunLoop::scheduler().scheduleRepeating(
        kAnimationInterval, [this, in] { in ? fadeInDragWindow() : fadeOutDragWindow(); });
}

void TavTabDragAssistant::stopFade() {
    if (_fadeTimer) {
        MainRunLoop::scheduler().cancel(*_fadeTimer);
        _fadeTimer.reset();
    }
}

void TavTabDragAssistant::fadeInDragWindow() {
    constexpr double full = TavTabDragWindowController::kAlpha;
    if (_draggedView && _draggedTab && _draggedView->alpha() < full - kAlphaTolerance) {
        _draggedTab->setAlpha(std::max(0.0, _draggedTab->alpha() - kFadeStep));
        _draggedView->setAlpha(std::min(full, _draggedView->alpha() + kFadeStep));
        return;
    }
    stopFade();
}

void TavTabDragAssistant::fadeOutDragWindow() {
    constexpr double full = TavTabDragWindowController::kAlpha;
    if (_draggedView && _draggedView->alpha() > kAlphaTolerance) {
        if (_draggedTab && _draggedTab->alpha() < full - kAlphaTolerance) {
            _draggedTab->setAlpha(std::min(full, _draggedTab->alpha() + kFadeStep));
        }
        _draggedView->setAlpha(std::max(0.0, _draggedView->alpha() - kFadeStep));
        return;
    }
    if (_draggedView) {
        _draggedView->setAlpha(0.0);
    }
    if (_draggedTab) {
        _draggedTab->setAlpha(full);
    }
    stopFade();
}

QImage TavTabDragAssistant::windowImageOfTabBar(const TavTabBarControl& bar) {
    const QImage image = bar.window()->grab().toImage();
    return image.scaled(kWindowImageSize, kWindowImageSize, Qt::KeepAspectRatio,
                        Qt::SmoothTransformation);
}

void TavTabDragAssistant::mouseMovedTo(const QPointF& global) {
    if (!_isDragging) {
        return;
    }
    TavTabBarControl* bar = tabBarAtGlobalPoint(global);
    if (bar && !acceptsDragInTabBar(*bar)) {
        bar = nullptr;
    }
    if (_destinationTabBar && _destinationTabBar != bar) {
        draggingExitedTabBar(*_destinationTabBar);
    }
    if (bar) {
        const QPointF point = bar->mapFromGlobal(global);
        if (_destinationTabBar == bar) {
            draggingUpdatedInTabBar(*bar, point);
        } else {
            draggingEnteredTabBar(*bar, point);
        }
    }
    moveDragWindowTo(global);
}

void TavTabDragAssistant::mouseReleasedAt(const QPointF& global) {
    if (!_isDragging) {
        return;
    }
    mouseMovedTo(global);
    if (_destinationTabBar) {
        performDragOperation();
    } else {
        draggedImageEndedAt(global);
    }
}

bool TavTabDragAssistant::acceptsDragInTabBar(TavTabBarControl& bar) const {
    if (!_isDragging || !_sourceTabBar || !_draggedCell) {
        return false;
    }
    TavTabBarControlDelegate* delegate = bar.delegate();
    KivTabView* source = _sourceTabBar->tabView();
    KivTabViewItem* item = _draggedCell->representedObject();
    if (!delegate || !delegate->implementsShouldDropTabViewItem()) {
        // Without the operation a bar only takes its own tab back.
        return &bar == _sourceTabBar;
    }
    return source && item && delegate->tabViewShouldDropTabViewItem(*source, *item, &bar);
}

void TavTabDragAssistant::draggingEnteredTabBar(TavTabBarControl& bar, const QPointF& point) {
    // Back from outside every bar: the window image turns back into the tab.
    if (_draggedTab && _currentTearOffStyle == 1 && !_destinationTabBar &&
        _draggedTab->isShowingAlternate()) {
        _draggedTab->switchImages();
    }
    _destinationTabBar = &bar;
    _currentMouseLoc = point;
    hideButtons(bar);
    const auto& cells = bar.cells();
    if (cells.empty() || !cells.front()->isPlaceholder()) {
        distributePlaceholdersInTabBar(bar);
    }
    if (!contains(_participatingTabBars, &bar)) {
        _participatingTabBars.emplace_back(&bar);
    }
    if (_currentTearOffStyle == 0 && _draggedView) {
        stopFade();
        _draggedTab->window().raise();
        startFade(false);
    }
}

void TavTabDragAssistant::draggingUpdatedInTabBar(TavTabBarControl& bar, const QPointF& point) {
    if (_destinationTabBar != &bar) {
        _destinationTabBar = &bar;
    }
    _currentMouseLoc = point;
}

void TavTabDragAssistant::draggingExitedTabBar(TavTabBarControl& bar) {
    TavTabBarControlDelegate* delegate = bar.delegate();
    KivTabView* tabView = bar.tabView();
    if (delegate && tabView && _draggedCell && _draggedCell->representedObject() &&
        !delegate->tabViewShouldAllowTabViewItemToLeaveTabBar(
            *tabView, *_draggedCell->representedObject(), bar)) {
        return;
    }
    _destinationTabBar = nullptr;
    _currentMouseLoc = QPointF(-1, -1);
    if (_fadeTimer) {
        startFade(true);
        return;
    }
    if (!_draggedTab) {
        return;
    }
    if (_currentTearOffStyle == 1) {
        // Outside every bar the tab shows what a drop there makes: a window.
        if (_draggedTab->alternateImage().isNull() && bar.window()) {
            _draggedTab->setAlternateImage(windowImageOfTabBar(bar));
        }
    } else {
        if (!_draggedView) {
            TavTabDragWindow::StyleMask styleMask;
            const QImage image = imageForViewOfCell(bar, *_draggedCell, styleMask);
            _draggedView = std::make_unique<TavTabDragWindowController>(image, styleMask, 0);
            _draggedView->setAlpha(0.0);
        }
        placeDraggedView();
        _draggedView->window().show();
        _draggedTab->window().raise();
    }
    // The lone tab leaving its window takes the window along: the window
    // itself goes, and the tab (and its content) stays as it is.
    KivTabView* sourceView = _sourceTabBar ? _sourceTabBar->tabView() : nullptr;
    TavTabBarControlDelegate* sourceDelegate = _sourceTabBar ? _sourceTabBar->delegate() : nullptr;
    if (&bar == _sourceTabBar && sourceView && sourceView->numberOfTabViewItems() == 1 &&
        sourceDelegate && sourceDelegate->implementsNewTabBarForDraggedTabViewItem()) {
        _transparentSourceWindow = bar.window();
        _transparentSourceWindow->setWindowOpacity(0.0);
        if (_currentTearOffStyle == 0) {
            _draggedView->setAlpha(TavTabDragWindowController::kAlpha);
        }
        return;
    }
    if (_currentTearOffStyle == 1) {
        if (!_draggedTab->isShowingAlternate()) {
            _draggedTab->switchImages();
        }
        _centersDragWindows = true;
    } else {
        startFade(true);
    }
}

void TavTabDragAssistant::animateDrag() {
    const auto bars = _participatingTabBars;
    for (const auto& bar : bars) {
        if (bar) {
            calculateDragAnimationForTabBar(*bar);
            bar->update();
        }
    }
    forget(_participatingTabBars, nullptr);
}

void TavTabDragAssistant::calculateDragAnimationForTabBar(TavTabBarControl& bar) {
    const bool vertical = isVertical(bar);
    bool removeFlag = true;
    const auto& cells = bar.cells();
    const QRectF generic = bar.genericCellRect();
    double position = vertical ? generic.y() : generic.x();
    if (&bar != _destinationTabBar) {
        _targetCell = nullptr;
    } else {
        removeFlag = false;
        const double along = vertical ? _currentMouseLoc.y() : _currentMouseLoc.x();
        QRectF frame;
        TavTabBarCell* over = bar.cellForPoint(_currentMouseLoc, &frame);
        if (along < position) {
            _targetCell = cells.empty() ? nullptr : cells.front().get();
        } else if (!over) {
            _targetCell = bar.lastVisibleTab();
        } else if (over->isPlaceholder()) {
            _targetCell = over;
        } else {
            const int index = bar.indexOfCell(over);
            const double middle =
                vertical ? frame.y() + frame.height() * 0.5 : frame.x() + frame.width() * 0.5;
            const int target = along < middle ? index - 1 : index + 1;
            _targetCell = target >= 0 && target < static_cast<int>(cells.size())
                              ? cells[static_cast<size_t>(target)].get()
                              : nullptr;
        }
    }
    for (const auto& cell : cells) {
        if (cell->isInOverflowMenu()) {
            break;
        }
        QRectF frame = cell->frame();
        if (cell->isPlaceholder()) {
            cell->setCurrentStep(cell->currentStep() + (cell.get() == _targetCell ? 1 : -1));
            if (cell.get() != _targetCell && cell->currentStep() > 0) {
                removeFlag = false;
            }
            const double size = _sineCurveWidths.empty()
                                    ? 0.0
                                    : _sineCurveWidths[static_cast<size_t>(cell->currentStep())];
            vertical ? frame.setHeight(size) : frame.setWidth(size);
        }
        vertical ? frame.moveTop(position) : frame.moveLeft(position);
        cell->setFrame(frame);
        position += vertical ? frame.height() : frame.width();
    }
    if (removeFlag) {
        forget(_participatingTabBars, &bar);
        removeAllPlaceholdersFromTabBar(bar);
    }
}

void TavTabDragAssistant::distributePlaceholdersInTabBar(TavTabBarControl& bar) {
    const int visible = bar.numberOfVisibleTabs();
    QRectF frame = _draggedCell ? _draggedCell->frame() : bar.genericCellRect();
    for (int i = 0; i <= visible; ++i) {
        bar.insertCell(2 * i, std::make_unique<TavTabBarCell>(frame, false, bar));
    }
}

void TavTabDragAssistant::distributePlaceholdersInTabBar(TavTabBarControl& bar,
                                                         TavTabBarCell& dragged) {
    const QRectF frame = dragged.frame();
    distributePlaceholdersInTabBar(bar);
    // The dragged cell's place becomes an open gap between the tabs beside it.
    const int k = bar.indexOfCell(&dragged);
    const auto& cells = bar.cells();
    _draggedCell = bar.takeCell(dragged);
    bar.insertCell(k, std::make_unique<TavTabBarCell>(frame, true, bar));
    bar.takeCell(*cells[static_cast<size_t>(k + 1)]);
    bar.takeCell(*cells[static_cast<size_t>(k - 1)]);
    if (k - 2 >= 0) {
        TavTabBarCell& left = *cells[static_cast<size_t>(k - 2)];
        left.setTabState(left.tabState() & ~TavTabBarCell::kRightSelected);
    }
}

void TavTabDragAssistant::removeAllPlaceholdersFromTabBar(TavTabBarControl& bar) {
    const auto& cells = bar.cells();
    for (int i = static_cast<int>(cells.size()) - 1; i >= 0; --i) {
        if (cells[static_cast<size_t>(i)]->isPlaceholder()) {
            bar.takeCell(*cells[static_cast<size_t>(i)]);
        }
    }
    bar.relayout(false);
}

void TavTabDragAssistant::performDragOperation() {
    TavTabBarControl* destination = _destinationTabBar;
    TavTabBarControl* source = _sourceTabBar;
    if (!_isDragging || !destination || !source || !_draggedCell) {
        return;
    }
    KivTabViewItem* item = _draggedCell->representedObject();
    KivTabView* sourceView = source->tabView();
    KivTabView* destinationView = destination->tabView();
    const auto& cells = destination->cells();
    int k = destination->indexOfCell(_targetCell);
    // A drop must never take a real tab's place: without a live target it
    // goes to the closing placeholder, before any overflow tabs.
    if (k < 0 || !cells[static_cast<size_t>(k)]->isPlaceholder()) {
        k = -1;
        for (int i = static_cast<int>(cells.size()) - 1; i >= 0; --i) {
            const auto& cell = cells[static_cast<size_t>(i)];
            if (cell->isPlaceholder()) {
                k = i;
                break;
            }
        }
    }
    int m = 0;
    for (int i = 0; i < k; ++i) {
        if (!cells[static_cast<size_t>(i)]->isPlaceholder()) {
            ++m;
        }
    }
    if (destination == source) {
        destination->insertCell(k < 0 ? static_cast<int>(cells.size()) : k,
                                std::move(_draggedCell));
        if (k >= 0) {
            destination->takeCell(*cells[static_cast<size_t>(k) + 1]);
        }
        removeAllPlaceholdersFromTabBar(*destination);
        if (sourceView && item && sourceView->indexOfTabViewItem(item) != m) {
            KivTabViewDelegate* delegate = sourceView->delegate();
            sourceView->setDelegate(nullptr);
            sourceView->moveTabViewItem(*item, m);
            sourceView->setDelegate(delegate);
            destination->relayout(false);
            if (TavTabBarControlDelegate* barDelegate = source->delegate()) {
                barDelegate->tabViewDidDropTabViewItem(*sourceView, *item, *destination);
            }
        }
    } else if (sourceView && destinationView && item) {
        removeAllPlaceholdersFromTabBar(*destination);
        removeAllPlaceholdersFromTabBar(*source);
        // The delegate moves the page; the bars follow their tab views. A tab
        // that stays in the source gets its cell back when the drag ends.
        if (TavTabBarControlDelegate* barDelegate = source->delegate()) {
            _dropIndex = m;
            barDelegate->tabViewDidDropTabViewItem(*sourceView, *item, *destination);
            _dropIndex = -1;
        }
        if (sourceView->indexOfTabViewItem(item) < 0) {
            _draggedCell.reset();
        }
    }
    NotificationCenter::defaultCenter().post(kDidEndNotification);
    finishDrag();
}

void TavTabDragAssistant::returnCellToSource() {
    if (!_sourceTabBar || !_draggedCell) {
        return;
    }
    removeAllPlaceholdersFromTabBar(*_sourceTabBar);
    _sourceTabBar->insertCell(_draggedTabIndex, std::move(_draggedCell));
    _sourceTabBar->relayout(false);
}

void TavTabDragAssistant::draggedImageEndedAt(const QPointF& global) {
    if (!_isDragging) {
        return;
    }
    TavTabBarControl* source = _sourceTabBar;
    TavTabBarControlDelegate* delegate = source ? source->delegate() : nullptr;
    KivTabView* sourceView = source ? source->tabView() : nullptr;
    KivTabViewItem* item = _draggedCell ? _draggedCell->representedObject() : nullptr;
    if (delegate && sourceView && item && !_destinationTabBar &&
        delegate->implementsShouldDropTabViewItem() &&
        delegate->tabViewShouldDropTabViewItem(*sourceView, *item, nullptr) &&
        delegate->implementsNewTabBarForDraggedTabViewItem()) {
        returnCellToSource();
        TavTabBarControl* bar =
            delegate->tabViewNewTabBarForDraggedTabViewItem(*sourceView, *item, global);
        if (!bar) {
            logLine("Delegate returned no control to add to.");
        } else {
            delegate->tabViewDidDropTabViewItem(*sourceView, *item, *bar);
            if (QWidget* window = bar->window(); window && _currentTearOffStyle != 0) {
                TavTearOffProxyWindow::expandWindow(*window, global);
            } else if (window) {
                window->show();
                window->raise();
                window->activateWindow();
            }
        }
    } else {
        returnCellToSource();
    }
    NotificationCenter::defaultCenter().post(kDidEndNotification);
    finishDrag();
}

void TavTabDragAssistant::finishDrag() {
    TavTabBarControl* source = _sourceTabBar;
    KivTabView* sourceView = source ? source->tabView() : nullptr;
    if (source && _draggedCell) {
        returnCellToSource();
    }
    _isDragging = false;
    if (source) {
        removeAllPlaceholdersFromTabBar(*source);
    }
    _sourceTabBar = nullptr;
    _destinationTabBar = nullptr;
    for (const auto& bar : _participatingTabBars) {
        if (bar) {
            removeAllPlaceholdersFromTabBar(*bar);
        }
    }
    _participatingTabBars.clear();
    _draggedCell.reset();
    _animationTimer.reset();
    stopFade();
    _draggedView.reset();
    _draggedTab.reset();
    _centersDragWindows = false;
    _sineCurveWidths.clear();
    _targetCell = nullptr;
    _pasteboardString.clear();
    if (_overridesCursor) {
        _overridesCursor = false;
        QApplication::restoreOverrideCursor();
    }
    if (source && sourceView && sourceView->numberOfTabViewItems() == 0 && source->delegate()) {
        source->delegate()->tabViewCloseWindowForLastTabViewItem(*sourceView);
    }
    // After the close, so a window that goes never shows again.
    if (_transparentSourceWindow) {
        _transparentSourceWindow->setWindowOpacity(1.0);
        _transparentSourceWindow = nullptr;
    }
}

#include "tabbar/TavTabBarControl.h"

#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "tabbar/TavMetalTabStyle.h"
#include "tabbar/TavOverflowPopUpButton.h"
#include "tabbar/TavProgressIndicator.h"
#include "tabbar/TavRolloverButton.h"
#include "tabbar/TavTabBarActions.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarCells.h"
#include "tabbar/TavTabBarControlDelegate.h"
#include "tabbar/TavTabBarController.h"
#include "tabbar/TavTabBarDropTarget.h"
#include "tabbar/TavTabBarItemSync.h"
#include "tabbar/TavTabBarMotion.h"
#include "tabbar/TavTabBarMouse.h"
#include "tabbar/TavTabDragAssistant.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TavTabBarControl::TavTabBarControl(QWidget* parent)
    : QWidget(parent)
    , _overflowPopUpButton(new TavOverflowPopUpButton(this))
    , _addTabButton(new TavRolloverButton(this))
    , _controller(std::make_unique<TavTabBarController>(*this))
    , _style(std::make_unique<TavMetalTabStyle>())
    , _motion(std::make_unique<TavTabBarMotion>(*this))
    , _mouse(std::make_unique<TavTabBarMouse>(*this))
    , _dropTarget(std::make_unique<TavTabBarDropTarget>(*this))
    , _itemSync(std::make_unique<TavTabBarItemSync>(*this, _cells))
    , _actions(std::make_unique<TavTabBarActions>(*this)) {
    setObjectName(QStringLiteral("tabBar"));
    setMouseTracking(true);
    setAcceptDrops(true);
    _motion->setBarHeight(static_cast<int>(_style->tabCellHeight()));
    _overflowPopUpButton->setObjectName(QStringLiteral("overflowPopUpButton"));
    _overflowPopUpButton->hide();
    positionOverflowMenu();
    _addTabButton->setObjectName(QStringLiteral("addTabButton"));
    _addTabButton->setGeometry(
        static_cast<int>(width() - _style->rightMarginForTabBarControl() + 1.0), 3, 16, 16);
    _addTabButton->setUsualImage(_style->addTabButtonImage());
    _addTabButton->setAlternateImage(_style->addTabButtonPressedImage());
    _addTabButton->setRolloverImage(_style->addTabButtonRolloverImage());
    _addTabButton->setVisible(_showAddTabButton);
}

TavTabBarControl::~TavTabBarControl() {
    _dropTarget->cancelSpring();
    _motion->stop();
    if (_tabView && _tabView->delegate() == this) {
        _tabView->setDelegate(nullptr);
    }
    _cells.clear();
}

void TavTabBarControl::setTabView(KivTabView* tabView) {
    if (_tabView && _tabView->delegate() == this) {
        _tabView->setDelegate(nullptr);
    }
    _tabView = tabView;
    if (_tabView) {
        _tabView->setDelegate(this);
    }
}

void TavTabBarControl::setStyle(std::unique_ptr<TavTabStyle> style) {
    if (!style || style.get() == _style.get()) {
        return;
    }
    _style = std::move(style);
    if (QImage image = _style->addTabButtonImage(); !image.isNull()) {
        _addTabButton->setUsualImage(image);
    }
    if (QImage image = _style->addTabButtonPressedImage(); !image.isNull()) {
        _addTabButton->setAlternateImage(image);
    }
    if (QImage image = _style->addTabButtonRolloverImage(); !image.isNull()) {
        _addTabButton->setRolloverImage(image);
    }
    relayout();
}

void TavTabBarControl::setStyleNamed(const QString&) {
    setStyle(std::make_unique<TavMetalTabStyle>());
}

QString TavTabBarControl::styleName() const {
    return _style->name();
}

void TavTabBarControl::setCanCloseOnlyTab(bool value) {
    _canCloseOnlyTab = value;
    if (_cells.size() == 1) {
        relayout();
    }
}

void TavTabBarControl::setDisableTabClose(bool value) {
    _disableTabClose = value;
    relayout();
}

void TavTabBarControl::setHideForSingleTab(bool value) {
    _hideForSingleTab = value;
    relayout();
}

void TavTabBarControl::setShowAddTabButton(bool value) {
    _showAddTabButton = value;
    if (!_controller->addButtonRect().isEmpty()) {
        _addTabButton->setGeometry(_controller->addButtonRect().toRect());
    }
    _addTabButton->setVisible(value);
    relayout();
}

void TavTabBarControl::setCellMinWidth(int value) {
    _cellMinWidth = value;
    relayout();
}

void TavTabBarControl::setCellMaxWidth(int value) {
    _cellMaxWidth = value;
    relayout();
}

void TavTabBarControl::setCellOptimumWidth(int value) {
    _cellOptimumWidth = value;
    relayout();
}

void TavTabBarControl::setSizeCellsToFit(bool value) {
    _sizeCellsToFit = value;
    relayout();
}

void TavTabBarControl::setUseOverflowMenu(bool value) {
    _useOverflowMenu = value;
    relayout();
}

void TavTabBarControl::setOrientation(int orientation) {
    if (orientation == _orientation) {
        return;
    }
    _orientation = orientation;
    _style->setOrientation(orientation);
    positionOverflowMenu();
    relayout(false);
}

bool TavTabBarControl::isAnimating() const {
    return _motion->isAnimating();
}

bool TavTabBarControl::isInMainWindow() const {
    return window() && window()->isActiveWindow();
}

void TavTabBarControl::relayout() {
    relayout(_automaticallyAnimates);
}

void TavTabBarControl::relayout(bool animate) {
    const int items = _tabView ? _tabView->numberOfTabViewItems() : 0;
    if (items != static_cast<int>(_cells.size())) {
        return;
    }
    if (_hideForSingleTab && _cells.size() <= 1) {
        hideTabBar(true);
        return;
    }
    hideTabBar(false);
    _controller->layoutCells();
    QMenu* menu = _controller->overflowMenu();
    _overflowPopUpButton->setVisible(menu != nullptr);
    _overflowPopUpButton->setMenu(menu);

    std::vector<QRectF> targets;
    for (std::size_t i = 0; i < _cells.size(); ++i) {
        targets.push_back(_controller->cellFrameAtIndex(static_cast<int>(i)));
    }
    _motion->moveCells(targets, animate);
}

void TavTabBarControl::hideTabBar(bool hide) {
    _motion->hide(hide);
}

bool TavTabBarControl::isTabBarHidden() const {
    return _motion->isHidden();
}

double TavTabBarControl::springDelay() const {
    return _dropTarget->springDelay();
}

void TavTabBarControl::setSpringDelay(double seconds) {
    _dropTarget->setSpringDelay(seconds);
}

void TavTabBarControl::positionOverflowMenu() {
    const double right = _style->rightMarginForTabBarControl();
    const double cellHeight = _style->tabCellHeight();
    if (_orientation == kVertical) {
        _overflowPopUpButton->setGeometry(0, static_cast<int>(height() - cellHeight), width(),
                                          static_cast<int>(cellHeight));
    } else {
        _overflowPopUpButton->setGeometry(static_cast<int>(width() - right + 1.0), 0,
                                          static_cast<int>(right - 1.0),
                                          static_cast<int>(cellHeight));
    }
}

void TavTabBarControl::removeTabForCell(TavTabBarCell& cell) {
    _mouse->forgetCell(cell);
    if (!_cells.take(cell)) {
        return;
    }
    relayout();
}

void TavTabBarControl::insertCell(int index, std::unique_ptr<TavTabBarCell> cell) {
    _cells.insert(index, std::move(cell));
}

std::unique_ptr<TavTabBarCell> TavTabBarControl::takeCell(TavTabBarCell& cell) {
    _mouse->forgetCell(cell);
    return _cells.take(cell);
}

TavTabBarCell* TavTabBarControl::cellForPoint(const QPointF& point, QRectF* frame) const {
    if (_orientation == kHorizontal && !genericCellRect().contains(point)) {
        return nullptr;
    }
    TavTabBarCell* cell = _cells.cellAt(point);
    if (cell && frame) {
        *frame = cell->frame();
    }
    return cell;
}

double TavTabBarControl::availableCellWidth() const {
    return width() - _style->leftMarginForTabBarControl() - _style->rightMarginForTabBarControl();
}

QRectF TavTabBarControl::genericCellRect() const {
    return {_style->leftMarginForTabBarControl(), 0, availableCellWidth(), _style->tabCellHeight()};
}

bool TavTabBarControl::tabViewShouldSelectTabViewItem(KivTabView& tabView, KivTabViewItem& item) {
    return !_delegate || _delegate->tabViewShouldSelectTabViewItem(tabView, item);
}

void TavTabBarControl::tabViewWillSelectTabViewItem(KivTabView& tabView, KivTabViewItem& item) {
    if (_delegate) {
        _delegate->tabViewWillSelectTabViewItem(tabView, item);
    }
}

QSize TavTabBarControl::sizeHint() const {
    return {100, height()};
}

void TavTabBarControl::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    _style->drawTabBar(painter, *this, QRectF(event->rect()));
}

void TavTabBarControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    positionOverflowMenu();
    relayout(false);
}

void TavTabBarControl::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!_motion->hasShown()) {
        windowDidUpdate();
    }
}

void TavTabBarControl::windowDidUpdate() {
    _motion->firstShowing();
}

void TavTabBarControl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        QWidget::update();
    }
}

bool TavTabBarControl::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        TavTabDragAssistant::sharedDragAssistant().tabBarWindowActivated(*this);
    }
    if (event->type() == QEvent::ToolTip) {
        _actions->showToolTip(*static_cast<QHelpEvent*>(event));
        return true;
    }
    return QWidget::event(event);
}

void TavTabBarControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    _mouse->pressed(*event);
}

void TavTabBarControl::mouseMoveEvent(QMouseEvent* event) {
    _mouse->moved(*event);
}

void TavTabBarControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    _mouse->released(*event);
}

void TavTabBarControl::contextMenuEvent(QContextMenuEvent* event) {
    if (QMenu* menu = menuForPoint(event->pos())) {
        menu->popup(event->globalPos());
        event->accept();
        return;
    }
    QWidget::contextMenuEvent(event);
}

void TavTabBarControl::leaveEvent(QEvent* event) {
    for (const auto& cell : _cells.all()) {
        cell->trackMouse(std::nullopt);
    }
    QWidget::update();
    QWidget::leaveEvent(event);
}

void TavTabBarControl::dragEnterEvent(QDragEnterEvent* event) {
    _dropTarget->dragEntered(*event);
}

void TavTabBarControl::dragMoveEvent(QDragMoveEvent* event) {
    _dropTarget->dragMoved(*event);
}

void TavTabBarControl::dragLeaveEvent(QDragLeaveEvent* event) {
    _dropTarget->dragLeft();
    QWidget::dragLeaveEvent(event);
}

void TavTabBarControl::dropEvent(QDropEvent* event) {
    _dropTarget->dropped(*event);
}

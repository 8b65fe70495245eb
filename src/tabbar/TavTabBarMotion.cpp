#include "tabbar/TavTabBarMotion.h"

#include "KivUI/views/KivAnimation.h"
#include "tabbar/TavOverflowPopUpButton.h"
#include "tabbar/TavProgressIndicator.h"
#include "tabbar/TavRolloverButton.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"
#include "tabbar/TavTabBarController.h"
#include "tabbar/TavTabStyle.h"

#include <QCursor>

#include <cmath>

TavTabBarMotion::TavTabBarMotion(TavTabBarControl& bar)
    : _bar(bar) {}

TavTabBarMotion::~TavTabBarMotion() = default;

bool TavTabBarMotion::isAnimating() const {
    return _cellAnimation && _cellAnimation->isAnimating();
}

void TavTabBarMotion::stop() {
    _cellAnimation.reset();
    _showHideAnimation.reset();
}

void TavTabBarMotion::moveCells(const std::vector<QRectF>& targets, bool animate) {
    _cellAnimation.reset();
    TavRolloverButton& addTabButton = *_bar.addTabButton();
    if (animate) {
        addTabButton.setVisible(_bar.showAddTabButton());
        _cellAnimation = std::make_unique<KivAnimation>(TavTabBarControl::kCellAnimationDuration,
                                                        KivAnimation::Curve::EaseInOut);
        _cellAnimation->start([this, targets](double progress) { animateCells(progress, targets); },
                              [this, targets] { finishCellAnimation(targets); });
        animateCells(_cellAnimation->currentProgress(), targets);
        return;
    }
    const std::optional<QPointF> mouse = mousePosition();
    const TavTabBarControl::Cells& cells = _bar.cells();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        cells[i]->setFrame(targets[i]);
        if (!cells[i]->isInOverflowMenu()) {
            cells[i]->trackMouse(mouse);
        }
    }
    addTabButton.setGeometry(_bar.controller().addButtonRect().toRect());
    addTabButton.setVisible(_bar.showAddTabButton());
    _bar.update();
}

void TavTabBarMotion::animateCells(double progress, const std::vector<QRectF>& targets) {
    const std::optional<QPointF> mouse = mousePosition();
    const bool vertical = _bar.orientation() == TavTabBarControl::kVertical;
    const TavTabBarControl::Cells& cells = _bar.cells();
    for (std::size_t i = 0; i < cells.size() && i < targets.size(); ++i) {
        TavTabBarCell& cell = *cells[i];
        QRectF frame = cell.frame();
        const QRectF& target = targets[i];
        // Each tick closes that share of the distance left.
        if (vertical) {
            frame.moveTop(frame.y() + (target.y() - frame.y()) * progress);
            frame.setHeight(frame.height() + (target.height() - frame.height()) * progress);
        } else {
            frame.moveLeft(frame.x() + (target.x() - frame.x()) * progress);
            frame.setWidth(frame.width() + (target.width() - frame.width()) * progress);
        }
        cell.setFrame(frame);
        cell.trackMouse(mouse);
    }
    if (_bar.showAddTabButton()) {
        const double x = _bar.addTabButton()->x();
        placeAddTabButton(x + (_bar.controller().addButtonRect().x() - x) * progress);
    }
    _bar.update();
}

void TavTabBarMotion::finishCellAnimation(const std::vector<QRectF>& targets) {
    const std::optional<QPointF> mouse = mousePosition();
    const bool vertical = _bar.orientation() == TavTabBarControl::kVertical;
    const TavTabBarControl::Cells& cells = _bar.cells();
    for (std::size_t i = 0; i < cells.size() && i < targets.size(); ++i) {
        TavTabBarCell& cell = *cells[i];
        QRectF frame = cell.frame();
        if (vertical) {
            frame.moveTop(targets[i].y());
            frame.setHeight(targets[i].height());
        } else {
            frame.moveLeft(targets[i].x());
            frame.setWidth(targets[i].width());
        }
        cell.setFrame(frame);
        if (!cell.isInOverflowMenu()) {
            cell.trackMouse(mouse);
        }
    }
    if (_bar.showAddTabButton()) {
        placeAddTabButton(_bar.controller().addButtonRect().x());
    }
    _bar.update();
}

void TavTabBarMotion::placeAddTabButton(double x) {
    TavRolloverButton& addTabButton = *_bar.addTabButton();
    addTabButton.move(static_cast<int>(x), addTabButton.y());
}

std::optional<QPointF> TavTabBarMotion::mousePosition() const {
    if (!_bar.underMouse()) {
        return std::nullopt;
    }
    return QPointF(_bar.mapFromGlobal(QCursor::pos()));
}

void TavTabBarMotion::hide(bool hide) {
    if (!_awakenedFromNib || hide == _isHidden) {
        return;
    }
    _isHidden = hide;
    for (const auto& cell : _bar.cells()) {
        if (cell->indicator()) {
            cell->indicator()->stopAnimation();
        }
    }
    if (hide) {
        _bar.overflowPopUpButton()->hide();
        _bar.addTabButton()->hide();
    }
    const int from = _bar.height();
    const int to =
        static_cast<int>(_bar.style().tabCellHeight()) - (hide ? TavTabBarControl::kCollapse : 0);
    _showHideAnimation = std::make_unique<KivAnimation>(TavTabBarControl::kCollapseDuration,
                                                        KivAnimation::Curve::Linear);
    _showHideAnimation->start([this, from, to](double progress) {
        setBarHeight(from + static_cast<int>(std::lround((to - from) * progress)));
    });
}

void TavTabBarMotion::setBarHeight(int height) {
    _bar.setFixedHeight(height);
    _bar.update();
}

void TavTabBarMotion::firstShowing() {
    if (_bar.hideForSingleTab() && _bar.cells().size() <= 1 && !_awakenedFromNib) {
        setBarHeight(static_cast<int>(_bar.style().tabCellHeight()) - TavTabBarControl::kCollapse);
        _isHidden = true;
        _bar.overflowPopUpButton()->hide();
        _bar.addTabButton()->hide();
        if (_bar.delegate() && _bar.tabView()) {
            _bar.delegate()->tabViewTabBarDidHide(*_bar.tabView(), _bar);
        }
    }
    _awakenedFromNib = true;
    _bar.update();
}

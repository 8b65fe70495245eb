#include "tabbar/TavTabDragAnimation.h"

#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"

#include <cmath>

using TavTabBarList::contains;
using TavTabBarList::forget;

namespace {

bool isVertical(const TavTabBarControl& bar) {
    return bar.orientation() == TavTabBarControl::kVertical;
}

} // namespace

TavTabDragAnimation::TavTabDragAnimation() {
    _sineCurveWidths.reserve(TavTabDragAssistant::kSteps);
}

std::vector<int> TavTabDragAnimation::sineCurveWidthsForCell(const TavTabBarCell& cell) {
    constexpr int steps = TavTabDragAssistant::kSteps;
    const bool vertical = isVertical(cell.controlView());
    const double size = vertical ? cell.frame().height() + 1.0 : cell.frame().width() + 6.0;
    std::vector<int> widths;
    widths.reserve(steps);
    for (int i = 0; i < steps - 1; ++i) {
        widths.push_back(static_cast<int>(
            size - (std::sin(i * 0.125 * 3.1417 + 1.57085) * size * 0.5 + 0.5 * size)));
    }
    widths.push_back(static_cast<int>(vertical ? cell.frame().height() : cell.frame().width()));
    return widths;
}

std::unique_ptr<TavTabBarCell> TavTabDragAnimation::beginOnCell(TavTabBarControl& bar,
                                                                TavTabBarCell& cell,
                                                                const TavTabBarCell* dragged) {
    _participatingTabBars.emplace_back(&bar);
    _sineCurveWidths = sineCurveWidthsForCell(cell);
    const QRectF frame = cell.frame();
    distributePlaceholdersInTabBar(bar, dragged);
    // The dragged cell's place becomes an open gap between the tabs beside it.
    const int k = bar.indexOfCell(&cell);
    const auto& cells = bar.cells();
    std::unique_ptr<TavTabBarCell> taken = bar.takeCell(cell);
    bar.insertCell(k, std::make_unique<TavTabBarCell>(frame, true, bar));
    bar.takeCell(*cells[static_cast<size_t>(k + 1)]);
    bar.takeCell(*cells[static_cast<size_t>(k - 1)]);
    if (k - 2 >= 0) {
        TavTabBarCell& left = *cells[static_cast<size_t>(k - 2)];
        left.setTabState(left.tabState() & ~TavTabBarCell::kRightSelected);
    }
    return taken;
}

void TavTabDragAnimation::enterTabBar(TavTabBarControl& bar, const TavTabBarCell* dragged) {
    const auto& cells = bar.cells();
    if (cells.empty() || !cells.front()->isPlaceholder()) {
        distributePlaceholdersInTabBar(bar, dragged);
    }
    if (!contains(_participatingTabBars, &bar)) {
        _participatingTabBars.emplace_back(&bar);
    }
}

void TavTabDragAnimation::distributePlaceholdersInTabBar(TavTabBarControl& bar,
                                                         const TavTabBarCell* dragged) {
    const int visible = bar.numberOfVisibleTabs();
    QRectF frame = dragged ? dragged->frame() : bar.genericCellRect();
    for (int i = 0; i <= visible; ++i) {
        bar.insertCell(2 * i, std::make_unique<TavTabBarCell>(frame, false, bar));
    }
}

void TavTabDragAnimation::animate(const TavTabBarControl* destination, const QPointF& point) {
    const auto bars = _participatingTabBars;
    for (const auto& bar : bars) {
        if (bar) {
            calculateDragAnimationForTabBar(*bar, destination, point);
            bar->update();
        }
    }
    forget(_participatingTabBars, nullptr);
}

void TavTabDragAnimation::calculateDragAnimationForTabBar(TavTabBarControl& bar,
                                                          const TavTabBarControl* destination,
                                                          const QPointF& point) {
    const bool vertical = isVertical(bar);
    bool removeFlag = true;
    const auto& cells = bar.cells();
    const QRectF generic = bar.genericCellRect();
    double position = vertical ? generic.y() : generic.x();
    if (&bar != destination) {
        _targetCell = nullptr;
    } else {
        removeFlag = false;
        const double along = vertical ? point.y() : point.x();
        QRectF frame;
        TavTabBarCell* over = bar.cellForPoint(point, &frame);
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

void TavTabDragAnimation::removeAllPlaceholdersFromTabBar(TavTabBarControl& bar) {
    const auto& cells = bar.cells();
    for (int i = static_cast<int>(cells.size()) - 1; i >= 0; --i) {
        if (cells[static_cast<size_t>(i)]->isPlaceholder()) {
            bar.takeCell(*cells[static_cast<size_t>(i)]);
        }
    }
    bar.relayout(false);
}

void TavTabDragAnimation::forgetTabBar(const TavTabBarControl& bar) {
    forget(_participatingTabBars, &bar);
}

void TavTabDragAnimation::end() {
    for (const auto& bar : _participatingTabBars) {
        if (bar) {
            removeAllPlaceholdersFromTabBar(*bar);
        }
    }
    _participatingTabBars.clear();
    _sineCurveWidths.clear();
    _targetCell = nullptr;
}

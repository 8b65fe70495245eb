#include "tabbar/TavTabBarController.h"

#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "foundation/KivLog.h"
#include "tabbar/AITruncation.h"
#include "tabbar/TavRolloverButton.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"

#include <QMenu>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

constexpr int kOverflowTitleLength = 60;

// Gives the leftover to the first `count` widths, the last served first, so
// the first absorbs the remainder and the sum grows by exactly `leftover`.
void distribute(std::vector<double>& widths, std::size_t count, int leftover) {
    for (std::size_t j = count; j >= 1; --j) {
        const int amount = leftover / static_cast<int>(j);
        widths[j - 1] = static_cast<int>(widths[j - 1]) + amount;
        leftover -= amount;
    }
}

int integerSum(const std::vector<double>& widths) {
    return std::accumulate(widths.begin(), widths.end(), 0,
                           [](int sum, double width) { return sum + static_cast<int>(width); });
}

QRectF stored(const std::vector<QRectF>& rects, int index, const char* name) {
    if (index < 0 || index >= static_cast<int>(rects.size())) {
        logFormat("%s: Invalid index (%ld)", name, static_cast<long>(index));
        return {};
    }
    return rects[static_cast<std::size_t>(index)];
}

} // namespace

TavTabBarController::TavTabBarController(TavTabBarControl& control)
    : _control(control) {}

TavTabBarController::~TavTabBarController() = default;

void TavTabBarController::layoutCells() {
    const Cells& cells = _control.cells();
    const int items = _control.tabView() ? _control.tabView()->numberOfTabViewItems() : 0;
    if (static_cast<int>(cells.size()) != items) {
        return;
    }
    _cellTrackingRects.clear();
    _closeButtonTrackingRects.clear();
    _cellFrames.clear();
    const std::vector<double> widths = generateWidthsFromCells(cells);
    setupCells(cells, widths);

    const QRectF generic = _control.genericCellRect();
    const QSizeF button =
        _control.addTabButton() ? QSizeF(_control.addTabButton()->size()) : QSizeF();
    if (_control.orientation() == TavTabBarControl::kVertical) {
        _addButtonRect = QRectF(0, widths.empty() ? generic.y() : widths.back(), button.width(),
                                button.height());
    } else {
        const double sum = std::accumulate(widths.begin(), widths.end(), 0.0);
        _addButtonRect = QRectF(generic.x() + sum + 2.0, 3.0, button.width(), button.height());
    }
}

QRectF TavTabBarController::cellTrackingRectAtIndex(int index) const {
    return stored(_cellTrackingRects, index, "cellTrackingRectAtIndex");
}

QRectF TavTabBarController::closeButtonTrackingRectAtIndex(int index) const {
    return stored(_closeButtonTrackingRects, index, "closeButtonTrackingRectAtIndex");
}

QRectF TavTabBarController::cellFrameAtIndex(int index) const {
    return stored(_cellFrames, index, "cellFrameAtIndex");
}

std::vector<double> TavTabBarController::generateWidthsFromCells(const Cells& cells) {
    const std::size_t n = cells.size();
    double available = _control.availableCellWidth();
    if (_control.showAddTabButton()) {
        available -= _addButtonRect.width();
    }
    const bool vertical = _control.orientation() == TavTabBarControl::kVertical;
    const int minimum = _control.cellMinWidth();
    TavTabBarControlDelegate* delegate = _control.delegate();
    KivTabView* tabView = _control.tabView();

    std::vector<double> widths;
    std::size_t visible = 0;
    double total = 0.0;
    double y = _control.style().topMarginForTabBarControl();
    for (std::size_t i = 0; i < n; ++i) {
        TavTabBarCell& cell = *cells[i];
        KivTabViewItem* item = cell.representedObject();
        cell.setCloseButtonSuppressed(
            (n == 1 && !_control.canCloseOnlyTab()) || _control.disableTabClose() ||
            (delegate && tabView && item &&
             delegate->tabViewDisableTabCloseForTabViewItem(*tabView, *item)));

        if (vertical) {
            const double height = _control.genericCellRect().height();
            if (y + height <= _control.height()) {
                widths.push_back(y);
                visible = i + 1;
                y += height;
                continue;
            }
            // Room for the overflow button below the last cell.
            if (!widths.empty() && _control.height() - y < 17.0) {
                widths.pop_back();
                --visible;
            }
            break;
        }

        double width =
            _control.sizeCellsToFit()
                ? std::min(cell.desiredWidthOfCell(), static_cast<double>(_control.cellMaxWidth()))
                : _control.cellOptimumWidth();
        width = std::ceil(width);
        if (total + width < available) {
            widths.push_back(width);
            total += width;
            visible = i + 1;
            continue;
        }
        if (!_control.useOverflowMenu()) {
            widths.clear();
            const int share = static_cast<int>(available / static_cast<double>(n));
            for (const auto& each : cells) {
                const double desired = each->desiredWidthOfCell();
                widths.push_back(_control.sizeCellsToFit() && desired < share ? desired : share);
            }
            visible = n;
            break;
        }
        if (!_control.sizeCellsToFit()) {
            const int share = static_cast<int>(available / static_cast<double>(i + 1));
            if (share < minimum) {
                break;
            }
            std::fill(widths.begin(), widths.end(), share);
            widths.push_back(share);
            total = static_cast<double>(share) * static_cast<double>(i + 1);
            visible = i + 1;
            continue;
        }
        const int listed = integerSum(widths);
        const int floor =
            std::accumulate(widths.begin(), widths.end(), 0, [minimum](int sum, double entry) {
                return sum + std::min(static_cast<int>(entry), minimum);
            });
        if (floor + std::min(width, static_cast<double>(minimum)) > available) {
            distribute(widths, i, static_cast<int>(available - listed));
            visible = i;
            break;
        }
        widths.push_back(width);
        total = listed + width;
        total -=
            shrinkWidths(widths, integerSum(widths) / static_cast<int>(widths.size()), available);
        if (total > available) {
            const int smallest = static_cast<int>(*std::min_element(widths.begin(), widths.end()));
            if (smallest > minimum) {
                total -= shrinkWidths(widths, smallest, available);
            }
        }
        if (total > available) {
            total -= shrinkWidths(widths, minimum, available);
        }
        const bool failed = total > available;
        if (failed) {
            logFormat("**** -[TavTabBarController generateWidthsFromCells:] This is a failure "
                      "(available %f, total %f, width is %f)",
                      available, total, width);
        }
        if (available > total) {
            const int leftover = static_cast<int>(available - total);
            distribute(widths, i + 1, leftover);
            total += leftover;
        }
        visible = i + 1;
        if (failed) {
            break;
        }
    }
    // Two tabs always show, whatever the minimum width.
    if (!vertical && visible <= 1 && n >= 2) {
        double first = std::min(cells[0]->desiredWidthOfCell(), 0.5 * available);
        const double second = std::min(cells[1]->desiredWidthOfCell(), available - first);
        if (first + second < available) {
            first = available - second;
        }
        widths = {first, second};
    }
    return widths;
}

int TavTabBarController::shrinkWidths(std::vector<double>& widths, int target, double available) {
    const int start = integerSum(widths);
    int running = start;
    bool changed = true;
    while (changed) {
        changed = false;
        for (auto width = widths.rbegin(); width != widths.rend(); ++width) {
            if (*width - 1.0 >= target) {
                *width -= 1.0;
                --running;
                changed = true;
            }
        }
        if (static_cast<double>(running) <= available) {
            break;
        }
    }
    return start - running;
}

void TavTabBarController::setupCells(const Cells& cells, const std::vector<double>& widths) {
    QRectF rect = _control.genericCellRect();
    const KivTabViewItem* selected =
        _control.tabView() ? _control.tabView()->selectedTabViewItem() : nullptr;
    _overflowMenu.reset();
    const bool vertical = _control.orientation() == TavTabBarControl::kVertical;
    const std::size_t k = widths.size();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        TavTabBarCell& cell = *cells[i];
        TavTabBarCell* previous = i > 0 ? cells[i - 1].get() : nullptr;
        if (i < k) {
            if (vertical) {
                rect = QRectF(0, widths[i], _control.width(), rect.height());
            } else {
                rect.setWidth(widths[i]);
            }
            _cellFrames.push_back(rect);
            _closeButtonTrackingRects.push_back(cell.closeButtonRectForFrame(rect));
            _cellTrackingRects.push_back(rect);
            int bits = 0;
            // A placeholder has no item, and no item is selected without items.
            if (selected && cell.representedObject() == selected) {
                cell.setState(1);
                bits = TavTabBarCell::kSelected;
                if (previous) {
                    previous->setTabState(previous->tabState() | TavTabBarCell::kRightSelected);
                }
            } else {
                cell.setState(0);
                bits = previous && previous->state() == 1 ? TavTabBarCell::kLeftSelected : 0;
            }
            if (k == 1) {
                bits += TavTabBarCell::kOnlyVisible;
            } else if (i == 0) {
                bits += TavTabBarCell::kFirstVisible;
            } else if (i == k - 1) {
                bits += TavTabBarCell::kLastVisible;
            }
            cell.setTabState(bits);
            cell.setIsInOverflowMenu(false);
            if (cell.isIndicatorShowing() && !_control.isTabBarHidden()) {
                cell.indicator()->startAnimation();
            }
            if (!vertical) {
                rect.translate(widths[i], 0);
            }
        } else {
            cell.setState(0);
            cell.setIsInOverflowMenu(true);
            if (cell.indicator()) {
                cell.indicator()->stopAnimation();
            }
            if (vertical) {
                rect.moveTop(_control.height() + 2.0);
            } else {
                rect.translate(_control.style().rightMarginForTabBarControl() + 20.0, 0);
            }
            _cellFrames.push_back(rect);
            addOverflowItem(cell);
        }
    }
}

void TavTabBarController::addOverflowItem(TavTabBarCell& cell) {
    if (!_overflowMenu) {
        _overflowMenu = std::make_unique<QMenu>();
        _overflowMenu->setObjectName(QStringLiteral("overflowMenu"));
        // The title item of a pull-down menu: never shown.
        _overflowMenu->addAction(QString())->setVisible(false);
        QObject::connect(_overflowMenu.get(), &QMenu::aboutToShow, &_control,
                         [this] { _control.validateOverflowMenu(*_overflowMenu); });
    }
    QString title = AITruncation::stringWithEllipsisByTruncatingToLength(cell.stringValue(),
                                                                         kOverflowTitleLength);
    if (cell.count() > 0) {
        title += QStringLiteral(" (%1)").arg(cell.count());
    }
    QAction* action = _overflowMenu->addAction(title);
    action->setCheckable(true);
    KivTabViewItem* item = cell.representedObject();
    action->setData(QVariant::fromValue(static_cast<void*>(item)));
    QPointer<TavTabBarControl> control(&_control);
    QObject::connect(action, &QAction::triggered, &_control, [control, item] {
        if (control) {
            control->overflowMenuAction(item);
        }
    });
}

int TavTabBarController::numberOfItemsInMenu(const QMenu* menu) const {
    if (!menu || menu != _overflowMenu.get()) {
        logFormat("Warning: Unexpected menu delegate call for menu %p",
                  static_cast<const void*>(menu));
        return 0;
    }
    return static_cast<int>(menu->actions().size());
}

void TavTabBarController::setSelectedCell(TavTabBarCell& cell) {
    const Cells& cells = _control.cells();
    const auto old = std::find_if(cells.begin(), cells.end(),
                                  [](const auto& each) { return each->state() != 0; });
    if (old != cells.end()) {
        TavTabBarCell* left = old == cells.begin() ? nullptr : std::prev(old)->get();
        TavTabBarCell* right = std::next(old) == cells.end() ? nullptr : std::next(old)->get();
        (*old)->setState(0);
        (*old)->setTabState(TavTabBarCell::kWasSelected);
        if (left && left != _control.lastVisibleTab()) {
            left->setTabState(left->tabState() & ~TavTabBarCell::kRightSelected);
        }
        if (right) {
            right->setTabState(right->tabState() & ~TavTabBarCell::kLeftSelected);
        }
    }
    cell.setState(1);
    cell.setTabState(TavTabBarCell::kSelected);
    if (cell.isInOverflowMenu()) {
        return;
    }
    const auto at = std::find_if(cells.begin(), cells.end(),
                                 [&cell](const auto& each) { return each.get() == &cell; });
    if (at == cells.end()) {
        return;
    }
    if (at != cells.begin()) {
        TavTabBarCell& before = **std::prev(at);
        before.setTabState(before.tabState() | TavTabBarCell::kRightSelected);
    }
    if (std::next(at) != cells.end()) {
        TavTabBarCell& after = **std::next(at);
        after.setTabState(after.tabState() | TavTabBarCell::kLeftSelected);
    }
}

#include "tabbar/TavTabDragWindows.h"

#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "foundation/MainRunLoop.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabBarControlDelegate.h"
#include "tabbar/TavTabDragAssistant.h"
#include "tabbar/TavTabDragWindowController.h"
#include "tabbar/TavTabStyle.h"

#include <QPainter>

#include <algorithm>

namespace {

// Below this the fades take two alphas as equal, so a sum of steps ends them.
constexpr double kAlphaTolerance = 1e-6;

} // namespace

TavTabDragWindows::TavTabDragWindows() = default;

TavTabDragWindows::~TavTabDragWindows() = default;

void TavTabDragWindows::showTab(const QImage& image, int tearOffStyle, const QPointF& imageOrigin,
                                const QPointF& global) {
    _draggedTab = std::make_unique<TavTabDragWindowController>(
        image, TavTabDragWindow::StyleMask::Borderless, tearOffStyle);
    _dragWindowOffset = imageOrigin - global;
    moveTo(global);
    _draggedTab->window().show();
    _draggedTab->window().raise();
}

void TavTabDragWindows::moveTo(const QPointF& global) {
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

void TavTabDragWindows::placeDraggedView() {
    if (!_draggedView || !_draggedTab) {
        return;
    }
    const QWidget& tab = _draggedTab->window();
    _draggedView->window().move(
        (QPointF(tab.pos()) +
         QPointF(-_draggedViewOffset.x(), tab.height() - _draggedViewOffset.y()))
            .toPoint());
}

QImage TavTabDragWindows::imageForViewOfCell(TavTabBarControl& bar, TavTabBarCell& cell,
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
    if (bar.orientation() != TavTabBarControl::kVertical) {
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

void TavTabDragWindows::startFade(bool in) {
    stopFade();
    _fadeTimer = MainRunLoop::scheduler().scheduleRepeating(
        TavTabDragAssistant::kAnimationInterval,
        [this, in] { in ? fadeInDragWindow() : fadeOutDragWindow(); });
}

void TavTabDragWindows::stopFade() {
    if (_fadeTimer) {
        MainRunLoop::scheduler().cancel(*_fadeTimer);
        _fadeTimer.reset();
    }
}

void TavTabDragWindows::fadeInDragWindow() {
    constexpr double full = TavTabDragWindowController::kAlpha;
    constexpr double step = TavTabDragAssistant::kFadeStep;
    if (_draggedView && _draggedTab && _draggedView->alpha() < full - kAlphaTolerance) {
        _draggedTab->setAlpha(std::max(0.0, _draggedTab->alpha() - step));
        _draggedView->setAlpha(std::min(full, _draggedView->alpha() + step));
        return;
    }
    stopFade();
}

void TavTabDragWindows::fadeOutDragWindow() {
    constexpr double full = TavTabDragWindowController::kAlpha;
    constexpr double step = TavTabDragAssistant::kFadeStep;
    if (_draggedView && _draggedView->alpha() > kAlphaTolerance) {
        if (_draggedTab && _draggedTab->alpha() < full - kAlphaTolerance) {
            _draggedTab->setAlpha(std::min(full, _draggedTab->alpha() + step));
        }
        _draggedView->setAlpha(std::max(0.0, _draggedView->alpha() - step));
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

QImage TavTabDragWindows::windowImageOfTabBar(const TavTabBarControl& bar) {
    const QImage image = bar.window()->grab().toImage();
    return image.scaled(TavTabDragAssistant::kWindowImageSize,
                        TavTabDragAssistant::kWindowImageSize, Qt::KeepAspectRatio,
                        Qt::SmoothTransformation);
}

void TavTabDragWindows::enteredTabBar(bool fromOutside) {
    if (!_draggedTab) {
        return;
    }
    // Back from outside every bar: the window image turns back into the tab.
    if (_draggedTab->tearOffStyle() == 1 && fromOutside && _draggedTab->isShowingAlternate()) {
        _draggedTab->switchImages();
    }
    if (_draggedTab->tearOffStyle() == 0 && _draggedView) {
        stopFade();
        _draggedTab->window().raise();
        startFade(false);
    }
}

bool TavTabDragWindows::leftTabBar(TavTabBarControl& bar, TavTabBarCell* dragged,
                                   bool takesWindowAlong) {
    if (_fadeTimer) {
        startFade(true);
        return false;
    }
    if (!_draggedTab) {
        return false;
    }
    const int tearOffStyle = _draggedTab->tearOffStyle();
    if (tearOffStyle == 1) {
        // Outside every bar the tab shows what a drop there makes: a window.
        if (_draggedTab->alternateImage().isNull() && bar.window()) {
            _draggedTab->setAlternateImage(windowImageOfTabBar(bar));
        }
    } else {
        if (!_draggedView) {
            TavTabDragWindow::StyleMask styleMask;
            const QImage image = imageForViewOfCell(bar, *dragged, styleMask);
            _draggedView = std::make_unique<TavTabDragWindowController>(image, styleMask, 0);
            _draggedView->setAlpha(0.0);
        }
        placeDraggedView();
        _draggedView->window().show();
        _draggedTab->window().raise();
    }
    if (takesWindowAlong) {
        if (tearOffStyle == 0) {
            _draggedView->setAlpha(TavTabDragWindowController::kAlpha);
        }
        return true;
    }
    if (tearOffStyle == 1) {
        if (!_draggedTab->isShowingAlternate()) {
            _draggedTab->switchImages();
        }
        _centersDragWindows = true;
    } else {
        startFade(true);
    }
    return true;
}

void TavTabDragWindows::close() {
    stopFade();
    _draggedView.reset();
    _draggedTab.reset();
    _centersDragWindows = false;
}

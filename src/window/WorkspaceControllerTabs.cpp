// The cart-tab side of the workspace window controller: new, close and
// reopen with undo, moving through the tabs, and what the tab bar asks while
// tabs are reordered, dropped into another window or torn off.
#include "KivUI/KivPrompts.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "tabbar/TavTabBarControl.h"
#include "window/CartTabBar.h"
#include "window/DocumentActions.h"
#include "window/GridController.h"
#include "window/GridView.h"
#include "window/PondraWindow.h"
#include "window/WorkspaceController.h"

#include <algorithm>

CartTabs& WorkspaceController::tabs() const {
    return *_window->tabs();
}

GridController* WorkspaceController::controllerAtTab(int index) const {
    return controllerForPage(tabs().page(index));
}

GridController* WorkspaceController::controllerForPage(const QWidget* page) const {
    if (!page) {
        return nullptr;
    }
    for (const auto& controller : _gridControllers) {
        if (controller->gridView() == page) {
            return controller.get();
        }
    }
    return nullptr;
}

int WorkspaceController::tabIndexOf(const GridController& controller) const {
    for (int i = 0; i < tabs().count(); ++i) {
        if (tabs().page(i) == controller.gridView()) {
            return i;
        }
    }
    return -1;
}

void WorkspaceController::newTab() {
    if (isLocked()) {
        return;
    }
    auto cart = std::make_shared<Cart>();
    _workspace->addCart(cart);
    selectNewTab(addControllerForCart(std::move(cart)));
}

void WorkspaceController::selectNewTab(GridController& controller) {
    UndoManager& undo = undoManager();
    // By identity and without the close question: the tab selected by the
    // time of the undo may be another, full one.
    undo.registerUndo(this, [this, closing = &controller] { closeTabOf(closing); });
    if (!undo.isUndoing()) {
        undo.setActionName("New Tab");
    }
    tabs().setCurrentIndex(tabIndexOf(controller));
}

void WorkspaceController::closeTab() {
    if (isLocked()) {
        return;
    }
    if (tabs().count() <= 1) {
        closeWindow();
        return;
    }
    const int index = tabs().currentIndex();
    if (!shouldCloseTab(index)) {
        return;
    }
    QWidget* page = tabs().page(index);
    tabs().removeTab(index);
    tabDidClose(page);
}

bool WorkspaceController::shouldCloseTab(int index) {
    const GridController* controller = controllerAtTab(index);
    if (isLocked() || !controller) {
        return false;
    }
    if (controller->cart()->isEmpty()) {
        return true;
    }
    return _prompts.runAlert({QStringLiteral("Are you sure you want to close this tab?"),
                              QStringLiteral("All cues in this cart will be removed."),
                              {QStringLiteral("OK"), QStringLiteral("Cancel")}}) == 0;
}

void WorkspaceController::tabDidClose(QWidget* page) {
    for (const auto& controller : _gridControllers) {
        if (controller->gridView() == page) {
            removeTabFor(*controller);
            return;
        }
    }
}

void WorkspaceController::closeTabOf(GridController* controller) {
    const bool open = std::any_of(_gridControllers.begin(), _gridControllers.end(),
                                  [&](const auto& c) { return c.get() == controller; });
    if (!open) {
        return;
    }
    if (const int index = tabIndexOf(*controller); index >= 0) {
        tabs().removeTab(index);
    }
    removeTabFor(*controller);
}

void WorkspaceController::removeTabFor(GridController& controller) {
    const auto found = std::find_if(_gridControllers.begin(), _gridControllers.end(),
                                    [&](const auto& c) { return c.get() == &controller; });
    if (found == _gridControllers.end()) {
        return;
    }
    controller.cart()->stopCues();
    _workspace->removeCart(controller.cart());
    UndoManager& undo = undoManager();
    undo.registerUndo(this, [this, closed = &controller] { recreateTabFor(closed); });
    if (!undo.isUndoing()) {
        undo.setActionName("Close Tab");
    }
    _closedControllers.push_back(std::move(*found));
    _gridControllers.erase(found);
}

void WorkspaceController::recreateTabFor(GridController* controller) {
    const auto found = std::find_if(_closedControllers.begin(), _closedControllers.end(),
                                    [&](const auto& c) { return c.get() == controller; });
    if (found == _closedControllers.end()) {
        return;
    }
    _gridControllers.push_back(std::move(*found));
    _closedControllers.erase(found);
    _workspace->addCart(controller->cart());
    addTab(*controller);
    selectNewTab(*controller);
}

void WorkspaceController::selectNextTab() {
    const int count = tabs().count();
    if (count > 0) {
        tabs().setCurrentIndex((tabs().currentIndex() + 1) % count);
    }
}

void WorkspaceController::selectPreviousTab() {
    const int count = tabs().count();
    if (count > 0) {
        tabs().setCurrentIndex((tabs().currentIndex() + count - 1) % count);
    }
}

bool WorkspaceController::shouldDragTab() const {
    return !isLocked();
}

bool WorkspaceController::shouldDropTab(const WorkspaceController* destination) const {
    // A locked window neither gives nor takes a tab.
    return !isLocked() && (!destination || !destination->isLocked());
}

void WorkspaceController::didDropTab(QWidget* page, WorkspaceController& destination, int index) {
    if (!page || !shouldDropTab(&destination)) {
        return;
    }
    if (&destination == this) {
        tabsDidReorder();
        return;
    }
    // The bar may have told of the tab's close already, with its undo.
    GridController* dropped = controllerForPage(page);
    if (!dropped) {
        const auto closed = std::find_if(_closedControllers.begin(), _closedControllers.end(),
                                         [&](const auto& c) { return c->gridView() == page; });
        dropped = closed == _closedControllers.end() ? nullptr : closed->get();
    }
    if (!dropped) {
        return;
    }
    destination.addDroppedCart(*dropped->cart(), index);
    // The close is this window's step, in this window's undo; the other
    // window only gains a tab.
    closeTabOf(dropped);
}

void WorkspaceController::addDroppedCart(const Cart& cart, int index) {
    auto copy = cart.copy();
    _workspace->addCart(copy);
    GridController& controller = addControllerForCart(std::move(copy));
    const int last = tabs().count() - 1;
    if (index >= 0 && index < last) {
        tabs().moveTab(last, index);
        orderCartsAsTabs();
    }
    selectNewTab(controller);
    controller.importForeignMedia();
}

void WorkspaceController::tabsDidReorder() {
    undoManager().countChangeWithoutUndo();
    orderCartsAsTabs();
    updateWindowTitle();
}

void WorkspaceController::orderCartsAsTabs() {
    const auto& carts = _workspace->carts();
    for (int i = 0; i < tabs().count(); ++i) {
        const GridController* controller = controllerAtTab(i);
        if (!controller) {
            continue;
        }
        const auto found = std::find(carts.begin(), carts.end(), controller->cart());
        const auto j = static_cast<std::size_t>(found - carts.begin());
        if (found != carts.end() && j != static_cast<std::size_t>(i)) {
            _workspace->swapCartAtIndex(j, static_cast<std::size_t>(i));
        }
    }
}

void WorkspaceController::tabDragDidBegin() {
    // A drag that ends as its window goes tells of it once the window is gone.
    if (_window) {
        _window->tabs()->tabBar()->setHideForSingleTab(false);
    }
}

void WorkspaceController::tabDragDidEnd() {
    if (_window) {
        _window->tabs()->tabBar()->setHideForSingleTab(true);
    }
}

WorkspaceController* WorkspaceController::newWindowForDraggedTab() {
    return _documents ? _documents->newWindowForDraggedTab() : nullptr;
}

void WorkspaceController::closeWindowForLastTab() {
    closeWindow();
}

void WorkspaceController::tearOffTab(int index) {
    QWidget* page = tabs().page(index);
    if (!controllerForPage(page) || !shouldDragTab() || !shouldDropTab(nullptr)) {
        return;
    }
    if (WorkspaceController* window = newWindowForDraggedTab()) {
        didDropTab(page, *window);
    }
    if (tabs().count() == 0) {
        closeWindowForLastTab();
    }
}

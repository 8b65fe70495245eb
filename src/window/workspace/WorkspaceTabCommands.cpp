#include "window/workspace/WorkspaceTabCommands.h"

#include "KivUI/services/KivPrompts.h"
#include "foundation/NotificationCenter.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "platform/undo/UndoManager.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"
#include "window/grid/GridController.h"
#include "window/grid/GridView.h"
#include "window/tabs/CartTabBar.h"
#include "window/workspace/DocumentActions.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <algorithm>

namespace {

CartTabs& tabsOf(const WorkspaceController& controller) {
    return *controller.window()->tabs();
}

} // namespace

WorkspaceTabCommands::WorkspaceTabCommands(WorkspaceController& controller)
    : _controller(controller) {
    _dragBeginObservation = NotificationCenter::defaultCenter().addObserver(
        TavTabDragAssistant::kDidBeginNotification, nullptr,
        [this](const Notification&) { tabDragDidBegin(); });
    _dragEndObservation = NotificationCenter::defaultCenter().addObserver(
        TavTabDragAssistant::kDidEndNotification, nullptr,
        [this](const Notification&) { tabDragDidEnd(); });
}

WorkspaceTabCommands::~WorkspaceTabCommands() {
    _dragBeginObservation.disconnect();
    _dragEndObservation.disconnect();
    _controller.undoManager().removeAllActions(this);
}

void WorkspaceTabCommands::addTab(GridController& controller) {
    ++_tabCount;
    const std::string& name = controller.cart()->name();
    CartTabs& tabs = tabsOf(_controller);
    tabs.addTab(controller.gridView(), QString::fromStdString(name));
    tabs.setTabPlayingCount(tabs.count() - 1, controller.gridView()->playingCount());
}

GridController* WorkspaceTabCommands::controllerAtTab(int index) const {
    return controllerForPage(tabsOf(_controller).page(index));
}

GridController* WorkspaceTabCommands::controllerForPage(const QWidget* page) const {
    if (!page) {
        return nullptr;
    }
    for (const auto& controller : _controller.gridControllers()) {
        if (controller->gridView() == page) {
            return controller.get();
        }
    }
    return nullptr;
}

int WorkspaceTabCommands::tabIndexOf(const GridController& controller) const {
    const CartTabs& tabs = tabsOf(_controller);
    for (int i = 0; i < tabs.count(); ++i) {
        if (tabs.page(i) == controller.gridView()) {
            return i;
        }
    }
    return -1;
}

void WorkspaceTabCommands::forgetClosedTabs() {
    _closedControllers.clear();
}

void WorkspaceTabCommands::newTab() {
    if (_controller.isLocked()) {
        return;
    }
    auto cart = std::make_shared<Cart>();
    _controller.workspace().addCart(cart);
    selectNewTab(_controller.addControllerForCart(std::move(cart)));
}

void WorkspaceTabCommands::selectNewTab(GridController& controller) {
    UndoManager& undo = _controller.undoManager();
    // By identity and without the close question: the tab selected by the
    // time of the undo may be another, full one.
    undo.registerUndo(this, [this, closing = &controller] { closeTabOf(closing); });
    if (!undo.isUndoing()) {
        undo.setActionName("New Tab");
    }
    tabsOf(_controller).setCurrentIndex(tabIndexOf(controller));
}

void WorkspaceTabCommands::closeTab() {
    if (_controller.isLocked()) {
        return;
    }
    CartTabs& tabs = tabsOf(_controller);
    if (tabs.count() <= 1) {
        _controller.closeWindow();
        return;
    }
    const int index = tabs.currentIndex();
    if (!shouldCloseTab(index)) {
        return;
    }
    QWidget* page = tabs.page(index);
    tabs.removeTab(index);
    tabDidClose(page);
}

bool WorkspaceTabCommands::shouldCloseTab(int index) {
    const GridController* controller = controllerAtTab(index);
    if (_controller.isLocked() || !controller) {
        return false;
    }
    if (controller->cart()->isEmpty()) {
        return true;
    }
    return _controller.prompts().runAlert(
               {QStringLiteral("Are you sure you want to close this tab?"),
                QStringLiteral("All cues in this cart will be removed."),
                {QStringLiteral("OK"), QStringLiteral("Cancel")}}) == 0;
}

void WorkspaceTabCommands::tabDidClose(QWidget* page) {
    if (GridController* controller = controllerForPage(page)) {
        removeTabFor(*controller);
    }
}

void WorkspaceTabCommands::closeTabOf(GridController* controller) {
    const auto& open = _controller.gridControllers();
    if (std::none_of(open.begin(), open.end(),
                     [&](const auto& c) { return c.get() == controller; })) {
        return;
    }
    if (const int index = tabIndexOf(*controller); index >= 0) {
        tabsOf(_controller).removeTab(index);
    }
    removeTabFor(*controller);
}

void WorkspaceTabCommands::removeTabFor(GridController& controller) {
    std::unique_ptr<GridController> closed = _controller.releaseGridController(controller);
    if (!closed) {
        return;
    }
    controller.cart()->stopCues();
    _controller.workspace().removeCart(controller.cart());
    UndoManager& undo = _controller.undoManager();
    undo.registerUndo(this, [this, closing = &controller] { recreateTabFor(closing); });
    if (!undo.isUndoing()) {
        undo.setActionName("Close Tab");
    }
    _closedControllers.push_back(std::move(closed));
}

void WorkspaceTabCommands::recreateTabFor(GridController* controller) {
    const auto found = std::find_if(_closedControllers.begin(), _closedControllers.end(),
                                    [&](const auto& c) { return c.get() == controller; });
    if (found == _closedControllers.end()) {
        return;
    }
    std::unique_ptr<GridController> reopened = std::move(*found);
    _closedControllers.erase(found);
    _controller.restoreGridController(std::move(reopened));
    _controller.workspace().addCart(controller->cart());
    addTab(*controller);
    selectNewTab(*controller);
}

void WorkspaceTabCommands::selectNextTab() {
    CartTabs& tabs = tabsOf(_controller);
    const int count = tabs.count();
    if (count > 0) {
        tabs.setCurrentIndex((tabs.currentIndex() + 1) % count);
    }
}

void WorkspaceTabCommands::selectPreviousTab() {
    CartTabs& tabs = tabsOf(_controller);
    const int count = tabs.count();
    if (count > 0) {
        tabs.setCurrentIndex((tabs.currentIndex() + count - 1) % count);
    }
}

bool WorkspaceTabCommands::shouldDragTab() const {
    return !_controller.isLocked();
}

bool WorkspaceTabCommands::shouldDropTab(const WorkspaceController* destination) const {
    // A locked window neither gives nor takes a tab.
    return !_controller.isLocked() && (!destination || !destination->isLocked());
}

void WorkspaceTabCommands::didDropTab(QWidget* page, WorkspaceController& destination, int index) {
    if (!page || !shouldDropTab(&destination)) {
        return;
    }
    if (&destination == &_controller) {
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
    destination.tabCommands().addDroppedCart(*dropped->cart(), index);
    // The close is this window's step, in this window's undo; the other
    // window only gains a tab.
    closeTabOf(dropped);
}

void WorkspaceTabCommands::addDroppedCart(const Cart& cart, int index) {
    auto copy = cart.copy();
    _controller.workspace().addCart(copy);
    GridController& controller = _controller.addControllerForCart(std::move(copy));
    CartTabs& tabs = tabsOf(_controller);
    const int last = tabs.count() - 1;
    if (index >= 0 && index < last) {
        tabs.moveTab(last, index);
        orderCartsAsTabs();
    }
    selectNewTab(controller);
    controller.importForeignMedia();
}

void WorkspaceTabCommands::tabsDidReorder() {
    _controller.undoManager().countChangeWithoutUndo();
    orderCartsAsTabs();
    _controller.updateWindowTitle();
}

void WorkspaceTabCommands::orderCartsAsTabs() {
    Workspace& workspace = _controller.workspace();
    const auto& carts = workspace.carts();
    const CartTabs& tabs = tabsOf(_controller);
    for (int i = 0; i < tabs.count(); ++i) {
        const GridController* controller = controllerAtTab(i);
        if (!controller) {
            continue;
        }
        const auto found = std::find(carts.begin(), carts.end(), controller->cart());
        const auto j = static_cast<std::size_t>(found - carts.begin());
        if (found != carts.end() && j != static_cast<std::size_t>(i)) {
            workspace.swapCartAtIndex(j, static_cast<std::size_t>(i));
        }
    }
}

void WorkspaceTabCommands::tabDragDidBegin() {
    // A drag that ends as its window goes tells of it once the window is gone.
    if (PondraWindow* window = _controller.window()) {
        window->tabs()->tabBar()->setHideForSingleTab(false);
    }
}

void WorkspaceTabCommands::tabDragDidEnd() {
    if (PondraWindow* window = _controller.window()) {
        window->tabs()->tabBar()->setHideForSingleTab(true);
    }
}

WorkspaceController* WorkspaceTabCommands::newWindowForDraggedTab() {
    DocumentActions* documents = _controller.documents();
    return documents ? documents->newWindowForDraggedTab() : nullptr;
}

void WorkspaceTabCommands::closeWindowForLastTab() {
    _controller.closeWindow();
}

void WorkspaceTabCommands::tearOffTab(int index) {
    QWidget* page = tabsOf(_controller).page(index);
    if (!controllerForPage(page) || !shouldDragTab() || !shouldDropTab(nullptr)) {
        return;
    }
    if (WorkspaceController* window = newWindowForDraggedTab()) {
        didDropTab(page, *window);
    }
    if (tabsOf(_controller).count() == 0) {
        closeWindowForLastTab();
    }
}

WorkspaceController* WorkspaceTabCommands::windowOf(const CartTabBarDelegate* delegate) {
    const auto* commands = dynamic_cast<const WorkspaceTabCommands*>(delegate);
    return commands ? &commands->_controller : nullptr;
}

bool WorkspaceTabCommands::cartTabBarShouldDropTab(const CartTabBarDelegate* destination) const {
    if (!destination) {
        return shouldDropTab(nullptr);
    }
    const WorkspaceController* window = windowOf(destination);
    return window && shouldDropTab(window);
}

void WorkspaceTabCommands::cartTabBarDidDropTab(QWidget* page, CartTabBarDelegate& destination,
                                                int index) {
    if (WorkspaceController* window = windowOf(&destination)) {
        didDropTab(page, *window, index);
    }
}

CartTabBar* WorkspaceTabCommands::cartTabBarForTornOffTab() {
    WorkspaceController* window = newWindowForDraggedTab();
    return window && window->window() ? window->window()->tabs() : nullptr;
}

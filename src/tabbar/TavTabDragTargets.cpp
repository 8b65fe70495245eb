#include "tabbar/TavTabDragTargets.h"

#include "tabbar/TavTabBarControl.h"

#include <QGuiApplication>
#include <QWindow>

using TavTabBarList::contains;
using TavTabBarList::forget;

void TavTabDragTargets::registerTabBar(TavTabBarControl& bar) {
    // A new window opens in front of the others.
    if (!contains(_registeredTabBars, &bar)) {
        _registeredTabBars.emplace(_registeredTabBars.begin(), &bar);
    }
}

void TavTabDragTargets::tabBarWindowActivated(TavTabBarControl& bar) {
    if (contains(_registeredTabBars, &bar)) {
        forget(_registeredTabBars, &bar);
        _registeredTabBars.emplace(_registeredTabBars.begin(), &bar);
    }
}

void TavTabDragTargets::removeTabBar(TavTabBarControl& bar) {
    forget(_registeredTabBars, &bar);
}

TavTabBarControl* TavTabDragTargets::tabBarAtGlobalPoint(const QPointF& global,
                                                         const QWidget* hidden) const {
    const QPoint at = global.toPoint();
    // The windows under the point; the window hidden while its lone tab is
    // dragged out of it is not there for the user.
    std::vector<TavTabBarControl*> under;
    for (const auto& bar : _registeredTabBars) {
        if (bar && bar->isVisible() && bar->window() != hidden &&
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

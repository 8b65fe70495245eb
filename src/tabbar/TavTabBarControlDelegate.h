#pragma once

#include "tabbar/TavTabDragWindow.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <QStringList>

class KivTabView;
class KivTabViewItem;
class QAction;
class QMenu;
class QMimeData;
class TavTabBarControl;

// What a tab bar tells and asks of its delegate. Every operation is
// optional: the defaults are what the bar does without a delegate. The tab
// view's own calls are relayed by the bar. GUI thread.
class TavTabBarControlDelegate {
public:
    virtual ~TavTabBarControlDelegate() = default;

    virtual bool tabViewShouldSelectTabViewItem(KivTabView&, KivTabViewItem&) { return true; }
    virtual void tabViewWillSelectTabViewItem(KivTabView&, KivTabViewItem&) {}
    // Null once the last item has gone.
    virtual void tabViewDidSelectTabViewItem(KivTabView&, KivTabViewItem*) {}
    // False keeps the tab when its close button is released over it.
    virtual bool tabViewShouldCloseTabViewItem(KivTabView&, KivTabViewItem&) { return true; }
    // Per vanished item, before its cell goes; the item is out of the tab view.
    virtual void tabViewDidCloseTabViewItem(KivTabView&, KivTabViewItem&) {}
    virtual void tabViewDidChangeNumberOfTabViewItems(KivTabView&) {}
    // Empty: no tool tip.
    virtual QString tabViewToolTipForTabViewItem(KivTabView&, KivTabViewItem&) { return {}; }
    virtual bool tabViewValidateOverflowMenuItem(KivTabView&, QAction&, KivTabViewItem&) {
        return true;
    }
    // The bar collapsed at its first showing.
    virtual void tabViewTabBarDidHide(KivTabView&, TavTabBarControl&) {}
    virtual void tabViewTabViewItemIsInOverflowMenu(KivTabView&, KivTabViewItem&, bool) {}
    // True suppresses that tab's close button at each layout.
    virtual bool tabViewDisableTabCloseForTabViewItem(KivTabView&, KivTabViewItem&) {
        return false;
    }
    // The contextual menu of a tab, kept by the delegate; null: no menu.
    virtual QMenu* tabViewMenuForTabViewItem(KivTabView&, KivTabViewItem&) { return nullptr; }
    // The data types of drags, other than tabs, that spring tabs open and
    // may be dropped on the bar.
    virtual QStringList allowedDraggedTypesForTabView(KivTabView&) { return {}; }
    // Such a drag dropped on the bar; the item is null off the tabs.
    virtual void tabViewAcceptedDraggingInfoOnTabViewItem(KivTabView&, const QMimeData&,
                                                          KivTabViewItem*) {}

    // Dragging. Without a delegate no drag starts.
    virtual bool tabViewShouldDragTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl&) {
        return false;
    }
    // Whether the delegate decides drops at all; without it every bar takes
    // its own tabs back and refuses any other's.
    virtual bool implementsShouldDropTabViewItem() const { return false; }
    // Null bar: dropped outside every bar (a tear-off).
    virtual bool tabViewShouldDropTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl*) {
        return false;
    }
    virtual bool tabViewShouldAllowTabViewItemToLeaveTabBar(KivTabView&, KivTabViewItem&,
                                                            TavTabBarControl&) {
        return true;
    }
    virtual void tabViewDidDropTabViewItem(KivTabView&, KivTabViewItem&, TavTabBarControl&) {}
    // The image of the window a tab torn off in tear-off style 0 would make,
    // shown under the dragged tab; fills in the bottom-left corner of the
    // tab row in the image and the window's style. A null image: the tab
    // view's current page is shown instead.
    virtual QImage tabViewImageForTabViewItem(KivTabView&, KivTabViewItem&, QPointF&,
                                              TavTabDragWindow::StyleMask&) {
        return {};
    }
    // Whether a tab dropped outside every bar may go into a new window.
    virtual bool implementsNewTabBarForDraggedTabViewItem() const { return false; }
    // The bar of a new window for a torn-off tab, placed about the global
    // point; null refuses.
    virtual TavTabBarControl* tabViewNewTabBarForDraggedTabViewItem(KivTabView&, KivTabViewItem&,
                                                                    const QPointF&) {
        return nullptr;
    }
    // The source's tab view lost its last tab to a drag.
    virtual void tabViewCloseWindowForLastTabViewItem(KivTabView&) {}
};

// The bar over its tab view: cells follow the items, clicks select and
// close, the bar collapses for a single tab, cells move in animation, a
// context click shows the delegate's menu, a file drag springs a tab open,
// and a press moved far enough on a tab drags it.
#include "TabBarFixture.h"
#include "tabbar/TavMetalTabStyle.h"
#include "tabbar/TavTabDragAssistant.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

using Events = std::vector<std::string>;

TEST_F(TabBarFixture, OneTabCollapsesTheBarAtItsFirstShowingAndTellsTheDelegateOnce) {
    bar->setHideForSingleTab(true);
    addItem(QStringLiteral("Only"));
    // Before the first showing nothing collapses.
    bar->hideTabBar(true);
    EXPECT_FALSE(bar->isTabBarHidden());
    EXPECT_EQ(bar->height(), 22);
    show();
    EXPECT_TRUE(bar->isTabBarHidden());
    EXPECT_EQ(bar->height(), 1);
    EXPECT_EQ(delegate.hidden, 1);
    bar->relayout(false);
    EXPECT_EQ(delegate.hidden, 1);

    // A second tab brings the bar back in a tenth of a second.
    addItem(QStringLiteral("Second"));
    EXPECT_FALSE(bar->isTabBarHidden());
    scheduler.advance(1.0 / 30);
    EXPECT_EQ(bar->height(), 8);
    scheduler.advance(2.0 / 30);
    EXPECT_EQ(bar->height(), 22);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    EXPECT_EQ(delegate.hidden, 1);
}

TEST_F(TabBarFixture, AwakingMakesCellsForTheItemsTheTabViewAlreadyHolds) {
    bar->setTabView(nullptr);
    bar->awakeFromNib();
    EXPECT_TRUE(bar->cells().empty()) << "no tab view, nothing to show";
    addItems(3);
    bar->setTabView(tabView);
    EXPECT_TRUE(bar->cells().empty()) << "the tab view's items came before the bar";
    show();
    bar->awakeFromNib();
    ASSERT_EQ(bar->cells().size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(cell(i).representedObject(), tabView->tabViewItemAtIndex(static_cast<int>(i)));
        EXPECT_EQ(cell(i).stringValue(), QStringLiteral("Tab %1").arg(i + 1));
    }
    bar->awakeFromNib();
    EXPECT_EQ(bar->cells().size(), 3u) << "an item keeps its one cell";
    addItem(QStringLiteral("Later"));
    EXPECT_EQ(bar->cells().size(), 4u);
    EXPECT_GT(cell(1).frame().x(), cell(0).frame().x()) << "laid out in a row";
}

TEST_F(TabBarFixture, AVerticalBarStacksItsCellsAndTellsItsStyle) {
    show();
    bar->setFixedSize(150, 200);
    addItems(3);
    QApplication::processEvents();
    const double height = bar->style().tabCellHeight();
    const double top = bar->style().topMarginForTabBarControl();
    bar->setOrientation(TavTabBarControl::kVertical);
    EXPECT_EQ(bar->orientation(), TavTabBarControl::kVertical);
    EXPECT_EQ(static_cast<TavMetalTabStyle&>(bar->style()).orientation(),
              TavTabBarControl::kVertical);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(cell(i).frame().y(), top + static_cast<double>(i) * height) << i;
        EXPECT_DOUBLE_EQ(cell(i).frame().x(), cell(0).frame().x()) << i;
    }
    EXPECT_EQ(bar->overflowPopUpButton()->geometry(),
              QRect(0, 200 - static_cast<int>(height), 150, static_cast<int>(height)))
        << "the overflow button along the bottom";

    bar->setOrientation(TavTabBarControl::kHorizontal);
    EXPECT_EQ(static_cast<TavMetalTabStyle&>(bar->style()).orientation(),
              TavTabBarControl::kHorizontal);
    EXPECT_DOUBLE_EQ(cell(1).frame().y(), cell(0).frame().y());
    EXPECT_GT(cell(1).frame().x(), cell(0).frame().x());
    EXPECT_EQ(bar->overflowPopUpButton()->geometry().top(), 0);
}

TEST_F(TabBarFixture, ClicksSelectTabsAndTheCloseButtonClosesOnlyWhenTheDelegateAgrees) {
    show();
    addItems(3);
    delegate.events.clear();
    click(cell(2).frame().center());
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(2));
    EXPECT_EQ(delegate.events, (Events{"select Tab 3"}));

    // A press on the close button holds it down; moving off lets it up.
    delegate.events.clear();
    delegate.allowClose = false;
    const QPointF close = closeButtonOf(1);
    sendMouse(*bar, QEvent::MouseButtonPress, close);
    EXPECT_TRUE(cell(1).closeButtonPressed());
    sendMouse(*bar, QEvent::MouseMove, close + QPointF(40, 0), Qt::NoButton);
    EXPECT_FALSE(cell(1).closeButtonPressed());
    sendMouse(*bar, QEvent::MouseMove, close, Qt::NoButton);
    EXPECT_TRUE(cell(1).closeButtonPressed());
    sendMouse(*bar, QEvent::MouseButtonRelease, close);
    EXPECT_EQ(delegate.events, (Events{"should close Tab 2"}));
    EXPECT_FALSE(cell(1).closeButtonPressed());
    EXPECT_EQ(tabView->numberOfTabViewItems(), 3);

    delegate.events.clear();
    delegate.allowClose = true;
    click(closeButtonOf(1));
    EXPECT_EQ(delegate.events, (Events{"should close Tab 2", "closed Tab 2", "count 2"}));
    ASSERT_EQ(bar->cells().size(), 2u);
    EXPECT_EQ(cell(1).stringValue(), QStringLiteral("Tab 3"));

    // Show mode: no close button acts.
    bar->setDisableTabClose(true);
    delegate.events.clear();
    click(closeButtonOf(0));
    EXPECT_EQ(tabView->numberOfTabViewItems(), 2);
    EXPECT_EQ(delegate.events, (Events{"select Tab 1"}));
}

TEST_F(TabBarFixture, AltOnTheCloseButtonClosesEveryOtherTabEachAskedInTurn) {
    show();
    addItems(4);
    tabView->selectTabViewItemAtIndex(1);
    delegate.events.clear();
    const QPointF close = closeButtonOf(1);
    sendMouse(*bar, QEvent::MouseButtonPress, close);
    QMouseEvent release(QEvent::MouseButtonRelease, close, bar->mapToGlobal(close), Qt::LeftButton,
                        Qt::NoButton, Qt::AltModifier);
    QApplication::sendEvent(bar, &release);
    ASSERT_EQ(bar->cells().size(), 1u);
    EXPECT_EQ(cell(0).stringValue(), QStringLiteral("Tab 2"));
    EXPECT_FALSE(cell(0).closeButtonPressed());
    EXPECT_EQ(delegate.events,
              (Events{"should close Tab 1", "closed Tab 1", "count 3", "should close Tab 3",
                      "closed Tab 3", "count 2", "should close Tab 4", "closed Tab 4", "count 1"}));
}

TEST_F(TabBarFixture, TheOnlyTabCannotBeClosedUnlessTheBarAllowsIt) {
    show();
    addItem(QStringLiteral("Only"));
    EXPECT_TRUE(cell(0).isCloseButtonSuppressed());
    bar->closeTabClick(cell(0));
    EXPECT_EQ(tabView->numberOfTabViewItems(), 1);
    bar->setCanCloseOnlyTab(true);
    EXPECT_FALSE(cell(0).isCloseButtonSuppressed());
}

TEST_F(TabBarFixture, AnEmptyTabViewLeavesTheBarValid) {
    show();
    bar->relayout(false);
    EXPECT_TRUE(bar->cells().empty());
    EXPECT_EQ(bar->lastVisibleTab(), nullptr);
    EXPECT_EQ(bar->numberOfVisibleTabs(), 0);
    EXPECT_EQ(bar->cellForPoint(QPointF(10, 10)), nullptr);
    EXPECT_EQ(bar->controller().overflowMenu(), nullptr);
    EXPECT_FALSE(renderWidget(*bar).isNull());
    // The tab view tells of no selection.
    bar->tabViewDidSelectTabViewItem(*tabView, nullptr);
    EXPECT_EQ(delegate.events, (Events{"select none"}));
}

TEST_F(TabBarFixture,
       ClosingTheSelectedLastTabSelectsItsNeighbourAndClosingTheOnlyOneEmptiesTheBar) {
    show();
    addItems(3);
    tabView->selectTabViewItemAtIndex(2);
    delegate.events.clear();
    click(closeButtonOf(2));
    EXPECT_EQ(delegate.events,
              (Events{"should close Tab 3", "select Tab 2", "closed Tab 3", "count 2"}));
    ASSERT_EQ(bar->cells().size(), 2u);
    EXPECT_EQ(cell(1).state(), 1);
    EXPECT_EQ(cell(1).tabState(), 2 + 64);
    EXPECT_EQ(cell(0).state(), 0);
    EXPECT_EQ(cell(0).tabState(), 16 + 8);

    // The selected first tab goes: its right neighbour takes its place.
    tabView->selectTabViewItemAtIndex(0);
    bar->closeTabClick(cell(0));
    ASSERT_EQ(bar->cells().size(), 1u);
    EXPECT_EQ(cell(0).stringValue(), QStringLiteral("Tab 2"));
    EXPECT_EQ(cell(0).tabState(), 2 + 208);

    bar->setCanCloseOnlyTab(true);
    delegate.events.clear();
    bar->closeTabClick(cell(0));
    EXPECT_EQ(delegate.events,
              (Events{"should close Tab 2", "select none", "closed Tab 2", "count 0"}));
    EXPECT_TRUE(bar->cells().empty());
    EXPECT_EQ(tabView->selectedTabViewItem(), nullptr);
    EXPECT_EQ(bar->lastVisibleTab(), nullptr);
    EXPECT_FALSE(renderWidget(*bar).isNull());
}

TEST_F(TabBarFixture, ANewTabGrowsInFromTheEndOfTheRowWhenTheBarAnimates) {
    show();
    addItems(2);
    bar->setAutomaticallyAnimates(true);
    addItem(QStringLiteral("Tab 3"));
    // It starts 30 wide after the last tab (tabs are 130 wide at their
    // optimum) and closes on its place.
    EXPECT_TRUE(bar->isAnimating());
    EXPECT_NEAR(cell(2).frame().x(), 262, 1e-9);
    EXPECT_NEAR(cell(2).frame().width(), 30, 1e-9);
    scheduler.advance(1.0 / 30);
    EXPECT_GT(cell(2).frame().width(), 30);
    EXPECT_LT(cell(2).frame().width(), 130);
    scheduler.advance(15.0 / 30);
    EXPECT_FALSE(bar->isAnimating());
    EXPECT_EQ(cell(2).frame(), QRectF(262, 0, 130, 22));
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(TabBarFixture, ARenamedItemRetitlesItsTab) {
    show();
    addItems(2);
    tabView->tabViewItemAtIndex(1)->setLabel(QStringLiteral("Finale"));
    EXPECT_EQ(cell(1).stringValue(), QStringLiteral("Finale"));
    EXPECT_EQ(bar->representedTabViewItems(),
              (std::vector<KivTabViewItem*>{tabView->tabViewItemAtIndex(0),
                                            tabView->tabViewItemAtIndex(1)}));
}

TEST_F(TabBarFixture, TheMouseOverATabHighlightsItAndItsCloseButton) {
    show();
    addItems(2);
    sendMouse(*bar, QEvent::MouseMove, cell(1).frame().center(), Qt::NoButton);
    EXPECT_TRUE(cell(1).isHighlighted());
    EXPECT_FALSE(cell(0).isHighlighted());
    EXPECT_FALSE(cell(1).closeButtonOver());
    sendMouse(*bar, QEvent::MouseMove, closeButtonOf(1), Qt::NoButton);
    EXPECT_TRUE(cell(1).closeButtonOver());
    // Closing background tabs switched off: the button of an unselected tab
    // does not light.
    bar->setAllowsBackgroundTabClosing(false);
    EXPECT_FALSE(cell(1).closeButtonOver());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar, &leave);
    EXPECT_FALSE(cell(1).isHighlighted());
}

namespace {

// Answers a menu for one tab only.
class MenuDelegate : public RecordingTabBarDelegate {
public:
    QMenu* tabViewMenuForTabViewItem(KivTabView&, KivTabViewItem& item) override {
        asked.push_back(item.label().toStdString());
        return item.label() == QStringLiteral("Tab 2") ? &menu : nullptr;
    }
    QMenu menu;
    std::vector<std::string> asked;
};

} // namespace

TEST_F(TabBarFixture, AContextClickOnATabPopsUpTheDelegatesMenuForThatTab) {
    addItems(3);
    show();
    EXPECT_EQ(bar->menuForPoint(cell(1).frame().center()), nullptr) << "no answer, no menu";

    MenuDelegate menus;
    menus.menu.addAction(QStringLiteral("Rename"));
    bar->setDelegate(&menus);
    EXPECT_EQ(bar->menuForPoint(cell(0).frame().center()), nullptr);
    EXPECT_EQ(bar->menuForPoint(QPointF(cell(2).frame().right() + 40, 10)), nullptr);
    EXPECT_EQ(menus.asked, (std::vector<std::string>{"Tab 1"})) << "not asked off the tabs";

    const QPoint at = cell(1).frame().center().toPoint();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &event);
    EXPECT_TRUE(menus.menu.isVisible());
    EXPECT_EQ(menus.asked.back(), "Tab 2");
    menus.menu.hide();
    bar->setDelegate(&delegate);
}

namespace {

// Lets file drags onto the bar and writes down the drops.
class FileDropDelegate : public RecordingTabBarDelegate {
public:
    QStringList allowedDraggedTypesForTabView(KivTabView&) override {
        return {QStringLiteral("text/uri-list")};
    }
    void tabViewAcceptedDraggingInfoOnTabViewItem(KivTabView&, const QMimeData& data,
                                                  KivTabViewItem* item) override {
        events.push_back("dropped " + data.urls().value(0).fileName().toStdString() + " on " +
                         (item ? item->label().toStdString() : std::string("none")));
    }
};

bool sendDrag(QWidget& bar, QEvent::Type type, QPointF at, const QMimeData& data) {
    if (type == QEvent::DragEnter) {
        QDragEnterEvent event(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&bar, &event);
        return event.isAccepted();
    }
    if (type == QEvent::Drop) {
        QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&bar, &event);
        return event.isAccepted();
    }
    QDragMoveEvent event(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &event);
    return event.isAccepted();
}

} // namespace

TEST_F(TabBarFixture, AFileDragRestingOnATabOpensItAfterTheSpringDelay) {
    addItems(3);
    show();
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/show/thunder.wav"))});
    QMimeData text;
    text.setText(QStringLiteral("thunder"));
    EXPECT_FALSE(sendDrag(*bar, QEvent::DragEnter, cell(1).frame().center(), files))
        << "no allowed types, no drop";

    FileDropDelegate drops;
    bar->setDelegate(&drops);
    EXPECT_FALSE(sendDrag(*bar, QEvent::DragEnter, cell(1).frame().center(), text));
    ASSERT_TRUE(sendDrag(*bar, QEvent::DragEnter, cell(1).frame().center(), files));
    EXPECT_EQ(bar->springDelay(), 0.668);
    scheduler.advance(0.6);
    // Moving on over the same tab keeps the wait; another tab starts it again.
    EXPECT_TRUE(sendDrag(*bar, QEvent::DragMove, cell(1).frame().center() + QPointF(5, 0), files));
    scheduler.advance(0.05);
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(0));
    scheduler.advance(0.02);
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(1));

    EXPECT_TRUE(sendDrag(*bar, QEvent::DragMove, cell(2).frame().center(), files));
    scheduler.advance(0.5);
    EXPECT_TRUE(sendDrag(*bar, QEvent::DragMove, cell(0).frame().center(), files));
    scheduler.advance(0.5);
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(1));
    scheduler.advance(0.2);
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(0));

    // Leaving the bar drops a waiting spring.
    EXPECT_TRUE(sendDrag(*bar, QEvent::DragMove, cell(2).frame().center(), files));
    QDragLeaveEvent leave;
    QApplication::sendEvent(bar, &leave);
    scheduler.advance(1.0);
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(0));

    // Off the tabs there is nothing to drop on; on a tab the delegate takes it.
    EXPECT_FALSE(
        sendDrag(*bar, QEvent::DragMove, QPointF(cell(2).frame().right() + 40, 10), files));
    QDragLeaveEvent away;
    QApplication::sendEvent(bar, &away);
    EXPECT_TRUE(sendDrag(*bar, QEvent::DragEnter, cell(2).frame().center(), files));
    EXPECT_TRUE(sendDrag(*bar, QEvent::Drop, cell(2).frame().center(), files));
    EXPECT_EQ(drops.events.back(), "dropped thunder.wav on Tab 3");
    scheduler.advance(1.0);
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(0)) << "no spring after";
    bar->setDelegate(&delegate);
}

namespace {

// Lets tabs be dragged while `allowDrag` says so.
class DragAllowingDelegate : public RecordingTabBarDelegate {
public:
    bool tabViewShouldDragTabViewItem(KivTabView&, KivTabViewItem& item,
                                      TavTabBarControl&) override {
        events.push_back("should drag " + item.label().toStdString());
        return allowDrag;
    }
    bool allowDrag = true;
};

} // namespace

TEST_F(TabBarFixture, APressDragsItsTabOnceMovedTenPointsAndTheReleaseEndsTheDragWithoutAClick) {
    DragAllowingDelegate dragging;
    bar->setDelegate(&dragging);
    addItems(3);
    show();
    tabView->selectTabViewItemAtIndex(0);
    TavTabDragAssistant& assistant = TavTabDragAssistant::sharedDragAssistant();
    TavTabBarCell& second = cell(1);
    const QPointF start = second.frame().center();

    // Nine points move nothing; ten, in any direction, hand the tab over.
    sendMouse(*bar, QEvent::MouseButtonPress, start);
    sendMouse(*bar, QEvent::MouseMove, start + QPointF(9, 0));
    EXPECT_FALSE(assistant.isDragging());
    sendMouse(*bar, QEvent::MouseMove, start + QPointF(6, 8));
    ASSERT_TRUE(assistant.isDragging());
    EXPECT_EQ(assistant.draggedCell(), &second);
    EXPECT_EQ(assistant.sourceTabBar(), bar);
    EXPECT_EQ(bar->indexOfCell(&second), -1) << "a gap holds its place";
    // Every further move and the release are the drag's, not a click.
    sendMouse(*bar, QEvent::MouseMove, start + QPointF(30, 0));
    EXPECT_TRUE(assistant.isDragging());
    sendMouse(*bar, QEvent::MouseButtonRelease, start + QPointF(30, 0));
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(tabView->selectedTabViewItem(), tabView->tabViewItemAtIndex(0));
    ASSERT_EQ(bar->cells().size(), 3u);
    EXPECT_EQ(&cell(1), &second);

    // The delegate refusing, a pressed close button, or no delegate: no drag.
    dragging.allowDrag = false;
    dragging.events.clear();
    sendMouse(*bar, QEvent::MouseButtonPress, start);
    sendMouse(*bar, QEvent::MouseMove, start + QPointF(20, 0));
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(dragging.events, (Events{"should drag Tab 2"}));
    sendMouse(*bar, QEvent::MouseButtonRelease, start + QPointF(20, 0));
    dragging.allowDrag = true;
    sendMouse(*bar, QEvent::MouseButtonPress, closeButtonOf(1));
    sendMouse(*bar, QEvent::MouseMove, closeButtonOf(1) + QPointF(20, 0));
    EXPECT_FALSE(assistant.isDragging());
    sendMouse(*bar, QEvent::MouseButtonRelease, closeButtonOf(1) + QPointF(20, 0));
    bar->setDelegate(nullptr);
    sendMouse(*bar, QEvent::MouseButtonPress, start);
    sendMouse(*bar, QEvent::MouseMove, start + QPointF(20, 0));
    EXPECT_FALSE(assistant.isDragging());
    sendMouse(*bar, QEvent::MouseButtonRelease, start + QPointF(20, 0));
    EXPECT_EQ(tabView->numberOfTabViewItems(), 3);
}

// Tear-off style 0: outside every bar the dragged tab fades into an image of
// its content, and back into the tab on a bar.
#include "TabDragFixture.h"
#include "tabbar/TavTabDragWindowController.h"

#include <QApplication>
#include <QCursor>

#include <utility>

namespace {

// Answers the content image: a window of 300 x 200 whose tab row ends 30
// points down.
class ImageDelegate : public DraggingDelegate {
public:
    QImage tabViewImageForTabViewItem(KivTabView&, KivTabViewItem&, QPointF& offset,
                                      TavTabDragWindow::StyleMask& styleMask) override {
        offset = QPointF(40, 30);
        styleMask = TavTabDragWindow::StyleMask::Titled;
        QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::darkCyan);
        return image;
    }
};

class TavTabDragContentWindowTest : public TabDragFixture {
protected:
    TavTabDragContentWindowTest() {
        bar->setTearOffStyle(0);
        addItems(3);
        show();
    }
    void start() { assistant.startDraggingCell(cell(1), *bar, cell(1).frame().center()); }
    // (tab window, content window) after each of `ticks` fade ticks.
    std::vector<std::pair<double, double>> fade(int ticks) {
        std::vector<std::pair<double, double>> alphas;
        for (int i = 0; i < ticks; ++i) {
            scheduler.advance(TavTabDragAssistant::kAnimationInterval);
            alphas.emplace_back(assistant.draggedTab()->alpha(), assistant.draggedView()->alpha());
        }
        return alphas;
    }
    static void expectAlphas(const std::vector<std::pair<double, double>>& actual,
                             const std::vector<std::pair<double, double>>& expected) {
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < actual.size(); ++i) {
            EXPECT_NEAR(actual[i].first, expected[i].first, 1e-9) << "tick " << i;
            EXPECT_NEAR(actual[i].second, expected[i].second, 1e-9) << "tick " << i;
        }
    }
};

TEST_F(TavTabDragContentWindowTest, LeavingTheBarFadesTheContentInAndEnteringFadesItOut) {
    start();
    EXPECT_EQ(assistant.draggedView(), nullptr);
    assistant.draggingExitedTabBar(*bar);
    ASSERT_NE(assistant.draggedView(), nullptr);
    EXPECT_TRUE(assistant.draggedView()->window().isVisible());
    EXPECT_EQ(assistant.draggedView()->alpha(), 0.0);
    EXPECT_EQ(assistant.draggedTab()->alpha(), 0.75);
    expectAlphas(fade(6),
                 {{0.6, 0.15}, {0.45, 0.3}, {0.3, 0.45}, {0.15, 0.6}, {0.0, 0.75}, {0.0, 0.75}});
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    assistant.draggingEnteredTabBar(*bar, cell(0).frame().center());
    expectAlphas(fade(6),
                 {{0.15, 0.6}, {0.3, 0.45}, {0.45, 0.3}, {0.6, 0.15}, {0.75, 0.0}, {0.75, 0.0}});
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    assistant.performDragOperation();
    EXPECT_EQ(assistant.draggedView(), nullptr);
}

TEST_F(TavTabDragContentWindowTest, AFadeTurnsBackFromWhereItIs) {
    start();
    assistant.draggingExitedTabBar(*bar);
    ASSERT_NE(assistant.draggedView(), nullptr);
    expectAlphas(fade(2), {{0.6, 0.15}, {0.45, 0.3}});
    assistant.draggingEnteredTabBar(*bar, cell(0).frame().center());
    expectAlphas(fade(1), {{0.6, 0.15}});
    assistant.draggingExitedTabBar(*bar);
    expectAlphas(fade(5), {{0.45, 0.3}, {0.3, 0.45}, {0.15, 0.6}, {0.0, 0.75}, {0.0, 0.75}});
    assistant.draggingEnteredTabBar(*bar, cell(0).frame().center());
    expectAlphas(fade(2), {{0.15, 0.6}, {0.3, 0.45}});
    assistant.performDragOperation();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(TavTabDragContentWindowTest, TheDelegatesImageShowsTheTabUnderTheTabWindow) {
    ImageDelegate images;
    bar->setDelegate(&images);
    assistant.registerTabBar(*bar);
    start();
    const QImage tab = assistant.draggedTab()->image();
    const QPoint outside = bar->mapToGlobal(QPoint(200, 300));
    assistant.mouseMovedTo(outside);
    ASSERT_NE(assistant.draggedView(), nullptr);
    const TavTabDragWindow& content = assistant.draggedView()->window();
    const QWidget& tabWindow = assistant.draggedTab()->window();
    EXPECT_EQ(content.size(), QSize(300, 200 + TavTabDragWindow::kTitleBarHeight));
    // The drawn tab's top-left corner in the window, below its title bar.
    const QPoint drawn(40, 30 - static_cast<int>(bar->style().tabCellHeight()));
    EXPECT_EQ(content.pos() + drawn + QPoint(0, TavTabDragWindow::kTitleBarHeight),
              tabWindow.pos());
    const QImage image = assistant.draggedView()->image();
    const QPoint middle(tab.width() / 2, tab.height() / 2);
    EXPECT_EQ(image.pixelColor(drawn + middle), tab.pixelColor(middle));
    EXPECT_EQ(image.pixelColor(5, 150), QColor(Qt::darkCyan));

    // It follows the pointer with the tab window.
    assistant.mouseMovedTo(outside + QPoint(25, 40));
    EXPECT_EQ(content.pos() + drawn + QPoint(0, TavTabDragWindow::kTitleBarHeight),
              tabWindow.pos());
    assistant.draggedImageEndedAt(outside);
    assistant.removeTabBar(*bar);
}

TEST_F(TavTabDragContentWindowTest, WithoutTheDelegatesImageTheCurrentPageShowsBelowTheTab) {
    start();
    assistant.draggingExitedTabBar(*bar);
    ASSERT_NE(assistant.draggedView(), nullptr);
    const QWidget* page = tabView->selectedTabViewItem()->view();
    EXPECT_EQ(assistant.draggedView()->image().size(), page->size());
    const QWidget& tabWindow = assistant.draggedTab()->window();
    EXPECT_EQ(assistant.draggedView()->window().pos(),
              tabWindow.pos() + QPoint(0, tabWindow.height()));
    assistant.draggedImageEndedAt(QPointF(900, 900));
}

TEST_F(TavTabDragContentWindowTest, ATornOffTabsWindowIsShownInFrontWithoutGrowing) {
    QWidget torn;
    torn.resize(400, 300);
    auto* tornBar = new TavTabBarControl(&torn);
    dragging.newBar = tornBar;
    start();
    assistant.draggingExitedTabBar(*bar);
    assistant.draggedImageEndedAt(QPointF(900, 900));
    EXPECT_FALSE(assistant.isDragging());
    EXPECT_EQ(assistant.draggedView(), nullptr);
    EXPECT_TRUE(torn.isVisible());
    // The platform makes it key on its next turn of the event loop.
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &torn);
    EXPECT_EQ(torn.findChild<QWidget*>(QStringLiteral("tearOffProxyWindow")), nullptr);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

} // namespace

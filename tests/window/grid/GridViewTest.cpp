// The grid's geometry, its selection and the arrow keys.
#include "KivUI/WidgetRender.h"
#include "window/WindowFixture.h"
#include "window/inspector/InspectorController.h"

TEST_F(WindowFixture, A600By400GridGivesWholePointCellsForFourAndFiveSlotsASide) {
    openWindow();
    GridView view;
    view.setDelegate(&grid());
    view.resize(600, 400);
    view.reloadData();
    EXPECT_EQ(view.cellAt(0)->geometry(), QRect(4, 4, 146, 96));
    EXPECT_EQ(view.cellAt(5)->geometry(), QRect(4 + 148, 4 + 98, 146, 96));

    cart().setSize({5, 5});
    view.reloadData();
    ASSERT_EQ(view.cells().size(), 25u);
    EXPECT_EQ(view.cellAt(0)->size(), QSize(116, 76));
    EXPECT_EQ(view.cellAt(24)->geometry().topLeft(), QPoint(4 + 4 * 118, 4 + 4 * 78));
    view.setDelegate(nullptr);
}

TEST_F(WindowFixture, ArrowKeysWrapUpAndDownButNotPastTheEnds) {
    openWindow();
    GridView& view = *grid().gridView();
    press(Qt::Key_Right, {});
    EXPECT_EQ(view.selectedIndex(), 0u);
    press(Qt::Key_Left, {});
    EXPECT_EQ(view.selectedIndex(), GridView::kNoSelection);
    press(Qt::Key_Left, {});
    EXPECT_EQ(view.selectedIndex(), 15u);

    view.setSelectedIndex(1);
    press(Qt::Key_Up, {});
    EXPECT_EQ(view.selectedIndex(), 13u);
    view.setSelectedIndex(14);
    press(Qt::Key_Down, {});
    EXPECT_EQ(view.selectedIndex(), 2u);
    view.setSelectedIndex(15);
    press(Qt::Key_Right, {});
    EXPECT_EQ(view.selectedIndex(), GridView::kNoSelection);
}

TEST_F(WindowFixture, SelectionIsIgnoredInShowModeAndClicksBetweenCellsClearIt) {
    openWindow();
    GridView& view = *grid().gridView();
    sendMouse(cell(6), QEvent::MouseButtonPress, {30, 30});
    sendMouse(cell(6), QEvent::MouseButtonRelease, {30, 30});
    EXPECT_EQ(view.selectedIndex(), 6u);
    sendMouse(view, QEvent::MouseButtonPress, {1, 1});
    EXPECT_EQ(view.selectedIndex(), GridView::kNoSelection);

    view.setSelectedIndex(3);
    controller->setShowMode();
    EXPECT_EQ(view.selectedIndex(), GridView::kNoSelection);
    sendMouse(cell(6), QEvent::MouseButtonPress, {30, 30});
    sendMouse(cell(6), QEvent::MouseButtonRelease, {30, 30});
    EXPECT_EQ(view.selectedIndex(), GridView::kNoSelection);
    press(Qt::Key_Right, {});
    EXPECT_EQ(view.selectedIndex(), GridView::kNoSelection);
}

TEST_F(WindowFixture, ARightClickSelectsOnlyAnotherCellAndFiresNothing) {
    openWindow();
    GridView& view = *grid().gridView();
    auto rain = placeCue(wav("rain.wav", 0.1f), 2);
    auto door = placeCue(wav("door.wav", 0.1f), 6);
    const auto click = [](QWidget& on, QPointF at, Qt::MouseButton button) {
        sendMouse(on, QEvent::MouseButtonPress, at, button);
        sendMouse(on, QEvent::MouseButtonRelease, at, button);
    };
    click(cell(2), {30, 30}, Qt::LeftButton);
    ASSERT_EQ(controller->inspectorController()->cue(), rain);

    click(cell(2), {30, 30}, Qt::RightButton);
    EXPECT_EQ(view.selectedIndex(), 2u);
    EXPECT_EQ(controller->inspectorController()->cue(), rain);
    click(view, {1, 1}, Qt::RightButton);
    EXPECT_EQ(view.selectedIndex(), 2u);
    EXPECT_EQ(controller->inspectorController()->cue(), rain);
    click(cell(6), {30, 30}, Qt::RightButton);
    EXPECT_EQ(view.selectedIndex(), 6u);
    EXPECT_EQ(controller->inspectorController()->cue(), door);

    controller->setShowMode();
    click(cell(6), {30, 30}, Qt::RightButton);
    EXPECT_FALSE(door->isPlaying());
    EXPECT_EQ(view.selectedIndex(), GridView::kNoSelection);
}

TEST_F(WindowFixture, ACellShowsItsCuesTimesWithTwoDecimalPlaces) {
    openWindow();
    auto cue = placeCue(wav("long.wav", 0.1f, 90.0), 0);
    cue->loadActionAt(65.5);
    EXPECT_EQ(cell(0).elapsedText(), QStringLiteral("01:05.50"));
    EXPECT_EQ(cell(0).remainingText(), QStringLiteral("-00:24.50"));
}

// The workspace window with its inspector folded away and back, its cart
// tabs and menus, the warnings popover and a cart tab dragged out of it: each
// case checks what it drew and writes it to PNG files under the build tree's
// gallery folder for people judging the look.
#include "KivUI/WidgetRender.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/views/KivAnimation.h"
#include "WindowGalleryFixture.h"
#include "support/Gallery.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"
#include "tabbar/TavTabDragView.h"
#include "tabbar/TavTabDragWindowController.h"
#include "window/tabs/CartTabBar.h"
#include "window/warnings/BrokenCueController.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QPainter>

TEST_F(WindowGallery, TheWorkspaceWindowWithItsInspectorFoldedAway) {
    PondraWindow& window = showCarts({"Preshow", "Act One"});
    grid().gridView()->setSelectedIndex(5);
    window.action(QStringLiteral("toggleInspector"))->trigger();
    QApplication::processEvents();
    ASSERT_FALSE(controller->inspectorVisible());
    saveToGallery(window, QStringLiteral("window-inspector-hidden"));
    // Back at the height it had.
    window.action(QStringLiteral("toggleInspector"))->trigger();
    QApplication::processEvents();
    EXPECT_EQ(window.inspectorPane()->height(), PondraWindow::kInspectorHeight);
}

TEST_F(WindowGallery, TheCartTabsAndTheirMenus) {
    openWindow();
    controller->tabCommands().newTab();
    controller->tabCommands().newTab();
    controller->window()->tabs()->moveTab(2, 0);
    controller->tabCommands().didDropTab(controller->window()->tabs()->page(0), *controller);
    controller->selectTab(1);
    fillShow();
    PondraWindow& window = *controller->window();
    window.resize(900, 620);
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-tabs"));

    // A right-click on a tab opens nothing: there is no menu of a tab to show.
    TavTabBarControl& bar = *controller->window()->tabs()->tabBar();
    const QPoint on = bar.cells().at(1)->frame().center().toPoint();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, on, bar.mapToGlobal(on));
    QApplication::sendEvent(&bar, &rightClick);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    controller->validateMenus();
    for (const auto& [action, picture] :
         {std::pair{"newTab", "menu-file"}, std::pair{"selectNextTab", "menu-window"}}) {
        auto* menu = qobject_cast<QMenu*>(window.action(QString::fromLatin1(action))->parent());
        ASSERT_TRUE(menu);
        menu->adjustSize();
        saveToGallery(*menu, QString::fromLatin1(picture));
    }
}

TEST_F(WindowGallery, TheWarningsPopoverAboveItsButton) {
    openWindow();
    fillShow();
    cart().cueAtIndex(2)->setHotkey(cart().cueAtIndex(1)->hotkey());
    cart().cueAtIndex(6)->setHotkey(cart().cueAtIndex(1)->hotkey());
    cart().cueAtIndex(9)->setHotkey("[");
    PondraWindow& window = *controller->window();
    window.resize(900, 620);
    QApplication::processEvents();
    BrokenCueController& warnings = controller->brokenCueController();
    warnings.hidePopover();
    warnings.reloadDataNow();
    warnings.showPopoverIfNeeded();
    ASSERT_NE(warnings.popover(), nullptr);
    ASSERT_EQ(warnings.brokenOrFlaggedCues().size(), 4u);
    QApplication::processEvents();

    PopoverWindow& popover = *warnings.popover();
    const QPoint at = popover.geometry().topLeft() - window.geometry().topLeft();
    for (qreal ratio : {1.0, 2.0}) {
        // The popover alone, on the window's ground, and over the window.
        QImage alone(popover.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        alone.setDevicePixelRatio(ratio);
        alone.fill(KivColors::windowBackground());
        popover.render(&alone, QPoint(), QRegion(), QWidget::DrawChildren);
        EXPECT_TRUE(alone.save(
            galleryPath(QStringLiteral("warnings-popover@%1x.png").arg(static_cast<int>(ratio)))));

        QImage over(window.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        over.setDevicePixelRatio(ratio);
        over.fill(Qt::black);
        window.render(&over);
        QPainter painter(&over);
        popover.render(&painter, at, QRegion(), QWidget::DrawChildren);
        painter.end();
        EXPECT_TRUE(over.save(
            galleryPath(QStringLiteral("window-warnings@%1x.png").arg(static_cast<int>(ratio)))));
    }
    // The arrow's tip touches the button's top centre.
    const QImage bubble = popover.bubbleImage();
    EXPECT_GT(bubble.pixelColor(bubble.width() / 2, bubble.height() - 2).alpha(), 0);
    EXPECT_EQ(bubble.pixelColor(4, bubble.height() - 2).alpha(), 0);
}

namespace {

// The window with the floating tab drag window over it, as on screen: the
// drag window is translucent. The drag window's image is a capture at the
// screen's ratio, so the picture is made at 1x only.
void saveDragToGallery(QWidget& window, const TavTabDragWindowController& drag,
                       const QString& name) {
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    window.render(&image);
    QPainter painter(&image);
    painter.setOpacity(drag.window().windowOpacity());
    const QPoint at = drag.window().pos() - window.mapToGlobal(QPoint());
    drag.window().render(&painter, at, QRegion(), QWidget::DrawChildren);
    painter.end();
    EXPECT_TRUE(image.save(galleryPath(name + QStringLiteral("@1x.png"))));
}

} // namespace

TEST_F(WindowGallery, ACartTabDraggedOutOfTheRowMorphingIntoItsWindow) {
    PondraWindow& window = showCarts({"Preshow", "Act One", "Interval", "Act Two"});

    // The "Interval" tab pressed and pulled along the row.
    TavTabBarControl& bar = *window.tabs()->tabBar();
    TavTabDragAssistant& assistant = TavTabDragAssistant::sharedDragAssistant();
    const QPointF press = bar.cells().at(2)->frame().center();
    sendMouse(bar, QEvent::MouseButtonPress, press);
    sendMouse(bar, QEvent::MouseMove, press + QPointF(24, 3));
    ASSERT_TRUE(assistant.isDragging());
    ASSERT_NE(assistant.draggedTab(), nullptr);
    for (int i = 0; i < 4; ++i) {
        assistant.animateDrag();
    }
    saveDragToGallery(window, *assistant.draggedTab(), QStringLiteral("tabbar-drag-window"));

    // Out of the row, half way through its morph into the window's image.
    const QPoint outside = window.mapToGlobal(QPoint(560, 300));
    QCursor::setPos(outside);
    sendMouse(bar, QEvent::MouseMove, bar.mapFromGlobal(QPointF(outside)));
    ASSERT_TRUE(assistant.draggedTab()->isShowingAlternate());
    for (int i = 0; i < 4; ++i) {
        scheduler.advance(KivAnimation::kTick);
    }
    const double fade = assistant.draggedTab()->window().dragView().fadeValue();
    EXPECT_GT(fade, 0.3);
    EXPECT_LT(fade, 0.7);
    saveDragToGallery(window, *assistant.draggedTab(), QStringLiteral("tabbar-drag-window-morph"));

    // Back onto the row, where the release puts the tab back.
    QCursor::setPos(bar.mapToGlobal(press.toPoint()));
    sendMouse(bar, QEvent::MouseMove, press);
    for (int i = 0; i < 8; ++i) {
        scheduler.advance(KivAnimation::kTick);
        assistant.animateDrag();
    }
    sendMouse(bar, QEvent::MouseButtonRelease, press);
    EXPECT_FALSE(assistant.isDragging());
}

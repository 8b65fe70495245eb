// Renders the workspace window in edit mode, in show mode and with a cue
// playing, its sheets, and a cart tab dragged out of it, to PNG files under the build tree's
// gallery folder, at 1x and 2x, for people judging the look.
#include "KivUI/WidgetRender.h"
#include "KivUI/drawing/KivColors.h"
#include "KivUI/views/KivAnimation.h"
#include "WindowFixture.h"
#include "model/PondraColor.h"
#include "support/Gallery.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"
#include "tabbar/TavTabDragView.h"
#include "tabbar/TavTabDragWindowController.h"
#include "window/sheets/GridSelectorController.h"
#include "window/sheets/ImportProgressSheet.h"
#include "window/sheets/PondraProgressSheet.h"
#include "window/sheets/RenameCartWindowController.h"
#include "window/sheets/SettingsSheet.h"
#include "window/tabs/CartTabBar.h"
#include "window/warnings/BrokenCueController.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QMenu>
#include <QPainter>

#include <fstream>

class WindowGallery : public WindowFixture {
protected:
    // Carts of these names, the second one shown full of cues, in an active window.
    PondraWindow& showCarts(const std::vector<const char*>& names) {
        auto shown = std::make_shared<Workspace>(device, files.path("cache"));
        for (const char* name : names) {
            auto added = std::make_shared<Cart>();
            added->setName(name);
            shown->addCart(added);
        }
        showWorkspace(shown);
        controller->selectTab(1);
        fillShow();
        PondraWindow& window = *controller->window();
        window.resize(900, 620);
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
        return window;
    }

    // A show's worth of cues in a 4 x 4 cart.
    void fillShow() {
        struct Entry {
            std::size_t slot;
            const char* name;
            const char* color;
            bool loops;
            bool hold;
        };
        const Entry entries[] = {
            {0, "Preshow Music", "blue", true, false},
            {1, "Welcome Announcement", "lightblue", false, false},
            {2, "Thunder Crack", "purple", false, false},
            {4, "Door Slam", "orange", false, false},
            {5, "Phone Ring", "yellow", false, true},
            {6, "Rain Ambience (long loop)", "green", true, false},
            {8, "Act One Underscore", "red", false, false},
            {9, "Car Horn", "default", false, false},
            {12, "Interval Music", "blue", true, false},
            {15, "Curtain Call", "red", false, false},
        };
        for (const Entry& entry : entries) {
            auto cue = placeCue(wav(std::string(entry.name) + ".wav", 0.1f, 3.0), entry.slot,
                                cart().defaultHotkeyForIndex(entry.slot));
            cue->setName(entry.name);
            cue->setColor(PondraColor::colorWithName(entry.color));
            cue->setLoops(entry.loops);
            cue->setHold(entry.hold);
        }
    }
};

TEST_F(WindowGallery, TheWorkspaceWindowInEditModeShowModeAndPlaying) {
    openWindow();
    // A second cart, so the tab row shows.
    auto second = std::make_shared<Cart>();
    second->setName("Act Two");
    workspace->addCart(second);
    controller->addControllerForCart(second);
    controller->selectTab(0);
    // The tab row grows in.
    scheduler.advance(0.2);
    fillShow();
    PondraWindow& window = *controller->window();
    window.resize(960, 760);
    QApplication::processEvents();
    grid().gridView()->setSelectedIndex(5);
    saveToGallery(window, QStringLiteral("window-edit"));

    controller->setShowMode();
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-show"));

    cart().cueAtIndex(0)->triggerDown();
    cell(4).pressCue();
    // 1.2 s of sound, then the cues' progress timers.
    render(900);
    scheduler.advance(0.1);
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-playing"));
    cell(4).releaseCue();

    controller->setEditMode();
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-edit-playing"));
    EXPECT_TRUE(cart().cueAtIndex(0)->isPlaying());
}

TEST_F(WindowGallery, CueCellsPlayingPausedStoppedBrokenAndMissingSideBySide) {
    openWindow();
    cart().setSize({5, 4});
    PondraWindow& window = *controller->window();
    window.resize(1100, 760);
    QApplication::processEvents();
    // Left to right: playing, paused, stopped, a file that cannot be read, a
    // missing file.
    std::vector<std::shared_ptr<AudioCue>> cues;
    const char* names[] = {"Thunder Crack", "Rain Ambience", "Door Slam", "Car Horn",
                           "Curtain Call"};
    for (std::size_t slot = 0; slot < 3; ++slot) {
        cues.push_back(placeCue(wav(std::string(names[slot]) + ".wav", 0.1f, 4.0), slot,
                                cart().defaultHotkeyForIndex(slot)));
    }
    const std::string junk = files.path("Car Horn.wav");
    std::ofstream(junk) << "RIFF not really a wave file at all";
    for (const std::string& path : {junk, files.path("Curtain Call.wav")}) {
        auto cue = AudioCue::initWithFile(path, device);
        cue->setHotkey(cart().defaultHotkeyForIndex(cues.size()));
        grid().addCue(cue, cues.size());
        cues.push_back(cue);
    }
    for (std::size_t slot = 0; slot < cues.size(); ++slot) {
        cues[slot]->setName(names[slot]);
    }
    cues[1]->setLoops(true);
    cues[0]->triggerDown();
    cues[1]->triggerDown();
    // 1.2 s of sound, then the progress timers.
    render(900);
    scheduler.advance(0.1);
    cues[1]->pause();
    render(2);

    // Rows: edit mode on a dark and on a light colour, then show mode, whose
    // cells are taller without the inspector.
    struct Row {
        bool show;
        const char* colour;
    };
    const Row rows[] = {{false, "blue"}, {false, "yellow"}, {true, "blue"}, {true, "yellow"}};
    constexpr int kGap = 8;
    for (qreal ratio : {1.0, 2.0}) {
        std::vector<QImage> pictures;
        QSize sheetSize(0, kGap);
        for (const Row& row : rows) {
            if (row.show) {
                controller->setShowMode();
            } else {
                controller->setEditMode();
            }
            for (const auto& cue : cues) {
                cue->setColor(PondraColor::colorWithName(row.colour));
            }
            QApplication::processEvents();
            const QSize size = cell(0).size();
            sheetSize =
                QSize(5 * (size.width() + kGap) + kGap, sheetSize.height() + size.height() + kGap);
            for (std::size_t slot = 0; slot < cues.size(); ++slot) {
                pictures.push_back(renderWidget(cell(slot), ratio));
            }
        }
        QImage sheet(sheetSize * ratio, QImage::Format_ARGB32_Premultiplied);
        sheet.setDevicePixelRatio(ratio);
        sheet.fill(QColor::fromRgbF(0.16, 0.15, 0.15));
        QPainter painter(&sheet);
        qreal y = kGap;
        for (std::size_t k = 0; k < pictures.size(); ++k) {
            const QImage& picture = pictures[k];
            const QSizeF size = picture.deviceIndependentSize();
            painter.drawImage(QPointF(kGap + (k % 5) * (size.width() + kGap), y), picture);
            if (k % 5 == 4) {
                y += size.height() + kGap;
            }
        }
        painter.end();
        const QString file = QStringLiteral("cells-states@%1x.png").arg(static_cast<int>(ratio));
        EXPECT_TRUE(sheet.save(galleryPath(file)));
    }
    controller->setEditMode();
}

TEST_F(WindowGallery, CuesNamedAtGreatLengthShowTheirNamesStartAndEnd) {
    openWindow();
    const std::string file = wav("a.wav", 0.1f);
    const std::string middle(1 << 20, 'x');
    const std::vector<std::pair<std::size_t, std::string>> names{
        {0, "Overture " + middle + " final chord"},
        {1, "\xC3\x89"
            "clair " +
                std::string(1 << 19, 'y') + " fin"},
        {5, "Thunder"}};
    for (const auto& [slot, name] : names) {
        auto cue = AudioCue::initWithFile(file, device);
        cue->setName(name);
        cue->setColor(PondraColor::colorWithName(slot == 0 ? "blue" : "green"));
        grid().addCue(cue, slot);
    }
    PondraWindow& window = *controller->window();
    window.resize(960, 700);
    QApplication::processEvents();
    saveToGallery(window, QStringLiteral("window-long-names"));
}

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

TEST_F(WindowGallery, TheSettingsGridSizeRenameAndProgressSheets) {
    openWindow();
    fillShow();
    cart().setSize({3, 2});
    controller->settings().setMidiChannel(3);
    controller->editWorkspaceSettings();
    QApplication::processEvents();
    saveToGallery(*controller->settingsSheet(), QStringLiteral("sheet-settings"));
    controller->settingsSheet()->close();

    controller->changeGrid();
    QApplication::processEvents();
    auto* grid = dynamic_cast<GridSelectorController*>(
        controller->window()->findChild<QDialog*>(QStringLiteral("gridSelector")));
    ASSERT_NE(grid, nullptr);
    saveToGallery(*grid, QStringLiteral("sheet-grid-size"));
    grid->close();

    controller->renameCart();
    QApplication::processEvents();
    auto* rename = dynamic_cast<RenameCartWindowController*>(
        controller->window()->findChild<QDialog*>(QStringLiteral("renameCart")));
    ASSERT_NE(rename, nullptr);
    saveToGallery(*rename, QStringLiteral("sheet-rename"));
    rename->close();

    controller->window()->resize(900, 620);
    controller->window()->saveProgress()->beginProgress("Saving");
    QApplication::processEvents();
    saveToGallery(*controller->window()->saveProgress(), QStringLiteral("sheet-progress"));
    saveToGallery(*controller->window(), QStringLiteral("window-saving"));
    controller->window()->saveProgress()->endProgress();

    ImportProgressSheet& import = *controller->window()->importProgress();
    import.begin(QStringLiteral("Importing media"), 12);
    import.setDone(5);
    QApplication::processEvents();
    saveToGallery(import, QStringLiteral("sheet-import"));
    import.end();
}

TEST_F(WindowGallery, TheTabBarWithThreeCartsAndWithTwelveOverflowing) {
    for (int carts : {3, 12}) {
        const std::vector<const char*> names = {
            "Preshow",         "Act One",        "Interval",     "Act Two",
            "Curtain Calls",   "Walk-out Music", "Sound Check",  "Rehearsal Effects",
            "Understudy Cues", "Matinee Extras", "Spare Stings", "Archive"};
        PondraWindow& window = showCarts({names.begin(), names.begin() + carts});
        saveToGallery(window, QStringLiteral("window-tabs-%1").arg(carts));
    }
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

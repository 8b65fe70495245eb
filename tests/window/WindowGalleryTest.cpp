// Renders the workspace window in edit mode, in show mode and with a cue
// playing to PNG files under the build tree's gallery folder, at 1x and 2x,
// for people judging the look.
#include "KivUI/KivColors.h"
#include "WindowFixture.h"
#include "model/PondraColor.h"
#include "window/BrokenCueController.h"

#include <QDir>
#include <QPainter>

namespace {

QString galleryPath(const QString& file) {
    QDir().mkpath(QStringLiteral(PONDRA_GALLERY_DIR));
    return QStringLiteral(PONDRA_GALLERY_DIR "/") + file;
}

void save(QWidget& window, const QString& name) {
    for (qreal ratio : {1.0, 2.0}) {
        QImage image(window.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        window.render(&image);
        const QString file = QStringLiteral("%1@%2x.png").arg(name).arg(static_cast<int>(ratio));
        EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
    }
}

} // namespace

class WindowGallery : public WindowFixture {
protected:
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
    fillShow();
    PondraWindow& window = *controller->window();
    window.resize(900, 620);
    QApplication::processEvents();
    grid().gridView()->setSelectedIndex(5);
    save(window, QStringLiteral("window-edit"));

    controller->setShowMode();
    QApplication::processEvents();
    save(window, QStringLiteral("window-show"));

    cart().cueAtIndex(0)->triggerDown();
    cell(4).pressCue();
    // 1.2 s of sound, then the cues' progress timers.
    render(900);
    scheduler.advance(0.1);
    QApplication::processEvents();
    save(window, QStringLiteral("window-playing"));
    cell(4).releaseCue();

    controller->setEditMode();
    QApplication::processEvents();
    save(window, QStringLiteral("window-edit-playing"));
    EXPECT_TRUE(cart().cueAtIndex(0)->isPlaying());
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

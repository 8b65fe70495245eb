// The workspace window with its menus open over it, as they show: a menu of
// the menu bar, a cell's contextual menu, the effects button's pop-up with
// no effect installed and the output pop-up's list; drawn to the gallery at
// 1x and 2x.
#include "KivUI/controls/PondraMenuButton.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/drawing/KivMenuTheme.h"
#include "support/Gallery.h"
#include "window/WindowGalleryFixture.h"
#include "window/grid/CueCellController.h"
#include "window/grid/CueCellView.h"
#include "window/inspector/CueInspectorController.h"
#include "window/inspector/InspectorController.h"

#include <QAbstractItemView>
#include <QMenu>
#include <QMenuBar>

namespace {

// A pop-up shown over the window, at its place in the window.
struct Open {
    QWidget* popup;
    QPoint at;
};

class MenusGallery : public WindowGallery {
protected:
    // As the program's start-up does.
    void SetUp() override { installDarkMenuTheme(); }
    void TearDown() override { QApplication::setPalette(_before, "QMenu"); }

    // Opens the menu at a point of the window, its entry `active` highlighted.
    Open openMenu(QMenu& menu, QPoint at, int active = -1) {
        menu.popup(controller->window()->mapToGlobal(at));
        if (active >= 0) {
            menu.setActiveAction(menu.actions().at(active));
        }
        QApplication::processEvents();
        return {&menu, at};
    }

    // The window with the pop-ups drawn over it where they show.
    void saveOver(const std::vector<Open>& open, const QString& name) {
        PondraWindow& window = *controller->window();
        for (qreal ratio : {1.0, 2.0}) {
            QImage image(window.size() * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::black);
            window.render(&image);
            for (const Open& each : open) {
                each.popup->render(&image, each.at);
            }
            const QString file =
                QStringLiteral("%1@%2x.png").arg(name).arg(static_cast<int>(ratio));
            EXPECT_TRUE(image.save(galleryPath(file))) << file.toStdString();
        }
    }

private:
    QPalette _before = QApplication::palette("QMenu");
};

} // namespace

TEST_F(MenusGallery, TheMenuBarsMenuAndACellsContextualMenuOverTheWindow) {
    PondraWindow& window = showCarts({"Preshow", "Act One", "Act Two"});
    QMenuBar* bar = window.menuBar();
    QMenu* controls = bar->actions().at(2)->menu();
    const QPoint under =
        bar->mapTo(&window, bar->actionGeometry(bar->actions().at(2)).bottomLeft());
    const Open menu = openMenu(*controls, under, 3);

    CueCellView& thunder = cell(6);
    const std::unique_ptr<QMenu> contextual = thunder.controller().makeContextMenu();
    const QPoint inCell = thunder.mapTo(&window, QPoint(thunder.width() / 2, thunder.height() / 2));
    const Open cellMenu = openMenu(*contextual, inCell, 5);
    saveOver({menu, cellMenu}, QStringLiteral("menus-bar-and-cell"));
    contextual->hide();
    controls->hide();
}

TEST_F(MenusGallery, TheEmptyEffectsMenuAndTheOutputListOverTheWindow) {
    hardware.backend->plug(OfflineHardware::device("usb", 4));
    PondraWindow& window = showCarts({"Preshow", "Act One"});
    grid().gridView()->setSelectedIndex(2);
    QApplication::processEvents();
    CueInspectorController& inspector = controller->inspectorController()->cueInspectorController();
    PondraMenuButton* effects = inspector.effectsButton();
    const Open effectsMenu =
        openMenu(*inspector.effectsMenu(), effects->mapTo(&window, effects->rect().bottomLeft()));

    VornPopUpButton* outputs = window.outputs();
    outputs->showPopup();
    QApplication::processEvents();
    QWidget* list = outputs->view()->window();
    const Open outputList{list, window.mapFromGlobal(list->mapToGlobal(QPoint(0, 0)))};
    saveOver({effectsMenu, outputList}, QStringLiteral("menus-effects-and-output"));
    outputs->hidePopup();
    inspector.effectsMenu()->hide();
}

// The workspace settings, grid size, rename and progress sheets, drawn to the
// gallery at 1x and 2x.
#include "support/Gallery.h"
#include "window/WindowGalleryFixture.h"
#include "window/sheets/GridSelectorController.h"
#include "window/sheets/ImportProgressSheet.h"
#include "window/sheets/PondraProgressSheet.h"
#include "window/sheets/RenameCartWindowController.h"
#include "window/sheets/SettingsSheet.h"

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

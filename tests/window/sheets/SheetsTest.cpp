// The settings, grid-size, rename and progress sheets of the workspace window.
#include "KivUI/WidgetRender.h"
#include "KivUI/controls/VornButton.h"
#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornHotKeyTextView.h"
#include "KivUI/controls/VornPopUpButton.h"
#include "KivUI/controls/VornTextField.h"
#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "model/DocumentController.h"
#include "model/PackageWriter.h"
#include "platform/undo/UndoManager.h"
#include "support/Outlet.h"
#include "window/WindowFixture.h"
#include "window/inspector/InspectorController.h"
#include "window/sheets/GridSelectorController.h"
#include "window/sheets/PondraProgressSheet.h"
#include "window/sheets/RenameCartWindowController.h"
#include "window/sheets/SettingsSheet.h"
#include "window/tabs/CartTabBar.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

namespace {

// Counts the panics of every open workspace asked of the application.
class RecordingDocuments final : public DocumentActions {
public:
    void newDocument() override {}
    void openDocument() override {}
    void saveDocument(Workspace&) override {}
    void saveDocumentAs(Workspace&) override {}
    void revertDocument(Workspace&) override {}
    bool closeDocument(Workspace&) override { return true; }
    void quit() override {}
    void panicAllDocuments() override { ++panics; }
    void showPreferences() override {}
    HelpActions* helpActions() override { return nullptr; }
    WorkspaceController* newWindowForDraggedTab() override { return nullptr; }

    int panics = 0;
};

} // namespace

class Sheets : public WindowFixture {
protected:
    SettingsSheet& openSettings() {
        controller->window()->action(QStringLiteral("editWorkspaceSettings"))->trigger();
        QApplication::processEvents();
        SettingsSheet* sheet = controller->settingsSheet();
        EXPECT_TRUE(sheet && sheet->isVisible());
        return *sheet;
    }
    // By name: the sheets have no meta-objects of their own to look them up by.
    template <typename Sheet>
    Sheet* openSheet() {
        QApplication::processEvents();
        const QString name = std::is_same_v<Sheet, GridSelectorController>
                                 ? QStringLiteral("gridSelector")
                                 : QStringLiteral("renameCart");
        return dynamic_cast<Sheet*>(controller->window()->findChild<QDialog*>(name));
    }
    UndoManager& undo() const { return workspace->undoManager(); }
};

TEST_F(Sheets, TheSettingsSheetShowsTheDefaultsAndASettingsStateRead) {
    openWindow();
    SettingsSheet& sheet = openSettings();
    EXPECT_EQ(outlet<VornHotKeyTextView>(&sheet, "pauseAllView")->key().displayString(), "[");
    EXPECT_EQ(outlet<VornHotKeyTextView>(&sheet, "resumeAllView")->key().displayString(), "]");
    EXPECT_EQ(outlet<VornHotKeyTextView>(&sheet, "duckMasterView")->key().displayString(), ",");
    EXPECT_EQ(outlet<VornPopUpButton>(&sheet, "midiChannelField")->currentText(), "Any channel");
    EXPECT_EQ(outlet<VornPopUpButton>(&sheet, "midiChannelField")->count(), 17);
    EXPECT_EQ(outlet<VornTextField>(&sheet, "panicDurationField")->text(), "1.0");
    EXPECT_FALSE(outlet<VornCheckBox>(&sheet, "performSafetyCheckView")->isChecked());
    sheet.close();

    controller->settings().setState(
        {{"MIDI Controls", {{"midiChannel", 5}}}, {"General Settings", {{"panicDuration", 0.5}}}});
    openSettings();
    EXPECT_EQ(outlet<VornPopUpButton>(&sheet, "midiChannelField")->currentText(), "5");
    EXPECT_EQ(outlet<VornTextField>(&sheet, "panicDurationField")->text(), "0.5");
}

TEST_F(Sheets, EachChangeInTheSettingsSheetIsAnEditOfTheDocument) {
    openWindow();
    SettingsSheet& sheet = openSettings();
    SettingsController& settings = controller->settings();
    undo().markSaved();

    outlet<VornHotKeyTextView>(&sheet, "pauseAllView")->setFocus();
    QTest::keyClick(outlet<VornHotKeyTextView>(&sheet, "pauseAllView"), Qt::Key_P);
    undo().endTurn();
    EXPECT_EQ(settings.pauseAllKey().displayString(), "P");
    EXPECT_TRUE(workspace->isDocumentEdited());
    EXPECT_EQ(undo().undoActionName(), "Change Settings");

    outlet<VornPopUpButton>(&sheet, "midiChannelField")->activated(5);
    undo().endTurn();
    EXPECT_EQ(settings.midiChannel(), 5);
    EXPECT_EQ(settings.state()["MIDI Controls"]["midiChannel"], 5);

    QTest::mouseClick(outlet<VornCheckBox>(&sheet, "performSafetyCheckView"), Qt::LeftButton);
    undo().endTurn();
    EXPECT_TRUE(settings.shouldPerformSafetyChecks());

    sheet.findChild<VornButton*>(QStringLiteral("clearduckMasterView"))->click();
    undo().endTurn();
    EXPECT_TRUE(settings.duckMasterKey().isEmpty());
    EXPECT_TRUE(outlet<VornHotKeyTextView>(&sheet, "duckMasterView")->key().isEmpty());

    // An undo shows in the open sheet.
    ASSERT_TRUE(undo().undo());
    EXPECT_EQ(outlet<VornHotKeyTextView>(&sheet, "duckMasterView")->key().displayString(), ",");
    ASSERT_TRUE(undo().undo());
    EXPECT_FALSE(outlet<VornCheckBox>(&sheet, "performSafetyCheckView")->isChecked());

    sheet.findChild<VornButton*>(QStringLiteral("resetToDefaults"))->click();
    undo().endTurn();
    EXPECT_EQ(settings.pauseAllKey().displayString(), "[");
    EXPECT_EQ(settings.midiChannel(), 0);
    EXPECT_EQ(outlet<VornPopUpButton>(&sheet, "midiChannelField")->currentText(), "Any channel");
}

TEST_F(Sheets, ThePanicDurationFieldTakesOnlyADurationOfZeroOrMore) {
    openWindow();
    SettingsSheet& sheet = openSettings();
    VornTextField& field = *outlet<VornTextField>(&sheet, "panicDurationField");
    const auto type = [&](const QString& text) {
        field.setText(text);
        field.editingFinished();
    };
    type(QStringLiteral("2.5"));
    EXPECT_EQ(controller->settings().panicDuration(), 2.5);
    for (const QString& refused : {QStringLiteral("-1"), QStringLiteral("soon"),
                                   QStringLiteral("inf"), QStringLiteral("1e400")}) {
        type(refused);
        EXPECT_EQ(controller->settings().panicDuration(), 2.5) << refused.toStdString();
        EXPECT_EQ(field.text(), "2.5");
    }
    type(QStringLiteral("0"));
    EXPECT_EQ(controller->settings().panicDuration(), 0.0);
    EXPECT_EQ(field.text(), "0.0");
}

// Quitting with the sheet in front: the sheet goes with the window, and its
// duration field loses the focus as it goes.
TEST_F(Sheets, ADurationStillBeingTypedWhenTheWindowGoesIsNoEdit) {
    openWindow();
    SettingsSheet& sheet = openSettings();
    VornTextField& field = *outlet<VornTextField>(&sheet, "panicDurationField");
    field.setFocus();
    ASSERT_TRUE(field.hasFocus());
    field.setText(QStringLiteral("3"));
    undo().endTurn();
    ASSERT_FALSE(undo().canUndo());

    controller.reset();
    undo().endTurn();
    EXPECT_FALSE(undo().canUndo());
    EXPECT_FALSE(undo().hasUnsavedChanges());
}

TEST_F(Sheets, EscapeInAHotKeyFieldPanicsEveryWorkspaceAndTheKeyStays) {
    RecordingDocuments application;
    documents = &application;
    openWindow();
    SettingsSheet& sheet = openSettings();
    outlet<VornHotKeyTextView>(&sheet, "resumeAllView")->setFocus();
    QTest::keyClick(outlet<VornHotKeyTextView>(&sheet, "resumeAllView"), Qt::Key_Escape);
    EXPECT_EQ(application.panics, 1);
    EXPECT_EQ(controller->settings().resumeAllKey().displayString(), "]");
    EXPECT_TRUE(sheet.isVisible());

    // Return ends the capture and is no press of the sheet's Done button.
    QTest::keyClick(outlet<VornHotKeyTextView>(&sheet, "resumeAllView"), Qt::Key_Return);
    EXPECT_FALSE(outlet<VornHotKeyTextView>(&sheet, "resumeAllView")->hasFocus());
    EXPECT_TRUE(sheet.isVisible());

    // Elsewhere in the sheet too, and the sheet stays open.
    outlet<VornTextField>(&sheet, "panicDurationField")->setFocus();
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_EQ(application.panics, 2);
    EXPECT_TRUE(sheet.isVisible());
}

TEST_F(Sheets, EscapeInAHotKeyFieldOfAWindowOnItsOwnPanicsItsCues) {
    openWindow();
    auto cue = placeCue(wav("a.wav", 0.25f, 2.0), 0, "A");
    cue->triggerDown();
    render(2);
    ASSERT_TRUE(cue->isPlaying());
    SettingsSheet& sheet = openSettings();
    outlet<VornHotKeyTextView>(&sheet, "pauseAllView")->setFocus();
    QTest::keyClick(outlet<VornHotKeyTextView>(&sheet, "pauseAllView"), Qt::Key_Escape);
    EXPECT_TRUE(cue->isPanicking());
    EXPECT_EQ(controller->settings().pauseAllKey().displayString(), "[");
}

TEST_F(Sheets, TheSheetsOpenOnlyInEditMode) {
    openWindow();
    controller->setShowMode();
    for (const char* name : {"editWorkspaceSettings", "changeGrid", "renameCart"}) {
        EXPECT_FALSE(controller->window()->action(QString::fromLatin1(name))->isEnabled()) << name;
    }
    controller->editWorkspaceSettings();
    controller->changeGrid();
    controller->renameCart();
    EXPECT_EQ(controller->settingsSheet(), nullptr);
    EXPECT_EQ(openSheet<GridSelectorController>(), nullptr);
    EXPECT_EQ(openSheet<RenameCartWindowController>(), nullptr);
    controller->setEditMode();
    EXPECT_TRUE(controller->window()->action(QStringLiteral("changeGrid"))->isEnabled());
}

TEST_F(Sheets, TheGridSizeSheetLightsTheCartsOwnSizeByItsTitle) {
    openWindow();
    cart().setSize({2, 3});
    controller->changeGrid();
    GridSelectorController* sheet = openSheet<GridSelectorController>();
    ASSERT_NE(sheet, nullptr);
    ASSERT_NE(sheet->selectedCell(), nullptr);
    // 3x2 has the same number of cells.
    EXPECT_EQ(sheet->selectedCell()->text(), "2x3");
}

TEST_F(Sheets, ACellOfTheGridSizeSheetResizesTheCartAndClosesIt) {
    openWindow();
    undo().markSaved();
    controller->changeGrid();
    QPointer<GridSelectorController> sheet = openSheet<GridSelectorController>();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->selectedCell()->text(), "4x4");
    QTest::mouseClick(sheet->cellTitled(QStringLiteral("5x2")), Qt::LeftButton);
    EXPECT_EQ(cart().size(), (CartSize{5, 2}));
    undo().endTurn();
    EXPECT_EQ(undo().undoActionName(), "Change Size");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(sheet);

    controller->changeGrid();
    sheet = openSheet<GridSelectorController>();
    sheet->findChild<VornButton*>(QStringLiteral("didClickCancel"))->click();
    EXPECT_EQ(cart().size(), (CartSize{5, 2}));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(sheet);
}

TEST_F(Sheets, ANewGridSizeLeavesNothingSelectedAndTheInspectorEmpty) {
    openWindow();
    controller->inspectorController()->setAnimated(false);
    placeCue(wav("door.wav", 0.1f), 4)->setName("Door");
    placeCue(wav("rain.wav", 0.1f), 5)->setName("Rain");
    undo().endTurn();
    sendMouse(cell(5), QEvent::MouseButtonPress, {30, 30});
    sendMouse(cell(5), QEvent::MouseButtonRelease, {30, 30});
    ASSERT_EQ(controller->inspectorController()->cue()->name(), "Rain");

    // Five columns put the door where the rain was selected.
    controller->window()->action(QStringLiteral("changeGrid"))->trigger();
    GridSelectorController* sheet = openSheet<GridSelectorController>();
    ASSERT_TRUE(sheet);
    QTest::mouseClick(sheet->cellTitled(QStringLiteral("5x2")), Qt::LeftButton);
    ASSERT_EQ(cart().cueAtIndex(5)->name(), "Door");
    EXPECT_EQ(grid().gridView()->selectedIndex(), GridView::kNoSelection);
    EXPECT_EQ(controller->inspectorController()->cue(), nullptr);

    // Its undo too.
    undo().endTurn();
    grid().gridView()->setSelectedIndex(4);
    controller->window()->action(QStringLiteral("undo"))->trigger();
    EXPECT_EQ(cart().size(), (CartSize{4, 4}));
    EXPECT_EQ(grid().gridView()->selectedIndex(), GridView::kNoSelection);
    EXPECT_EQ(controller->inspectorController()->cue(), nullptr);
}

TEST_F(Sheets, TheRenameSheetNamesTheCartAndItsTabAndOffersNoBlankName) {
    openWindow();
    controller->renameCart();
    QPointer<RenameCartWindowController> sheet = openSheet<RenameCartWindowController>();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->name()->text(), "Cart 1");
    sheet->name()->setText(QStringLiteral("   "));
    EXPECT_FALSE(outlet<VornButton>(sheet, "didRenameCart")->isEnabled());
    sheet->name()->setText(QStringLiteral("Act One"));
    QTest::mouseClick(outlet<VornButton>(sheet, "didRenameCart"), Qt::LeftButton);
    EXPECT_EQ(cart().name(), "Act One");
    EXPECT_EQ(controller->window()->tabs()->tabView()->tabViewItemAtIndex(0)->label(), "Act One");
    undo().endTurn();
    EXPECT_EQ(undo().undoActionName(), "Rename Cart");
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(sheet);
}

TEST_F(Sheets, SavingShowsTheProgressSheetUntilThePackageIsWritten) {
    openWindow();
    DocumentController::DocumentFactory factory = [this] {
        return std::make_shared<Workspace>(device, files.path("cache"));
    };
    DocumentController saving{factory, PackageWriter(), scheduler};
    PondraProgressSheet& sheet = *controller->window()->saveProgress();
    EXPECT_FALSE(sheet.isVisible());
    saving.saveDocumentAs(*workspace, files.path("Show.pondra"), nullptr);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.textField()->text(), "Saving");
    EXPECT_EQ(sheet.size(), QSize(300, 100));
    EXPECT_EQ(sheet.progressIndicator()->maximum(), 0);
    EXPECT_EQ(sheet.x(), (controller->window()->centralWidget()->width() - 300) / 2);
    saving.finishSaving(*workspace);
    EXPECT_FALSE(sheet.isVisible());
}

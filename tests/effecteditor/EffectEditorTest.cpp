#include "KivUI/controls/VornCheckBox.h"
#include "KivUI/controls/VornSlider.h"
#include "KivUI/controls/VornTextField.h"
#include "effecteditor/EffectEditorFixture.h"
#include "effecteditor/EffectEditorPlacement.h"
#include "effecteditor/EffectEditorWindow.h"
#include "effecteditor/EffectGenericView.h"
#include "effecteditor/EffectPresetSaveSheet.h"
#include "effecteditor/EffectPresetsPullDown.h"
#include "effecteditor/KivEffectPresetFolders.h"
#include "effecteditor/KivEffectPresetManageSheet.h"
#include "effecteditor/QtEffectPresetExecutor.h"
#include "support/GuiWatchdog.h"
#include "support/Outlet.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include <fstream>

namespace {

constexpr float kHalfGainDb = -6.0206f;

QStringList titles(const QMenu& menu) {
    QStringList result;
    for (const QAction* action : menu.actions()) {
        result << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return result;
}

QMenu* submenu(const QMenu& menu, const QString& title) {
    for (const QAction* action : menu.actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

EffectParameter gainOf(KivEffect& effect) {
    return effect.parameters().front();
}

using EffectEditorTest = EffectEditorFixture;

TEST_F(EffectEditorTest, TheGenericViewMovesAPortAndTheSoundFollows) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    ASSERT_NE(editor->genericView(), nullptr);
    auto* slider = qobject_cast<VornSlider*>(editor->genericView()->controlForParameter(kGainPort));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), EffectGenericView::sliderPosition(gainOf(*gain), 0.0f));
    EXPECT_NEAR(sinePeak(*gain), 1.0f, 1e-3f);

    slider->setValue(EffectGenericView::sliderPosition(gainOf(*gain), kHalfGainDb));
    const float chosen = gain->valueForParameter(kGainPort);
    EXPECT_NEAR(chosen, kHalfGainDb, 0.1f);
    EXPECT_NEAR(sinePeak(*gain), std::pow(10.0f, chosen / 20.0f), 1e-3f);
    EXPECT_EQ(editor->genericView()->valueTextForParameter(kGainPort)->text(),
              EffectGenericView::valueText(gainOf(*gain), chosen));

    // Set elsewhere, the slider follows.
    gain->setValueForParameter(kGainPort, 6.0f);
    EXPECT_EQ(slider->value(), EffectGenericView::sliderPosition(gainOf(*gain), 6.0f));
    // The enabled port is the check box's, the latency port nobody's.
    EXPECT_EQ(editor->genericView()->controlForParameter(1), nullptr);
    EXPECT_EQ(editor->genericView()->controlForParameter(2), nullptr);
}

TEST_F(EffectEditorTest, TheCheckBoxAndTheBypassStayInStep) {
    auto gain = placedEffect(kTestGainUri);
    auto other = placedEffect(kTestGainUri);
    gain->setValueForParameter(kGainPort, kHalfGainDb);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    EXPECT_TRUE(editor->enabledButton()->isChecked());

    editor->enabledButton()->click();
    EXPECT_FALSE(gain->enabled());
    EXPECT_NEAR(sinePeak(*gain), 1.0f, 1e-3f) << "bypassed, the sine passes whole";

    gain->setEnabled(true);
    EXPECT_TRUE(editor->enabledButton()->isChecked());
    EXPECT_NEAR(sinePeak(*gain), 0.5f, 1e-3f);
    // Another effect's bypass leaves this one's box as its effect is.
    other->setEnabled(false);
    EXPECT_TRUE(editor->enabledButton()->isChecked());
}

TEST_F(EffectEditorTest, OpeningTwiceRaisesTheOneEditor) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* first = EffectEditor::open(*gain);
    ASSERT_NE(first, nullptr);
    first->hide();
    EXPECT_EQ(EffectEditor::open(*gain), first);
    EXPECT_TRUE(first->isVisible());

    first->close();
    EXPECT_EQ(gain->editor(), nullptr) << "closing hands the window back";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EffectEditor* second = EffectEditor::open(*gain);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isVisible());
}

TEST_F(EffectEditorTest, TheGenericEditorOfAnEffectWithControlsOpensTallEnoughToShowThem) {
    auto controls = placedEffect(kTestGainControlsUri);
    EffectEditor* editor = EffectEditor::open(*controls);
    ASSERT_NE(editor, nullptr);
    editor->adjustSize();
    EXPECT_GE(editor->height(), EffectEditor::kStripHeight + 100);
}

TEST_F(EffectEditorTest, ThePresetsMenuInItsOrderAndTheTitle) {
    auto stereo = placedEffect(kTestGainStereoUri, 48000.0, 2);
    EffectEditor* editor = EffectEditor::open(*stereo);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Test Gain Stereo") << "no preset: the effect's name alone";
    EXPECT_EQ(editor->presetsPullDown()->currentText(), "Presets");
    const QMenu& menu = *editor->presetsMenu();
    EXPECT_EQ(titles(menu),
              (QStringList{"Load...", "Save...", "Manage...", "-", "Factory", "System", "User"}));
    for (const char* name : {"Factory", "System", "User"}) {
        ASSERT_NE(submenu(menu, name), nullptr) << name;
        EXPECT_EQ(titles(*submenu(menu, name)), QStringList{"<none>"}) << name;
    }
    ASSERT_TRUE(menu.actions()[2]->isEnabled());
    EXPECT_EQ(editor->manageSheet(), nullptr);
    menu.actions()[2]->trigger();
    ASSERT_NE(editor->manageSheet(), nullptr);
    EXPECT_TRUE(editor->manageSheet()->isVisible());
}

TEST_F(EffectEditorTest, AFactoryPresetLoadsAndNamesTheWindow) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    QMenu* factory = submenu(*editor->presetsMenu(), "Factory");
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(titles(*factory), QStringList{"Half"});
    factory->actions().front()->trigger();
    EXPECT_NEAR(gain->valueForParameter(kGainPort), kHalfGainDb, 1e-4f);
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Half");
}

TEST_F(EffectEditorTest, ASavedPresetComesBackAfterReopening) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    gain->setValueForParameter(kGainPort, -12.0f);
    const std::string user = editor->userPresets().path();
    EXPECT_EQ(user, folders.path("home/pondra/presets/Pondra Tests/Test Gain"));

    ASSERT_EQ(saveAs(*editor, "Live/Hall", user), EffectPresetSaver::Result::Saved);
    EXPECT_TRUE(std::filesystem::exists(user + "/Live_Hall.aupreset"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(user),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left";
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Live_Hall");
    EXPECT_TRUE(prompts.alerts.empty());

    gain->setValueForParameter(kGainPort, 3.0f);
    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    presetWork->runAll();
    QMenu* users = submenu(*editor->presetsMenu(), "User");
    ASSERT_NE(users, nullptr);
    ASSERT_EQ(titles(*users), QStringList{"Live_Hall"});
    users->actions().front()->trigger();
    EXPECT_EQ(gain->valueForParameter(kGainPort), -12.0f);
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Live_Hall");
}

TEST_F(EffectEditorTest, ReplacingAPresetAsksFirst) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    const std::string user = editor->userPresets().path();
    gain->setValueForParameter(kGainPort, -12.0f);
    ASSERT_EQ(saveAs(*editor, "Hall", user), EffectPresetSaver::Result::Saved);

    gain->setValueForParameter(kGainPort, 6.0f);
    prompts.alertAnswers = {1};
    EXPECT_EQ(saveAs(*editor, "Hall", user), EffectPresetSaver::Result::Cancelled);
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_EQ(prompts.alerts[0].messageText,
              QStringLiteral("\u201CHall\u201D already exists. Do you want to replace it?"));
    EXPECT_EQ(prompts.alerts[0].informativeText,
              "A preset with the same name already exists. Replacing it will overwrite its "
              "current contents.");
    EXPECT_EQ(prompts.alerts[0].buttons, (QStringList{"Replace", "Cancel"}));
    ASSERT_TRUE(gain->setUserPreset(user + "/Hall.aupreset"));
    EXPECT_EQ(gain->valueForParameter(kGainPort), -12.0f) << "Cancel kept the old preset";

    gain->setValueForParameter(kGainPort, 6.0f);
    prompts.alertAnswers = {0};
    EXPECT_EQ(saveAs(*editor, "Hall", user), EffectPresetSaver::Result::Saved);
    gain->setValueForParameter(kGainPort, 0.0f);
    ASSERT_TRUE(gain->setUserPreset(user + "/Hall.aupreset"));
    EXPECT_EQ(gain->valueForParameter(kGainPort), 6.0f);
}

TEST_F(EffectEditorTest, AFailedSaveIsToldAndKeepsTheOldPreset) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    const std::string user = editor->userPresets().path();
    gain->setValueForParameter(kGainPort, -12.0f);
    ASSERT_EQ(saveAs(*editor, "Hall", user), EffectPresetSaver::Result::Saved);
    // A folder where the new file would go: the rename into place fails.
    std::filesystem::create_directories(user + "/Stage.aupreset/inside");

    prompts.alertAnswers = {0, 0};
    EXPECT_EQ(saveAs(*editor, "Stage", user), EffectPresetSaver::Result::Failed);
    ASSERT_EQ(prompts.alerts.size(), 2u) << "asked to replace, then told of the failure";
    EXPECT_EQ(prompts.alerts[1].messageText, "The preset could not be saved");
    EXPECT_EQ(gain->currentPresetName(), "Hall");
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Hall");
    EXPECT_TRUE(std::filesystem::is_directory(user + "/Stage.aupreset/inside"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(user),
                            std::filesystem::directory_iterator()),
              2)
        << "no temporary file is left";

    // A folder that cannot be made.
    folders.write("blocked", "a file");
    EXPECT_EQ(saveAs(*editor, "Hall", folders.path("blocked/sub")),
              EffectPresetSaver::Result::Failed);
    EXPECT_EQ(prompts.alerts.back().messageText, "The preset could not be saved");
    EXPECT_EQ(gain->currentPresetName(), "Hall");
}

TEST_F(EffectEditorTest, TheSaveSheetOffersTheUserFolderFirst) {
    folders.makeFolder("system/pondra/presets/Pondra Tests/Test Gain/Venue");
    folders.write("system/pondra/presets/Pondra Tests/Test Gain/Venue/Big.aupreset",
                  R"({"parameters": {"gain": -3.0}})");
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    editor->savePreset();
    auto* sheet = editor->findChild<EffectPresetSaveSheet*>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->chosenFolder(), editor->userPresets().path());
    EXPECT_EQ(outlet<VornPopUpButton>(sheet, "folderPopUp")->count(), 3)
        << "system, its subfolder, user";

    outlet<VornTextField>(sheet, "nameField")->setText(QStringLiteral("Live/Hall"));
    sheet->save();
    presetWork->runAll();
    EXPECT_TRUE(std::filesystem::exists(editor->userPresets().path() + "/Live_Hall.aupreset"));
}

TEST_F(EffectEditorTest, APresetIsWrittenOnTheWorkerAndTheEditorToldAfter) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    const std::string path = editor->userPresets().path() + "/Hall.aupreset";
    gain->setValueForParameter(kGainPort, -12.0f);
    editor->savePreset();
    auto* sheet = editor->findChild<EffectPresetSaveSheet*>();
    ASSERT_NE(sheet, nullptr);
    outlet<VornTextField>(sheet, "nameField")->setText(QStringLiteral("Hall"));
    sheet->save();

    // The existence check, its answer, the write: none touches the GUI thread's disk.
    for (int step = 0; step < 3; ++step) {
        EXPECT_TRUE(editor->isSavingPreset()) << step;
        EXPECT_FALSE(outlet<QPushButton>(sheet, "saveButton")->isEnabled()) << step;
        EXPECT_FALSE(editor->presetsPullDown()->isEnabled()) << step;
        EXPECT_EQ(editor->windowTitle(), "Test Gain") << step;
        EXPECT_FALSE(std::filesystem::exists(path)) << step;
        ASSERT_TRUE(presetWork->runOne()) << step;
    }
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(gain->currentPresetName(), "") << "named only once the result is back";
    ASSERT_TRUE(presetWork->runOne());
    EXPECT_FALSE(editor->isSavingPreset());
    EXPECT_TRUE(editor->presetsPullDown()->isEnabled());
    EXPECT_EQ(gain->currentPresetName(), "Hall");
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Hall");
    // The folders are read again, on the worker too.
    EXPECT_EQ(presetWork->pending(), 1u);
    presetWork->runAll();
    EXPECT_EQ(titles(*submenu(*editor->presetsMenu(), "User")), QStringList{"Hall"});
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.alerts.empty());
}

TEST_F(EffectEditorTest, AFailedSaveFromTheSheetKeepsItOpen) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    std::filesystem::create_directories(editor->userPresets().path() + "/Stage.aupreset/inside");
    editor->savePreset();
    auto* sheet = editor->findChild<EffectPresetSaveSheet*>();
    ASSERT_NE(sheet, nullptr);
    outlet<VornTextField>(sheet, "nameField")->setText(QStringLiteral("Stage"));
    prompts.alertAnswers = {0, 0};
    sheet->save();
    presetWork->runAll();
    ASSERT_EQ(prompts.alerts.size(), 2u);
    EXPECT_EQ(prompts.alerts[1].messageText, "The preset could not be saved");
    EXPECT_TRUE(outlet<QPushButton>(sheet, "saveButton")->isEnabled()) << "ready for another name";
    EXPECT_TRUE(editor->presetsPullDown()->isEnabled());
    EXPECT_NE(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(gain->currentPresetName(), "");
}

TEST_F(EffectEditorTest, AnEditorClosedWhileSavingHearsNothingMore) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    const std::string path = editor->userPresets().path() + "/Hall.aupreset";
    bool ended = false;
    editor->savePresetAs("Hall", editor->userPresets().path(),
                         [&ended](EffectPresetSaver::Result) { ended = true; });
    ASSERT_TRUE(presetWork->runOne());
    ASSERT_TRUE(presetWork->runOne());
    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    presetWork->runAll();
    EXPECT_TRUE(std::filesystem::exists(path)) << "the write under way ends";
    EXPECT_FALSE(ended);
    EXPECT_EQ(gain->currentPresetName(), "");
}

TEST_F(EffectEditorTest, ARefusedPresetIsToldAndChangesNothing) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    gain->setValueForParameter(kGainPort, -3.0f);
    gain->setCurrentPresetName("Mine");
    editor->updateTitle();
    const std::string foreign =
        folders.write("Echo.aupreset", R"({"parameters": {"feedback": 0.5}})");
    const std::string corrupt = folders.write("Broken.aupreset", "{\"parameters\": ");

    prompts.openAnswers = {QStringList{QString::fromStdString(foreign)},
                           QStringList{QString::fromStdString(corrupt)}};
    editor->loadPreset();
    editor->loadPreset();
    ASSERT_EQ(prompts.alerts.size(), 2u);
    for (const KivAlert& alert : prompts.alerts) {
        EXPECT_EQ(alert.messageText, "The preset could not be loaded");
    }
    EXPECT_EQ(gain->valueForParameter(kGainPort), -3.0f);
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Mine");
}

} // namespace

TEST_F(EffectEditorTest, OpeningReadsPresetFoldersOffTheGuiThreadEvenWhenTheyLoop) {
    const std::string user = KivEffectPresetFolders::userFolder("Pondra Tests", "Test Gain");
    std::filesystem::create_directories(user);
    for (int n = 0; n < 1500; ++n) {
        std::ofstream(user + "/P" + std::to_string(n) + ".aupreset") << "{}";
    }
    std::filesystem::create_directory_symlink(".", user + "/again");
    std::filesystem::create_directory_symlink(".", user + "/more");
    EffectEditor::install(prompts, std::make_shared<QtEffectPresetExecutor>());
    auto gain = placedEffect(kTestGainUri);

    GuiWatchdog watchdog;
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    // The preset folders are read on the worker.
    presetWork->runAll();
    const auto users = [editor] { return titles(*submenu(*editor->presetsMenu(), "User")); };
    EXPECT_TRUE(GuiWatchdog::spinUntil([&] { return users().size() > 1; }));
    EXPECT_LT(watchdog.longestStall(), GuiWatchdog::kFreeze);
    EXPECT_EQ(users().size(), 1500);
}

TEST_F(EffectEditorTest, TheTitleNamesThePresetOnlyWhileTheSettingsAreIt) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    presetWork->runAll();
    EXPECT_EQ(editor->windowTitle(), "Test Gain") << "no dangling separator without a preset";
    QMenu* factory = submenu(*editor->presetsMenu(), "Factory");
    ASSERT_NE(factory, nullptr);
    factory->actions().front()->trigger();
    ASSERT_EQ(editor->windowTitle(), "Test Gain : Half");

    // A view echoing the value it shows changes nothing.
    gain->setValueForParameter(kGainPort, gain->valueForParameter(kGainPort));
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Half");

    // Moved by the generic view's slider: the settings are no longer the preset.
    auto* slider = qobject_cast<VornSlider*>(editor->genericView()->controlForParameter(kGainPort));
    ASSERT_NE(slider, nullptr);
    slider->setValue(EffectGenericView::sliderPosition(gainOf(*gain), -20.0f));
    EXPECT_EQ(editor->windowTitle(), "Test Gain");
    EXPECT_EQ(gain->currentPresetName(), "") << "and the effect saves no preset name";
    EXPECT_FALSE(gain->properties()["settings"].contains("presetName"));

    factory->actions().front()->trigger();
    EXPECT_EQ(editor->windowTitle(), "Test Gain : Half") << "the preset chosen again";
}

TEST_F(EffectEditorTest, AnEffectThatCannotTakeItsCuesChannelsSaysSoInItsEditor) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* fitting = EffectEditor::open(*gain);
    ASSERT_NE(fitting, nullptr);
    EXPECT_FALSE(outlet<QLabel>(fitting, "channelsNotice")->isVisible());

    auto stereo = KivEffect::effectWithDescription(gainDescription(kTestGainStereoUri));
    ASSERT_TRUE(stream.addEffect(*stereo));
    ASSERT_FALSE(stereo->setStreamFormat(KivAudioStreamDescription(48000.0, 6)));
    stereo->setRefusedChannels(6); // as its cue's chain tells it
    EffectEditor* editor = EffectEditor::open(*stereo);
    ASSERT_NE(editor, nullptr) << "the editor opens to say why the effect is not heard";
    presetWork->runAll();
    EXPECT_TRUE(outlet<QLabel>(editor, "channelsNotice")->isVisible());
    EXPECT_EQ(outlet<QLabel>(editor, "channelsNotice")->text(),
              "does not take this cue's channels");
    EXPECT_NE(editor->genericView(), nullptr) << "its settings can still be set";

    // Fitted again (the cue's file replaced by a stereo one): the line goes, at
    // the event loop's next turn.
    stereo->setRefusedChannels(0);
    EXPECT_TRUE(outlet<QLabel>(editor, "channelsNotice")->isVisible());
    QCoreApplication::processEvents();
    EXPECT_FALSE(outlet<QLabel>(editor, "channelsNotice")->isVisible());
}

TEST_F(EffectEditorTest, ARememberedPlaceOffEveryScreenIsNotTaken) {
    auto gain = placedEffect(kTestGainUri);
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    auto* window = dynamic_cast<EffectEditorWindow*>(gain->editor());
    ASSERT_NE(window, nullptr);
    window->setFrameText("{{40, 30}, {302, 136}}");
    EXPECT_EQ(editor->pos(), QPoint(40, 30));
    EXPECT_EQ(window->frameText(), "{{40, 30}, {" + std::to_string(editor->width()) + ", " +
                                       std::to_string(editor->height()) + "}}");
    window->setFrameText("{{9000, 7000}, {302, 136}}");
    EXPECT_EQ(editor->pos(), QPoint(40, 30)) << "a place no screen shows";
}

TEST_F(EffectEditorTest, AnEditorOpenedBeforeItsWorkspaceWindowIsUpWaitsToOpenBesideIt) {
    QWidget workspaceWindow;
    workspaceWindow.setGeometry(30, 40, 200, 150);
    EffectEditorWindow::setWorkspaceWindowFinder(
        [&](const KivEffect&) -> QWidget* { return &workspaceWindow; });
    struct Forget {
        ~Forget() { EffectEditorWindow::setWorkspaceWindowFinder(nullptr); }
    } forget;
    auto gain = placedEffect(kTestGainUri);

    // A show being opened: its window comes up in the same turn, after the editor.
    EffectEditor* editor = EffectEditor::open(*gain);
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->isVisible()) << "not on its own somewhere first";
    workspaceWindow.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->frameGeometry().left(),
              workspaceWindow.frameGeometry().right() + 1 + EffectEditorPlacement::kGap);
    EXPECT_EQ(editor->frameGeometry().top(), workspaceWindow.frameGeometry().top());

    // Closed before that turn, it never shows.
    editor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    workspaceWindow.hide();
    EffectEditor* second = EffectEditor::open(*gain);
    ASSERT_NE(second, nullptr);
    gain->closeEditor();
    QCoreApplication::processEvents();
    EXPECT_EQ(gain->editor(), nullptr);
}

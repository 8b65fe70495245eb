#include "window/sheets/SettingsController.h"

#include "model/DocumentController.h"
#include "model/PackageWriter.h"
#include "platform/undo/UndoManager.h"
#include "window/WindowFixture.h"

#include <filesystem>

TEST(SettingsController, StartsWithTheDefaultsAndRoundTripsItsState) {
    SettingsController settings;
    const nlohmann::json defaults = settings.state();
    EXPECT_EQ(defaults["MIDI Controls"]["midiChannel"], 0);
    EXPECT_EQ(defaults["General Settings"]["panicDuration"], 1.0);
    EXPECT_EQ(defaults["General Settings"]["performSafetyCheck"], false);
    EXPECT_EQ(settings.hotkeys(), (std::vector<std::string>{"[", "]", ","}));

    settings.setMidiChannel(9);
    settings.setPanicDuration(2.5);
    settings.setShouldPerformSafetyChecks(true);
    SettingsController restored;
    restored.setState(settings.state());
    EXPECT_EQ(restored.state(), settings.state());
    EXPECT_EQ(restored.midiChannel(), 9);
    EXPECT_EQ(restored.panicDuration(), 2.5);
    EXPECT_TRUE(restored.shouldPerformSafetyChecks());
}

TEST(SettingsController, ClampsTheChannelAndRefusesANegativePanicDuration) {
    SettingsController settings;
    settings.setState(
        {{"MIDI Controls", {{"midiChannel", 40}}}, {"General Settings", {{"panicDuration", 3.0}}}});
    EXPECT_EQ(settings.midiChannel(), 16);
    settings.setState({{"MIDI Controls", {{"midiChannel", -3}}},
                       {"General Settings", {{"panicDuration", -1.0}}}});
    EXPECT_EQ(settings.midiChannel(), 0);
    EXPECT_EQ(settings.panicDuration(), 3.0);
    settings.setMidiChannel(17);
    EXPECT_EQ(settings.midiChannel(), 16);
    settings.setMidiChannel(-1);
    EXPECT_EQ(settings.midiChannel(), 0);
    settings.setPanicDuration(-0.5);
    EXPECT_EQ(settings.panicDuration(), 3.0);
}

TEST(SettingsController, AnEmptyKeyIsNoWorkspaceHotKey) {
    SettingsController settings;
    const nlohmann::json cleared = {{"keyCode", 0}, {"keyCharacter", 0}};
    settings.setState({{"Key Map", {{"resumeAll", cleared}}}});
    EXPECT_TRUE(settings.resumeAllKey().isEmpty());
    EXPECT_EQ(settings.hotkeys(), (std::vector<std::string>{"[", ","}));
}

TEST_F(WindowFixture, EverySettingsEditMarksTheDocumentEditedAndIsOneUndoStep) {
    openWindow();
    SettingsController& settings = controller->settings();
    UndoManager& undo = workspace->undoManager();
    undo.markSaved();
    ASSERT_FALSE(workspace->isDocumentEdited());

    settings.setMidiChannel(4);
    undo.endTurn();
    EXPECT_TRUE(workspace->isDocumentEdited());
    EXPECT_EQ(undo.undoActionName(), "Change Settings");
    settings.setPanicDuration(0.25);
    undo.endTurn();
    settings.setShouldPerformSafetyChecks(true);
    undo.endTurn();

    ASSERT_TRUE(undo.undo());
    EXPECT_FALSE(settings.shouldPerformSafetyChecks());
    EXPECT_EQ(settings.panicDuration(), 0.25);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(settings.panicDuration(), 1.0);
    EXPECT_EQ(settings.midiChannel(), 4);
    ASSERT_TRUE(undo.undo());
    EXPECT_EQ(settings.midiChannel(), 0);
    EXPECT_FALSE(workspace->isDocumentEdited());
    ASSERT_TRUE(undo.redo());
    EXPECT_EQ(settings.midiChannel(), 4);

    // An edit that changes nothing is no step.
    undo.markSaved();
    settings.setMidiChannel(4);
    undo.endTurn();
    EXPECT_FALSE(workspace->isDocumentEdited());
}

TEST_F(WindowFixture, SettingsSurviveSavingAndReopeningTheDocument) {
    const std::string caches = files.path("cache");
    DocumentController::DocumentFactory factory = [this, caches] {
        return std::make_shared<Workspace>(device, caches);
    };
    DocumentController documentController{factory, PackageWriter(), scheduler};
    auto saved = std::dynamic_pointer_cast<Workspace>(documentController.newDocument());
    SettingsController settings;
    saved->setSettings(&settings);
    settings.setMidiChannel(12);
    settings.setPanicDuration(4.0);
    settings.setShouldPerformSafetyChecks(true);
    const std::string package = files.path("Show.pondra");
    KivError result;
    documentController.saveDocumentAs(*saved, package, [&](const KivError& e) { result = e; });
    documentController.finishSaving(*saved);
    ASSERT_FALSE(result) << result.code;
    saved->setSettings(nullptr);

    DocumentController reopening{factory, PackageWriter(), scheduler};
    KivError error;
    auto reopened = std::dynamic_pointer_cast<Workspace>(reopening.openDocument(package, error));
    ASSERT_TRUE(reopened);
    SettingsController read;
    reopened->setSettings(&read);
    reopened->awakeFromNib();
    EXPECT_EQ(read.midiChannel(), 12);
    EXPECT_EQ(read.panicDuration(), 4.0);
    EXPECT_TRUE(read.shouldPerformSafetyChecks());
    reopened->setSettings(nullptr);
}

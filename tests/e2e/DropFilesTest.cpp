#include "e2e/support/EndToEnd.h"
#include "platform/audiofile/AudioFixtures.h"

using DropFiles = EndToEnd;

TEST_F(DropFiles, SixFilesOfSixFormatsBecomeSixCuesWithTheDefaultHotKeys) {
    const std::vector<std::string> formats{"wav", "aiff", "flac", "ogg", "mp3", "m4a"};
    std::vector<std::string> files;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        files.push_back(
            tone("tone" + std::to_string(i) + "." + formats[i], static_cast<int>(i), 2));
    }
    const TopLevel window = launch();
    const WindowMap map(window.frame);

    dropFiles(files, map.cellCentre(0));
    EXPECT_TRUE(otherWindows().empty()) << "an alert came up";
    const std::string package = path("Dropped.pondra");
    saveAs(window, package);

    // Four columns: the first six cells are the first row and two of the
    // second; a cart keys its cues by row * 5 + column.
    const std::map<int, std::pair<std::string, std::string>> expected{
        {0, {"tone0", "1"}}, {1, {"tone1", "2"}}, {2, {"tone2", "3"}},
        {3, {"tone3", "4"}}, {5, {"tone4", "Q"}}, {6, {"tone5", "W"}}};
    std::map<int, std::pair<std::string, std::string>> saved;
    for (const auto& [slot, cue] : cuesOf(readDocument(package))) {
        saved[slot] = {cue.value("name", ""), cue.value("hotkey", "")};
    }
    EXPECT_EQ(saved, expected);
}

TEST_F(DropFiles, ACorruptFileGivesOneAlertAndAddsNothing) {
    const std::string corrupt = path("broken.wav");
    AudioFixtures::writeBytes(corrupt, std::string("RIFF\x10\0\0\0WAVEjunkjunkjunkjunk", 28));
    const TopLevel window = launch();
    const WindowMap map(window.frame);

    dropFiles({corrupt}, map.cellCentre(5));
    const auto alert = waitForOtherWindow();
    ASSERT_TRUE(alert) << "no alert";
    EXPECT_EQ(otherWindows().size(), 1u);
    ASSERT_TRUE(answer(*alert, Keys::Return));

    // Nothing was added: the window is untouched and quits without a question.
    EXPECT_EQ(workspaceWindows().front().title, QStringLiteral("Untitled \u2014 Pondra"));
    const auto exit = quit(window);
    ASSERT_TRUE(exit);
    EXPECT_EQ(exit->code, 0);
}

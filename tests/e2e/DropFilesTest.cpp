#include "e2e/support/EndToEnd.h"
#include "platform/audiofile/AudioFixtures.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

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

// Another program cuts the file short while the import copies it: the show
// must not get a shorter cue than the file it checked.
TEST_F(DropFiles, AFileCutShortDuringItsCopyIsRefusedAndAddsNothing) {
    const std::string file = path("long.wav");
    ASSERT_TRUE(AudioFixtures::writeSparseWav(file, 1u << 30));
    const TopLevel window = launch();
    const WindowMap map(window.frame);

    // Once the copy has begun, the file is cut to 100 KB.
    std::atomic<bool> cut{false};
    std::thread cutter([&] {
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (std::chrono::steady_clock::now() < end) {
            std::error_code error;
            for (const auto& folder :
                 std::filesystem::directory_iterator(path("home/.cache/Pondra"), error)) {
                if (std::filesystem::exists(folder.path() / "long.wav")) {
                    cut = ::truncate(file.c_str(), 100 * 1024) == 0;
                    return;
                }
            }
            std::this_thread::sleep_for(1ms);
        }
    });
    dropFiles({file}, map.cellCentre(0));
    cutter.join();
    ASSERT_TRUE(cut) << "the copy never began";
    ASSERT_EQ(std::filesystem::file_size(file), 100u * 1024);

    const auto alert = waitForOtherWindow(60s);
    ASSERT_TRUE(alert) << "the cut file was taken without a word";
    EXPECT_EQ(otherWindows().size(), 1u);
    ASSERT_TRUE(answer(*alert, Keys::Return));
    EXPECT_EQ(workspaceWindows().front().title, QStringLiteral("Untitled \u2014 Pondra"));
    // Nothing of it stays in the show's media.
    std::error_code error;
    for (const auto& folder :
         std::filesystem::directory_iterator(path("home/.cache/Pondra"), error)) {
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "long.wav")) << folder.path();
    }
    const auto exit = quit(window);
    ASSERT_TRUE(exit) << "the untouched window asked something at Quit";
    EXPECT_EQ(exit->code, 0);
}

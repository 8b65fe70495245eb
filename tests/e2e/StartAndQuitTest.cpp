#include "e2e/support/EndToEnd.h"

#include <sys/stat.h>

#include <cstdio>

using StartAndQuit = EndToEnd;

TEST_F(StartAndQuit, TheFirstStartShowsAnUntitledWindowAndAnUntouchedQuitAsksNothing) {
    const TopLevel window = launch();
    EXPECT_EQ(window.title, QStringLiteral("Untitled \u2014 Pondra"));
    EXPECT_TRUE(otherWindows().empty());

    const auto exit = quit(window);
    ASSERT_TRUE(exit) << "still running after Ctrl+Q; its windows:" << otherWindows().size();
    EXPECT_FALSE(exit->signalled);
    EXPECT_EQ(exit->code, 0);
    EXPECT_EQ(output().find("Error"), std::string::npos) << output();
}

TEST_F(StartAndQuit, HelpIsPrintedAndTheProgramEndsWithoutAWindow) {
    start({"--help"});
    const auto exit = program->waitForExit(10s);
    ASSERT_TRUE(exit) << "still running; its windows: " << x->windows().size();
    EXPECT_FALSE(exit->signalled);
    EXPECT_EQ(exit->code, 0);
    EXPECT_NE(output().find("Usage: pondra"), std::string::npos) << output();
    EXPECT_TRUE(workspaceWindows().empty());
    EXPECT_TRUE(otherWindows().empty()) << "an alert showed";
}

// A FIFO where the user defaults belong: nothing ever writes to it, so
// opening it to read would wait for ever.
TEST_F(StartAndQuit, ASettingsFileThatIsAFifoIsPassedOverAndTheWindowShowsAsEver) {
    const std::string settings = path("home/.config/brenmoor/Pondra.conf");
    ASSERT_EQ(::mkdir(path("home/.config/brenmoor").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0);
    const auto started = std::chrono::steady_clock::now();
    const TopLevel window = launch();
    ASSERT_TRUE(window.id) << "no window with a FIFO as the settings file";
    const auto shown = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    std::printf("window shown %lld ms after the start, the settings file a FIFO\n",
                static_cast<long long>(shown.count()));
    EXPECT_TRUE(waitForOutput("are not a regular file and are not read", 1s)) << output();

    const auto exit = quit(window);
    ASSERT_TRUE(exit) << "still running after Ctrl+Q";
    EXPECT_EQ(exit->code, 0);
    // The settings written since took the FIFO's place.
    struct stat status {};
    ASSERT_EQ(::lstat(settings.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_NE(readTextFile(settings).find("NSInitialToolTipDelay"), std::string::npos);
}

#include "e2e/support/EndToEnd.h"

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

#include "e2e/support/EndToEnd.h"

using OpenShow = EndToEnd;

namespace {

const QString kShowTitle = QStringLiteral("Show \u2014 Pondra");

} // namespace

TEST_F(OpenShow, TheFolderWithOrWithoutASlashAndItsDocumentEachOpenTheShowFromTheCommandLine) {
    const std::string package = path("Show.pondra");
    const TopLevel untitled = launch();
    saveAs(untitled, package);
    ASSERT_TRUE(quit(untitled));

    for (const std::string& spelling : {package, package + "/", package + "/document"}) {
        const TopLevel window = launch({spelling});
        EXPECT_EQ(window.title, kShowTitle) << spelling;
        EXPECT_EQ(workspaceWindows().size(), 1u) << spelling;
        EXPECT_TRUE(otherWindows().empty()) << spelling << " brought an alert";
        const auto exit = quit(window);
        ASSERT_TRUE(exit) << spelling;
        EXPECT_EQ(exit->code, 0) << spelling;
    }
}

// Each pick from a fresh, untouched Untitled window: the show takes that
// window's place, so one window is left.
TEST_F(OpenShow, FileOpenTakesThePackageFolderOrTheDocumentPickedInsideIt) {
    const std::string package = path("Show.pondra");
    const TopLevel first = launch();
    saveAs(first, package);
    ASSERT_TRUE(quit(first));

    for (const std::string& typed : {package, package + "/document"}) {
        const TopLevel untitled = launch();
        open(untitled, typed);
        const auto show = waitForTitle(QStringLiteral("Show"));
        ASSERT_TRUE(show) << typed << " opened no show";
        EXPECT_TRUE(x->waitUntilGone([&](const TopLevel& w) { return w.id == untitled.id; }, 10s))
            << typed << ": the Untitled window stayed";
        EXPECT_EQ(workspaceWindows().size(), 1u) << typed;
        EXPECT_TRUE(otherWindows().empty()) << typed << " brought an alert";
        const auto exit = quit(*show);
        ASSERT_TRUE(exit) << typed;
        EXPECT_EQ(exit->code, 0) << typed;
    }
}

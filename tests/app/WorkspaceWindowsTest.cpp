// The application's documents with their windows: opening, closing with
// unsaved changes, reverting and quitting.
#include "app/WorkspaceWindows.h"

#include "WorkspaceWindowsFixture.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "window/GridController.h"
#include "window/PondraWindow.h"
#include "window/WorkspaceController.h"

#include <QTimer>
#include <QUrl>

namespace {

class WorkspaceWindowsTest : public WorkspaceWindowsFixture {
protected:
    // An edit the document counts as unsaved.
    static void edit(Workspace& workspace) {
        workspace.carts().front()->setName("Edited");
        workspace.undoManager().endTurn();
    }
    // An untitled workspace saved under this name in the test's folder, then
    // closed; answers the package's path.
    std::string savedAndClosed(const std::string& name) {
        const std::string package = files.path(name);
        auto workspace = windows->openUntitled();
        prompts.saveAnswers = {QString::fromStdString(package)};
        windows->saveDocumentAs(*workspace);
        windows->documentController().finishSaving(*workspace);
        EXPECT_TRUE(windows->closeDocument(*workspace));
        QCoreApplication::processEvents();
        return package;
    }
};

} // namespace

TEST_F(WorkspaceWindowsTest, AnUntitledWorkspaceOpensInAVisibleWindowWithOneCart) {
    auto workspace = windows->openUntitled();
    WorkspaceController* controller = windows->windowControllerOf(*workspace);
    ASSERT_TRUE(controller);
    EXPECT_TRUE(controller->window()->isVisible());
    EXPECT_EQ(controller->gridControllers().size(), 1u);
    EXPECT_EQ(workspace->carts().front()->name(), "Cart 1");
    EXPECT_EQ(controller->window()->windowTitle(), QStringLiteral("Untitled[*] \u2014 Pondra"));
}

TEST_F(WorkspaceWindowsTest, ASaveRetitlesTheWindowAndClearsItsEditedMarkWhenItEnds) {
    auto workspace = windows->openUntitled();
    edit(*workspace);
    PondraWindow& window = *windows->windowControllerOf(*workspace)->window();
    ASSERT_TRUE(window.isWindowModified());
    prompts.saveAnswers = {QString::fromStdString(files.path("Opening Night.pondra"))};
    windows->saveDocumentAs(*workspace);
    windows->documentController().finishSaving(*workspace);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Opening Night[*] \u2014 Pondra"));
    EXPECT_FALSE(window.isWindowModified());

    // Saving in place, too.
    workspace->carts().front()->setName("Edited again");
    workspace->undoManager().endTurn();
    ASSERT_TRUE(window.isWindowModified());
    windows->saveDocument(*workspace);
    windows->documentController().finishSaving(*workspace);
    EXPECT_FALSE(window.isWindowModified());
}

TEST_F(WorkspaceWindowsTest, ClosingAnEditedWorkspaceAsksAndCancelKeepsItOpen) {
    auto workspace = windows->openUntitled();
    edit(*workspace);
    prompts.alertAnswers = {1};
    EXPECT_FALSE(windows->closeDocument(*workspace));
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_TRUE(prompts.alerts[0].messageText.contains(QStringLiteral("save the changes")));
    QCoreApplication::processEvents();
    EXPECT_EQ(windows->documentController().documents().size(), 1u);

    // "Don't Save" closes it and its window.
    prompts.alertAnswers = {2};
    EXPECT_TRUE(windows->closeDocument(*workspace));
    QCoreApplication::processEvents();
    EXPECT_TRUE(windows->documentController().documents().empty());
    EXPECT_FALSE(windows->windowControllerOf(*workspace));
}

TEST_F(WorkspaceWindowsTest, SavingOnCloseWritesThePackageFirst) {
    auto workspace = windows->openUntitled();
    edit(*workspace);
    const std::string package = files.path("closing.pondra");
    prompts.alertAnswers = {0};
    prompts.saveAnswers = {QString::fromStdString(package)};
    EXPECT_TRUE(windows->closeDocument(*workspace));
    QCoreApplication::processEvents();
    auto reopened = windows->openPackage(package);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->carts().front()->name(), "Edited");
}

TEST_F(WorkspaceWindowsTest, AQuitRefusedByAnEditedWindowLeavesTheProgramRunning) {
    auto workspace = windows->openUntitled();
    edit(*workspace);
    prompts.alertAnswers = {1};
    bool quitDone = false;
    QTimer::singleShot(0, application.get(), [&] {
        QCoreApplication::quit();
        quitDone = true;
        // Still running: end the loop for the test.
        QTimer::singleShot(0, application.get(), [] { QCoreApplication::exit(0); });
    });
    QCoreApplication::exec();
    EXPECT_TRUE(quitDone);
    EXPECT_EQ(prompts.alerts.size(), 1u);
    EXPECT_EQ(windows->documentController().documents().size(), 1u);
    EXPECT_TRUE(windows->windowControllerOf(*workspace)->window()->isVisible());
}

TEST_F(WorkspaceWindowsTest, APackageThatCannotBeReadGivesAnAlertAndNoWindow) {
    EXPECT_FALSE(windows->openPackage(files.path("missing.pondra")));
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_TRUE(prompts.alerts[0].messageText.contains(QStringLiteral("missing.pondra")));
    EXPECT_TRUE(windows->documentController().documents().empty());
}

TEST_F(WorkspaceWindowsTest, APackageByNameWithASlashOrByItsDocumentOpensOneWorkspace) {
    const std::string package = savedAndClosed("Show.pondra");
    for (const std::string& spelling : {package + "/document", package + "/", package}) {
        auto workspace = windows->openPackage(spelling);
        ASSERT_TRUE(workspace) << spelling;
        EXPECT_EQ(workspace->filePath(), package) << spelling;
        EXPECT_EQ(windows->windowControllerOf(*workspace)->window()->windowTitle(),
                  QStringLiteral("Show[*] \u2014 Pondra"));
    }
    EXPECT_EQ(windows->documentController().documents().size(), 1u);
    EXPECT_TRUE(prompts.alerts.empty());
}

TEST_F(WorkspaceWindowsTest, TheOpenPanelOffersPackagesWholeAndOpensThePackageOfAPickedDocument) {
    const std::string package = savedAndClosed("Panel.pondra");
    prompts.openAnswers = {{QString::fromStdString(package + "/document")}};
    windows->openDocument();
    ASSERT_EQ(prompts.openPanels.size(), 1u);
    const KivOpenPanelOptions& panel = prompts.openPanels.front();
    EXPECT_EQ(panel.packageExtension, QStringLiteral(".pondra"));
    EXPECT_FALSE(panel.allowsMultipleSelection);
    ASSERT_EQ(panel.nameFilters.size(), 1);
    EXPECT_TRUE(panel.nameFilters.front().contains(QStringLiteral("*.pondra")));
    EXPECT_TRUE(panel.nameFilters.front().contains(QStringLiteral(" document)")));
    ASSERT_EQ(windows->documentController().documents().size(), 1u);
    EXPECT_EQ(windows->documentController().documents().front()->filePath(), package);
}

TEST_F(WorkspaceWindowsTest, RevertBringsBackTheSavedCartsInTheWindow) {
    auto workspace = windows->openUntitled();
    const std::string package = files.path("revert.pondra");
    prompts.saveAnswers = {QString::fromStdString(package)};
    windows->saveDocumentAs(*workspace);
    windows->documentController().finishSaving(*workspace);
    edit(*workspace);
    prompts.alertAnswers = {0};
    windows->revertDocument(*workspace);
    EXPECT_EQ(workspace->carts().front()->name(), "Cart 1");
    WorkspaceController* controller = windows->windowControllerOf(*workspace);
    ASSERT_EQ(controller->gridControllers().size(), 1u);
    EXPECT_EQ(controller->gridControllers().front()->cart(), workspace->carts().front());
    EXPECT_TRUE(controller->window()->isVisible());
}

TEST_F(WorkspaceWindowsTest, ASavedWorkspaceReopensInTheWindowFrameItClosedIn) {
    auto workspace = windows->openUntitled();
    const std::string package = files.path("frame.pondra");
    prompts.saveAnswers = {QString::fromStdString(package)};
    windows->saveDocumentAs(*workspace);
    windows->documentController().finishSaving(*workspace);
    windows->windowControllerOf(*workspace)->window()->resize(1000, 700);
    EXPECT_TRUE(windows->closeDocument(*workspace));
    QCoreApplication::processEvents();
    ASSERT_TRUE(windows->documentController().documents().empty());

    auto reopened = windows->openPackage(package);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(windows->windowControllerOf(*reopened)->window()->size(), QSize(1000, 700));
    EXPECT_TRUE(
        application->defaults()
            .value(QStringLiteral("window frames"))
            .toMap()
            .contains(
                QUrl::fromLocalFile(QString::fromStdString(reopened->filePath())).toString()));
    // An untitled window starts at its own size.
    auto untitled = windows->openUntitled();
    EXPECT_NE(windows->windowControllerOf(*untitled)->window()->size(), QSize(1000, 700));
}

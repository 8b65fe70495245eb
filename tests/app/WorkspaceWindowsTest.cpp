// The application's documents with their windows: opening, closing with
// unsaved changes, reverting and quitting.
#include "app/WorkspaceWindows.h"

#include "WorkspaceWindowsFixture.h"
#include "audio/source/KivAudioSource.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "platform/undo/UndoManager.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"
#include "window/grid/GridController.h"
#include "window/tabs/CartTabBar.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"

#include <sndfile.h>

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
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
    std::string savedAndClosed(const std::string& fileName) {
        const std::string package = files.path(fileName);
        auto workspace = windows->openUntitled();
        prompts.saveAnswers = {QString::fromStdString(package)};
        windows->saveDocumentAs(*workspace);
        windows->documentController().finishSaving(*workspace);
        EXPECT_TRUE(windows->closeDocument(*workspace));
        QCoreApplication::processEvents();
        return package;
    }
    // The untitled workspace saved as a package, its save finished.
    std::string saveAs(Workspace& workspace, const std::string& fileName) {
        const std::string package = files.path(fileName);
        prompts.saveAnswers = {QString::fromStdString(package)};
        windows->saveDocumentAs(workspace);
        windows->documentController().finishSaving(workspace);
        return package;
    }
    static void trigger(const WorkspaceController& window, const char* action) {
        window.window()->action(QString::fromLatin1(action))->trigger();
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

TEST_F(WorkspaceWindowsTest, AShowOpenedFromAFreshUntitledWindowTakesItsPlace) {
    const std::string package = savedAndClosed("Show.pondra");
    // A show that has no frame of its own yet takes the Untitled window's.
    application->defaults().remove(QStringLiteral("window frames"));
    auto untitled = windows->openUntitled();
    windows->windowControllerOf(*untitled)->window()->resize(900, 650);
    prompts.openAnswers = {{QString::fromStdString(package)}};
    trigger(*windows->windowControllerOf(*untitled), "openDocument");
    ASSERT_EQ(windows->documentController().documents().size(), 2u)
        << "the asking window stays until its menu has returned";
    QCoreApplication::processEvents();
    ASSERT_EQ(windows->documentController().documents().size(), 1u);
    const auto& show = windows->documentController().documents().front();
    EXPECT_EQ(show->filePath(), package);
    EXPECT_EQ(windows->windowControllerOf(*untitled), nullptr);
    EXPECT_EQ(windows->windowControllerOf(*show)->window()->size(), QSize(900, 650));
    EXPECT_TRUE(prompts.alerts.empty()) << "nothing to ask about an untouched window";
}

TEST_F(WorkspaceWindowsTest, AnUntitledWindowThatWasTouchedOrIsNotAloneStays) {
    const std::string package = savedAndClosed("Show.pondra");
    // Edited, then undone: not edited, but no longer fresh.
    auto touched = windows->openUntitled();
    edit(*touched);
    ASSERT_TRUE(touched->undoManager().undo());
    ASSERT_FALSE(touched->isDocumentEdited());
    auto show = windows->openPackage(package);
    ASSERT_TRUE(show);
    QCoreApplication::processEvents();
    EXPECT_EQ(windows->documentController().documents().size(), 2u);
    EXPECT_NE(windows->windowControllerOf(*touched), nullptr);
    EXPECT_TRUE(windows->closeDocument(*show));
    EXPECT_TRUE(windows->closeDocument(*touched));
    QCoreApplication::processEvents();

    // Two fresh windows: which one would the show replace? Neither.
    windows->openUntitled();
    windows->openUntitled();
    ASSERT_TRUE(windows->openPackage(package));
    QCoreApplication::processEvents();
    EXPECT_EQ(windows->documentController().documents().size(), 3u);
}

TEST_F(WorkspaceWindowsTest, AShowThatCannotBeReadLeavesTheFreshUntitledWindow) {
    auto untitled = windows->openUntitled();
    EXPECT_FALSE(windows->openPackage(files.path("missing.pondra")));
    QCoreApplication::processEvents();
    ASSERT_EQ(windows->documentController().documents().size(), 1u);
    EXPECT_NE(windows->windowControllerOf(*untitled), nullptr);
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

TEST_F(WorkspaceWindowsTest, ARevertChosenByKeyFromTheFileMenuReplacesTheWindowAfterTheMenu) {
    auto workspace = windows->openUntitled();
    WorkspaceController& controller = *windows->windowControllerOf(*workspace);
    prompts.saveAnswers = {QString::fromStdString(files.path("keyed.pondra"))};
    windows->saveDocumentAs(*workspace);
    windows->documentController().finishSaving(*workspace);
    edit(*workspace);
    const QPointer<PondraWindow> old = controller.window();
    QAction* revert = old->action(QStringLiteral("revertDocumentToSaved"));
    ASSERT_NE(revert, nullptr);
    auto* menu = qobject_cast<QMenu*>(revert->parent());
    ASSERT_NE(menu, nullptr);

    // The menu's own key handler triggers the revert, as a user's R does.
    prompts.alertAnswers = {0};
    menu->popup(old->mapToGlobal(QPoint(10, 10)));
    menu->setActiveAction(revert);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &press);
    ASSERT_FALSE(old.isNull()) << "the window went while its menu still handled the key";
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts.alerts.size(), 1u);
    EXPECT_EQ(workspace->carts().front()->name(), "Cart 1");
    EXPECT_TRUE(old.isNull()) << "the old window stayed";
    EXPECT_TRUE(controller.window()->isVisible());
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

TEST_F(WorkspaceWindowsTest, AShowWithAPanicFadeOfItsOwnOpensCleanWithNothingToUndo) {
    auto workspace = windows->openUntitled();
    windows->windowControllerOf(*workspace)->settings().setPanicDuration(2.0);
    const std::string package = saveAs(*workspace, "fade.pondra");
    ASSERT_TRUE(windows->closeDocument(*workspace));
    QCoreApplication::processEvents();
    workspace.reset();

    // File > Open from another window.
    auto untitled = windows->openUntitled();
    prompts.openAnswers = {{QString::fromStdString(package)}};
    trigger(*windows->windowControllerOf(*untitled), "openDocument");
    const auto opened = std::dynamic_pointer_cast<Workspace>(
        windows->documentController().documentForPath(package));
    ASSERT_TRUE(opened);
    WorkspaceController& window = *windows->windowControllerOf(*opened);
    opened->undoManager().endTurn();
    window.validateMenus();
    EXPECT_FALSE(opened->isDocumentEdited());
    EXPECT_FALSE(window.window()->isWindowModified());
    EXPECT_FALSE(window.window()->action(QStringLiteral("undo"))->isEnabled());
    EXPECT_EQ(window.window()->action(QStringLiteral("undo"))->text(), QStringLiteral("&Undo"));
    trigger(window, "undo");
    EXPECT_DOUBLE_EQ(window.settings().panicDuration(), 2.0);
    EXPECT_FALSE(opened->isDocumentEdited());

    // Nothing to save: closing asks nothing.
    EXPECT_TRUE(windows->closeDocument(*opened));
    EXPECT_TRUE(prompts.alerts.empty());
}

TEST_F(WorkspaceWindowsTest, RevertKeepsTheWindowsFrameItsSelectedTabAndItsTabDrags) {
    auto workspace = windows->openUntitled();
    WorkspaceController& window = *windows->windowControllerOf(*workspace);
    trigger(window, "newTab");
    trigger(window, "newTab");
    workspace->undoManager().endTurn();
    const std::string package = saveAs(*workspace, "revert.pondra");
    window.window()->resize(1100, 760);
    window.window()->move(40, 30);
    trigger(window, "selectPreviousTab");
    edit(*workspace);
    ASSERT_EQ(window.window()->tabs()->currentIndex(), 1);

    prompts.alertAnswers = {0};
    trigger(window, "revertDocumentToSaved");
    // The window that asked is replaced on the next turn, not under its menu.
    EXPECT_TRUE(prompts.alerts.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_EQ(workspace->carts().front()->name(), "Cart 1");
    PondraWindow& reverted = *window.window();
    EXPECT_EQ(reverted.size(), QSize(1100, 760));
    EXPECT_EQ(reverted.pos(), QPoint(40, 30));
    EXPECT_EQ(reverted.tabs()->currentIndex(), 1);

    // The first tab dragged past the last one with the mouse: the carts follow.
    TavTabBarControl& bar = *reverted.tabs()->tabBar();
    const QPointF from = bar.cells().at(0)->frame().center();
    const QPointF to(bar.cells().back()->frame().right() - 4.0, from.y());
    const auto mouse = [&bar](QEvent::Type type, QPointF at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, bar.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&bar, &event);
    };
    mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(QEvent::MouseMove, from + QPointF(20, 0), Qt::LeftButton);
    ASSERT_TRUE(TavTabDragAssistant::sharedDragAssistant().isDragging()) << "no drag after revert";
    mouse(QEvent::MouseMove, to, Qt::LeftButton);
    TavTabDragAssistant::sharedDragAssistant().animateDrag();
    mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    EXPECT_FALSE(TavTabDragAssistant::sharedDragAssistant().isDragging());
    std::vector<std::string> names;
    for (const auto& cart : workspace->carts()) {
        names.push_back(cart->name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Cart 2", "Cart 3", "Cart 1"}));
}

TEST_F(WorkspaceWindowsTest, AQuitCalledOffAtTheSaveQuestionLeavesTheShowPlaying) {
    auto workspace = windows->openUntitled();
    WorkspaceController& window = *windows->windowControllerOf(*workspace);
    const std::string path = files.path("music.wav");
    ASSERT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                            std::vector<float>(48000, 0.25f), 1, 48000));
    auto cue = AudioCue::initWithFile(path, device);
    cue->audioSource()->useManualBuffers();
    window.selectedController()->addCue(cue, 0);
    workspace->undoManager().endTurn();
    cue->play();
    cue->audioSource()->tendBuffers();
    hardware.backend->render(64);

    // Ctrl+Q, then Cancel at the question about the unsaved show.
    prompts.alertAnswers = {1};
    bool playing = false;
    float heard = 0.0f;
    QTimer::singleShot(0, application.get(), [&] {
        trigger(window, "terminate");
        QTimer::singleShot(0, application.get(), [&] {
            playing = cue->isPlaying();
            cue->audioSource()->tendBuffers();
            hardware.backend->render(64);
            heard = hardware.backend->capturedOutput("card").at(64 * 2);
            // The end of the loop itself stops every cue.
            QCoreApplication::exit(0);
        });
    });
    QCoreApplication::exec();
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_TRUE(window.window()->isVisible());
    EXPECT_TRUE(playing);
    EXPECT_EQ(heard, 0.25f);
    EXPECT_FALSE(cue->isPlaying());
}

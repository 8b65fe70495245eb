// Cart tabs between workspace windows: a tab dropped on another window's bar
// moves its cart there as a copy, a tab torn off gets a workspace of its
// own, and a reordered row is what the package keeps.
#include "KivUI/tabview/KivTabView.h"
#include "KivUI/tabview/KivTabViewItem.h"
#include "WorkspaceWindowsFixture.h"
#include "audio/device/KivAudioDevice.h"
#include "audio/source/KivAudioSource.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/Workspace.h"
#include "platform/audiofile/AudioFixtures.h"
#include "support/GuiWatchdog.h"
#include "tabbar/TavTabBarCell.h"
#include "tabbar/TavTabBarControl.h"
#include "tabbar/TavTabDragAssistant.h"
#include "tabbar/TavTabStyle.h"
#include "window/grid/GridController.h"
#include "window/grid/GridView.h"
#include "window/grid/MediaImport.h"
#include "window/tabs/CartTabBar.h"
#include "window/workspace/WorkspaceTabCommands.h"
#include "window/workspace/PondraWindow.h"
#include "window/workspace/WorkspaceController.h"
#include "window/workspace/WorkspaceEditCommands.h"
#include "window/workspace/WorkspaceOutputController.h"

#include <sndfile.h>

#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>

namespace {

constexpr std::uint32_t kCycle = 64;

class CartTabsAcrossWindows : public WorkspaceWindowsFixture {
protected:
    CartTabsAcrossWindows() {
        hardware.backend->plug(OfflineHardware::device("stage"));
        stage = KivAudioDevice::deviceWithUID("stage");
    }

    WorkspaceController& windowOf(const Workspace& workspace) const {
        return *windows->windowControllerOf(workspace);
    }
    static std::vector<std::string> cartNames(const Workspace& workspace) {
        std::vector<std::string> names;
        for (const auto& cart : workspace.carts()) {
            names.push_back(cart->name());
        }
        return names;
    }
    static std::vector<QString> tabLabels(const WorkspaceController& window) {
        std::vector<QString> labels;
        const CartTabBar& tabs = *window.window()->tabs();
        for (int i = 0; i < tabs.count(); ++i) {
            labels.push_back(tabs.tabView()->tabViewItemAtIndex(i)->label());
        }
        return labels;
    }
    // A cue of one level throughout on the cart's first cell, hot key "A".
    std::shared_ptr<AudioCue> placeCue(Cart& cart, float level) {
        const std::string path = files.path("level.wav");
        EXPECT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                std::vector<float>(48000, level), 1, 48000));
        auto cue = AudioCue::initWithFile(path, device);
        cue->setHotkey("A");
        cart.setCue(cue, 0);
        return cue;
    }
    static void waitForImport(const WorkspaceController& window) {
        if (MediaImport* import = window.selectedController()->currentImport()) {
            QEventLoop loop;
            QObject::connect(import, &QObject::destroyed, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
    // The window's workspace plays through the device's first pair.
    static void playOn(WorkspaceController& window, const std::shared_ptr<KivAudioDevice>& on) {
        const auto& outputs = window.output().outputs();
        const auto found = std::find_if(outputs.begin(), outputs.end(), [&](const auto& output) {
            return output.device->deviceUID() == on->deviceUID() && output.channel == 1;
        });
        ASSERT_NE(found, outputs.end());
        window.output().changeOutputDevice(static_cast<int>(found - outputs.begin()));
        // The device opens off the GUI thread.
        EXPECT_TRUE(GuiWatchdog::spinUntil([&] { return !window.output().isOpeningOutput(); }));
    }
    void render(const std::vector<std::shared_ptr<AudioCue>>& cues, std::uint32_t cycles) {
        for (std::uint32_t c = 0; c < cycles; ++c) {
            for (const auto& cue : cues) {
                cue->audioSource()->tendBuffers();
            }
            hardware.backend->render(kCycle);
        }
    }
    // A second tab, then the first cart renamed "Songs" with a cue of 0.25 on "a".
    std::shared_ptr<Cart> songsCart(Workspace& workspace, WorkspaceController& window) {
        window.tabCommands().newTab();
        workspace.undoManager().endTurn();
        const std::shared_ptr<Cart> songs = workspace.carts()[0];
        songs->setName("Songs");
        placeCue(*songs, 0.25f);
        workspace.undoManager().endTurn();
        return songs;
    }

    // Fired by its hot key in show mode, the cue sounds on the stage device only.
    void expectPlaysOnStage(WorkspaceController& window, const std::shared_ptr<AudioCue>& cue) {
        ASSERT_TRUE(cue);
        ASSERT_TRUE(cue->audioSource()->sharedDevice());
        EXPECT_EQ(cue->audioSource()->sharedDevice()->deviceUID(), stage->deviceUID());
        cue->audioSource()->useManualBuffers();
        render({cue}, 2);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(window.selectedController()->gridView(), &press);
        render({cue}, 3);
        EXPECT_TRUE(cue->isPlaying());
        EXPECT_EQ(lastFirstFrame("stage"), 0.25f);
        EXPECT_EQ(lastFirstFrame("card"), 0.0f);
    }
    float lastFirstFrame(const std::string& uid) const {
        const auto captured = hardware.backend->capturedOutput(uid);
        return captured.empty() ? 0.0f : captured.at(captured.size() - kCycle * 2);
    }

    // The user's drag of a tab with the mouse: the source bar has the mouse
    // from the press to the release, wherever on the screen it goes.
    static void mouse(TavTabBarControl& source, QEvent::Type type, QPointF global) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, source.mapFromGlobal(global), global, Qt::LeftButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&source, &event);
    }
    static void beginDrag(TavTabBarControl& source, int tab) {
        const QPointF from = source.mapToGlobal(source.cells().at(tab)->frame().center());
        mouse(source, QEvent::MouseButtonPress, from);
        mouse(source, QEvent::MouseMove, from + QPointF(0, 20));
        ASSERT_TRUE(TavTabDragAssistant::sharedDragAssistant().isDragging());
    }
    // Over the point, a tick of the gaps' animation, then the release there.
    static void dropAt(TavTabBarControl& source, QPointF global) {
        mouse(source, QEvent::MouseMove, global);
        TavTabDragAssistant::sharedDragAssistant().animateDrag();
        mouse(source, QEvent::MouseButtonRelease, global);
        EXPECT_FALSE(TavTabDragAssistant::sharedDragAssistant().isDragging());
    }
    // A row unfolding for its second tab has grown to its full height.
    static bool waitForRow(const TavTabBarControl& bar) {
        const int full = static_cast<int>(bar.style().tabCellHeight());
        return QTest::qWaitFor([&] { return bar.height() == full; });
    }
    static QPointF onTab(const TavTabBarControl& bar, int tab, double along) {
        const QRectF frame = bar.cells().at(tab)->frame();
        return bar.mapToGlobal(QPointF(frame.x() + frame.width() * along, frame.center().y()));
    }

    std::shared_ptr<KivAudioDevice> stage;
};

} // namespace

TEST_F(CartTabsAcrossWindows, ATabDraggedOntoAOneCartWindowLandsThere) {
    auto source = windows->openUntitled();
    WorkspaceController& from = windowOf(*source);
    songsCart(*source, from);
    from.window()->move(0, 0);
    QCoreApplication::processEvents();
    auto target = windows->openUntitled();
    WorkspaceController& to = windowOf(*target);
    to.window()->move(200, 360);
    QCoreApplication::processEvents();
    TavTabBarControl& fromBar = *from.window()->tabs()->tabBar();
    TavTabBarControl& toBar = *to.window()->tabs()->tabBar();
    ASSERT_TRUE(toBar.isTabBarHidden());

    // Once a tab is dragged, the folded row shows, ready to take it.
    beginDrag(fromBar, 0);
    EXPECT_FALSE(toBar.isTabBarHidden());
    ASSERT_TRUE(waitForRow(toBar));
    dropAt(fromBar, onTab(toBar, 0, 0.9));
    source->undoManager().endTurn();
    target->undoManager().endTurn();

    EXPECT_EQ(windows->documentController().documents().size(), 2u) << "torn off instead";
    EXPECT_EQ(cartNames(*target), (std::vector<std::string>{"Cart 1", "Songs"}));
    EXPECT_EQ(tabLabels(to), (std::vector<QString>{"Cart 1", "Songs"}));
    EXPECT_EQ(cartNames(*source), (std::vector<std::string>{"Cart 2"}));
    // The drag over, a row of one tab folds again; one of two stays.
    EXPECT_TRUE(fromBar.isTabBarHidden());
    EXPECT_FALSE(toBar.isTabBarHidden());
}

TEST_F(CartTabsAcrossWindows, ATabDroppedWhereWindowsOverlapGoesToTheOneInFrontAndIntoItsGap) {
    auto source = windows->openUntitled();
    WorkspaceController& from = windowOf(*source);
    songsCart(*source, from);
    from.window()->move(100, 100);
    // Opened later, in front, over the right of the first window's row.
    auto target = windows->openUntitled();
    WorkspaceController& to = windowOf(*target);
    to.tabCommands().newTab();
    target->undoManager().endTurn();
    to.window()->move(500, 100);
    QCoreApplication::processEvents();
    TavTabBarControl& fromBar = *from.window()->tabs()->tabBar();
    TavTabBarControl& toBar = *to.window()->tabs()->tabBar();
    ASSERT_TRUE(waitForRow(fromBar));
    ASSERT_TRUE(waitForRow(toBar));
    const QPointF between = onTab(toBar, 0, 0.9);
    ASSERT_GT(between.x(), 500.0);
    ASSERT_TRUE(from.window()->frameGeometry().contains(between.toPoint()));
    ASSERT_TRUE(fromBar.rect().contains(fromBar.mapFromGlobal(between).toPoint()));

    // Songs dropped in the gap opened after the front window's first tab.
    beginDrag(fromBar, 0);
    dropAt(fromBar, between);
    source->undoManager().endTurn();
    target->undoManager().endTurn();

    EXPECT_EQ(cartNames(*target), (std::vector<std::string>{"Cart 1", "Songs", "Cart 2"}));
    EXPECT_EQ(tabLabels(to), (std::vector<QString>{"Cart 1", "Songs", "Cart 2"}));
    EXPECT_EQ(to.selectedController()->cart()->name(), "Songs");
    EXPECT_EQ(cartNames(*source), (std::vector<std::string>{"Cart 2"}));
    EXPECT_EQ(target->undoManager().undoActionName(), "New Tab");
    to.edits().undo();
    EXPECT_EQ(cartNames(*target), (std::vector<std::string>{"Cart 1", "Cart 2"}));
}

TEST_F(CartTabsAcrossWindows, ADroppedCartIsCopiedIntoTheOtherWindowAndPlaysOnItsDevice) {
    auto source = windows->openUntitled();
    WorkspaceController& from = windowOf(*source);
    const std::shared_ptr<Cart> songs = songsCart(*source, from);
    from.selectTab(0);
    QWidget* page = from.window()->tabs()->page(0);

    auto target = windows->openUntitled();
    WorkspaceController& to = windowOf(*target);
    playOn(to, stage);
    target->undoManager().endTurn();

    // A locked window takes no tab.
    to.setShowMode();
    EXPECT_FALSE(from.tabCommands().shouldDropTab(&to));
    from.tabCommands().didDropTab(page, to);
    EXPECT_EQ(cartNames(*target), (std::vector<std::string>{"Cart 1"}));
    EXPECT_EQ(cartNames(*source), (std::vector<std::string>{"Songs", "Cart 2"}));
    to.setEditMode();

    ASSERT_TRUE(from.tabCommands().shouldDragTab());
    ASSERT_TRUE(from.tabCommands().shouldDropTab(&to));
    from.tabCommands().didDropTab(page, to);
    source->undoManager().endTurn();
    target->undoManager().endTurn();

    // The other window has a copy in a new tab, shown; the source lost it.
    ASSERT_EQ(cartNames(*target), (std::vector<std::string>{"Cart 1", "Songs"}));
    const std::shared_ptr<Cart> copy = target->carts()[1];
    EXPECT_NE(copy, songs);
    EXPECT_EQ(copy->count(), 1u);
    EXPECT_EQ(tabLabels(to), (std::vector<QString>{"Cart 1", "Songs"}));
    EXPECT_EQ(to.selectedController()->cart(), copy);
    EXPECT_EQ(cartNames(*source), (std::vector<std::string>{"Cart 2"}));
    EXPECT_EQ(tabLabels(from), (std::vector<QString>{"Cart 2"}));
    // Each window has its own step: the close is the source's alone.
    EXPECT_EQ(source->undoManager().undoActionName(), "Close Tab");
    EXPECT_EQ(target->undoManager().undoActionName(), "New Tab");
    EXPECT_TRUE(target->isDocumentEdited());
    // The other bar reporting the source's tab gone changes nothing there.
    to.tabCommands().tabDidClose(page);
    target->undoManager().endTurn();
    EXPECT_EQ(target->undoManager().undoActionName(), "New Tab");
    EXPECT_EQ(cartNames(*target), (std::vector<std::string>{"Cart 1", "Songs"}));

    // The copy plays there, on that workspace's device only.
    to.setShowMode();
    const auto cue = copy->cueAtIndex(0);
    expectPlaysOnStage(to, cue);

    // In the source, undo brings the very cart back.
    from.edits().undo();
    EXPECT_EQ(source->carts().back(), songs);
    EXPECT_EQ(tabLabels(from), (std::vector<QString>{"Cart 2", "Songs"}));
}

TEST_F(CartTabsAcrossWindows, ATabDraggedOntoAnotherWindowsBarPlaysThereOnItsDevice) {
    auto source = windows->openUntitled();
    WorkspaceController& from = windowOf(*source);
    const std::shared_ptr<Cart> songs = songsCart(*source, from);
    auto target = windows->openUntitled();
    WorkspaceController& to = windowOf(*target);
    playOn(to, stage);
    target->undoManager().endTurn();

    TavTabDragAssistant& assistant = TavTabDragAssistant::sharedDragAssistant();
    TavTabBarControl& fromBar = *from.window()->tabs()->tabBar();
    TavTabBarControl& toBar = *to.window()->tabs()->tabBar();
    TavTabBarCell& first = *fromBar.cells().at(0);
    assistant.startDraggingCell(first, fromBar, first.frame().center());
    ASSERT_TRUE(assistant.isDragging());
    ASSERT_TRUE(assistant.acceptsDragInTabBar(toBar));
    assistant.draggingExitedTabBar(fromBar);
    assistant.draggingEnteredTabBar(toBar, QPointF(toBar.width() - 2.0, 5.0));
    assistant.animateDrag();
    assistant.performDragOperation();
    EXPECT_FALSE(assistant.isDragging());
    source->undoManager().endTurn();
    target->undoManager().endTurn();

    ASSERT_EQ(cartNames(*target), (std::vector<std::string>{"Cart 1", "Songs"}));
    EXPECT_EQ(tabLabels(to), (std::vector<QString>{"Cart 1", "Songs"}));
    EXPECT_EQ(cartNames(*source), (std::vector<std::string>{"Cart 2"}));
    EXPECT_EQ(tabLabels(from), (std::vector<QString>{"Cart 2"}));
    EXPECT_EQ(fromBar.cells().size(), 1u);
    EXPECT_EQ(toBar.cells().size(), 2u);
    // The close is the source's step; the other window only gains a tab.
    EXPECT_EQ(source->undoManager().undoActionName(), "Close Tab");
    EXPECT_EQ(target->undoManager().undoActionName(), "New Tab");

    to.setShowMode();
    const auto cue = target->carts()[1]->cueAtIndex(0);
    expectPlaysOnStage(to, cue);
}

TEST_F(CartTabsAcrossWindows, ATornOffTabGetsAWorkspaceOfItsOwnAndTheLastTabTakesItsWindow) {
    auto source = windows->openUntitled();
    WorkspaceController& from = windowOf(*source);
    from.tabCommands().newTab();
    source->undoManager().endTurn();
    source->carts()[1]->setName("Encore");
    source->undoManager().endTurn();

    from.tabCommands().tearOffTab(1);
    ASSERT_EQ(windows->documentController().documents().size(), 2u);
    auto torn = std::dynamic_pointer_cast<Workspace>(windows->documentController().documents()[1]);
    ASSERT_TRUE(torn);
    // No default cart beside the torn-off one, and unsaved from the start.
    EXPECT_TRUE(torn->createdFromDrag());
    EXPECT_EQ(cartNames(*torn), (std::vector<std::string>{"Encore"}));
    EXPECT_TRUE(torn->isDocumentEdited());
    EXPECT_TRUE(windowOf(*torn).window()->isVisible());
    EXPECT_EQ(tabLabels(windowOf(*torn)), (std::vector<QString>{"Encore"}));
    EXPECT_EQ(cartNames(*source), (std::vector<std::string>{"Cart 1"}));

    // Its last tab torn off, the source window closes as a document does.
    prompts.alertAnswers = {2};
    from.tabCommands().tearOffTab(0);
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_TRUE(prompts.alerts[0].messageText.contains(QStringLiteral("save the changes")));
    QCoreApplication::processEvents();
    EXPECT_FALSE(windows->windowControllerOf(*source));
    ASSERT_EQ(windows->documentController().documents().size(), 2u);
    auto second =
        std::dynamic_pointer_cast<Workspace>(windows->documentController().documents()[1]);
    EXPECT_EQ(cartNames(*second), (std::vector<std::string>{"Cart 1"}));
}

TEST_F(CartTabsAcrossWindows, ATabDraggedOutOfItsLastPlaceTearsOffAndClosesItsWindow) {
    auto source = windows->openUntitled();
    WorkspaceController& from = windowOf(*source);
    source->carts()[0]->setName("Encore");
    source->undoManager().endTurn();

    TavTabDragAssistant& assistant = TavTabDragAssistant::sharedDragAssistant();
    TavTabBarControl& fromBar = *from.window()->tabs()->tabBar();
    TavTabBarCell& only = *fromBar.cells().at(0);
    assistant.startDraggingCell(only, fromBar, only.frame().center());
    assistant.draggingExitedTabBar(fromBar);
    prompts.alertAnswers = {2};
    assistant.draggedImageEndedAt(QPointF(400, 300));
    EXPECT_FALSE(assistant.isDragging());

    ASSERT_EQ(prompts.alerts.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_FALSE(windows->windowControllerOf(*source));
    ASSERT_EQ(windows->documentController().documents().size(), 1u);
    auto torn = std::dynamic_pointer_cast<Workspace>(windows->documentController().documents()[0]);
    ASSERT_TRUE(torn);
    EXPECT_EQ(cartNames(*torn), (std::vector<std::string>{"Encore"}));
    EXPECT_EQ(tabLabels(windowOf(*torn)), (std::vector<QString>{"Encore"}));
}

TEST_F(CartTabsAcrossWindows, AReorderedRowSurvivesSaveAndReopen) {
    auto workspace = windows->openUntitled();
    WorkspaceController& window = windowOf(*workspace);
    window.tabCommands().newTab();
    window.tabCommands().newTab();
    workspace->undoManager().endTurn();
    CartTabBar& tabs = *window.window()->tabs();
    // The drag moves the third tab to the front, then tells of the drop.
    tabs.moveTab(2, 0);
    window.tabCommands().didDropTab(tabs.page(0), window);

    const std::string package = files.path("order.pondra");
    prompts.saveAnswers.push_back(QString::fromStdString(package));
    windows->saveDocumentAs(*workspace);
    windows->documentController().finishSaving(*workspace);
    ASSERT_TRUE(prompts.alerts.empty());
    ASSERT_TRUE(windows->closeDocument(*workspace));
    QCoreApplication::processEvents();
    workspace.reset();

    auto reopened = windows->openPackage(package);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(cartNames(*reopened), (std::vector<std::string>{"Cart 3", "Cart 1", "Cart 2"}));
    EXPECT_EQ(tabLabels(windowOf(*reopened)), (std::vector<QString>{"Cart 3", "Cart 1", "Cart 2"}));
}

TEST_F(CartTabsAcrossWindows, ADroppedCartKeepsItsSoundsWhenItsSourceClosesUnsaved) {
    auto source = windows->openUntitled();
    WorkspaceController& from = windowOf(*source);
    from.tabCommands().newTab();
    source->undoManager().endTurn();
    // Media imported into the untitled source live in its temporary folder.
    const std::string path = files.path("rain.wav");
    ASSERT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                            std::vector<float>(4800, 0.5f), 1, 48000));
    const auto imported = source->copyFileIntoTmp(path);
    ASSERT_TRUE(imported);
    for (std::size_t slot : {0u, 1u}) {
        source->carts()[0]->setCue(AudioCue::initWithFile(*imported, device), slot);
    }
    auto target = windows->openUntitled();
    WorkspaceController& to = windowOf(*target);

    from.tabCommands().didDropTab(from.window()->tabs()->page(0), to);
    waitForImport(to);
    const std::shared_ptr<Cart> copy = target->carts()[1];
    for (std::size_t slot : {0u, 1u}) {
        EXPECT_TRUE(target->containsMediaFile(copy->cueAtIndex(slot)->file()));
    }
    EXPECT_EQ(copy->cueAtIndex(0)->file(), copy->cueAtIndex(1)->file()) << "one copy of one file";

    // The source goes without saving, and its temporary folder with it.
    prompts.alertAnswers = {2};
    ASSERT_TRUE(windows->closeDocument(*source));
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(*imported)));

    const std::string package = files.path("kept.pondra");
    prompts.saveAnswers.push_back(QString::fromStdString(package));
    windows->saveDocumentAs(*target);
    windows->documentController().finishSaving(*target);
    ASSERT_EQ(prompts.alerts.size(), 1u);
    const std::string saved = copy->cueAtIndex(0)->file();
    EXPECT_EQ(saved.rfind(package, 0), 0u) << saved;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(saved)).isFile());
}

TEST_F(CartTabsAcrossWindows, ADropAfterTheBarHasClosedTheTabMovesTheCartOnce) {
    auto source = windows->openUntitled();
    WorkspaceController& from = windowOf(*source);
    from.tabCommands().newTab();
    source->undoManager().endTurn();
    const std::shared_ptr<Cart> first = source->carts()[0];
    auto target = windows->openUntitled();
    WorkspaceController& to = windowOf(*target);

    // The bar takes the tab out and tells of it before the drop.
    CartTabBar& tabs = *from.window()->tabs();
    QWidget* page = tabs.page(0);
    tabs.removeTab(0);
    from.tabCommands().tabDidClose(page);
    from.tabCommands().didDropTab(page, to);
    source->undoManager().endTurn();
    target->undoManager().endTurn();

    EXPECT_EQ(cartNames(*target), (std::vector<std::string>{"Cart 1", "Cart 1"}));
    EXPECT_NE(target->carts()[1], first);
    EXPECT_EQ(cartNames(*source), (std::vector<std::string>{"Cart 2"}));
    // One close, one undo step.
    from.edits().undo();
    EXPECT_EQ(source->carts().back(), first);
    EXPECT_EQ(source->undoManager().undoActionName(), "New Tab");
}

// Deleting, moving, copying, dropping and pasting cues, with undo.
#include "window/WindowFixture.h"

#include <QClipboard>

namespace {

// A drag of a cue that left another grid or window.
std::unique_ptr<QMimeData> archivedCue(const AudioCue& cue) {
    auto data = std::make_unique<QMimeData>();
    const auto bytes = cue.pasteboardData();
    data->setData(QString::fromLatin1(CueCellView::kCueType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    return data;
}

void dropData(CueCellView& target, QMimeData& data, Qt::KeyboardModifiers modifiers = {}) {
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&target, &drop);
}

} // namespace

class GridEditing : public WindowFixture {
protected:
    UndoManager& undo() { return workspace->undoManager(); }
    // The user's action ends with the event-loop turn.
    void endTurn() { undo().endTurn(); }
};

TEST_F(GridEditing, DeleteRemovesTheSelectedCueAndDoesNothingOnAnEmptyCell) {
    openWindow();
    placeCue(wav("a.wav", 0.1f), 2);
    endTurn();
    undo().removeAllActions();

    grid().gridView()->setSelectedIndex(3);
    press(Qt::Key_Delete, {});
    endTurn();
    EXPECT_FALSE(undo().canUndo());
    EXPECT_EQ(prompts.beeps, 0);

    grid().gridView()->setSelectedIndex(2);
    press(Qt::Key_Delete, {});
    endTurn();
    EXPECT_FALSE(cart().cueAtIndex(2));
    EXPECT_EQ(undo().undoActionName(), "Delete Cue");
    ASSERT_TRUE(undo().undo());
    EXPECT_TRUE(cart().cueAtIndex(2));
}

TEST_F(GridEditing, AMoveKeepsTheCuePlayingAndOntoAnOccupiedSlotSwapsWithOneUndo) {
    openWindow();
    auto moving = placeCue(wav("a.wav", 0.25f, 2.0), 0);
    auto other = placeCue(wav("b.wav", 0.125f), 5);
    endTurn();
    moving->play();
    render(2);

    grid().gridViewDidMoveCue(0, 1);
    endTurn();
    EXPECT_EQ(cart().cueAtIndex(1), moving);
    EXPECT_FALSE(cart().cueAtIndex(0));
    EXPECT_EQ(moving->cart(), &cart());
    const std::size_t first = render(2);
    EXPECT_TRUE(moving->isPlaying());
    EXPECT_EQ(firstFrames(first).back(), 0.25f);
    EXPECT_EQ(undo().undoActionName(), "Move Cue");

    // The cue swapped out plays on too.
    other->play();
    render(2);
    grid().gridViewDidMoveCue(1, 5);
    endTurn();
    EXPECT_EQ(cart().cueAtIndex(5), moving);
    EXPECT_EQ(cart().cueAtIndex(1), other);
    EXPECT_TRUE(moving->isPlaying());
    EXPECT_TRUE(other->isPlaying());
    EXPECT_EQ(other->cart(), &cart());
    const std::size_t swapped = render(2);
    EXPECT_EQ(firstFrames(swapped).back(), 0.375f);
    ASSERT_TRUE(undo().undo());
    EXPECT_EQ(cart().cueAtIndex(1), moving);
    EXPECT_EQ(cart().cueAtIndex(5), other);
}

TEST_F(GridEditing, AnOptionDropCopiesOntoAnEmptySlotOnly) {
    openWindow();
    auto original = placeCue(wav("a.wav", 0.1f), 0);
    original->setName("Original");
    placeCue(wav("b.wav", 0.1f), 1);
    endTurn();

    grid().gridViewDidCopyCue(0, 1);
    EXPECT_EQ(cart().cueAtIndex(1)->name(), "b");
    grid().gridViewDidCopyCue(0, 2);
    endTurn();
    ASSERT_TRUE(cart().cueAtIndex(2));
    EXPECT_NE(cart().cueAtIndex(2), original);
    EXPECT_EQ(cart().cueAtIndex(2)->name(), "Original");
    EXPECT_EQ(cart().cueAtIndex(0), original);
    EXPECT_EQ(undo().undoActionName(), "Duplicate Cue");
}

TEST_F(GridEditing, ACueFromAnotherGridOnAnOccupiedSlotReplacesTheOccupantWithUndo) {
    openWindow();
    auto occupant = placeCue(wav("occupant.wav", 0.25f, 2.0), 3);
    endTurn();
    occupant->play();
    render(2);
    auto visitor = AudioCue::initWithFile(wav("visitor.wav", 0.125f), device);
    visitor->setName("Visitor");
    auto data = archivedCue(*visitor);

    dropData(cell(3), *data);
    waitForImport();
    endTurn();
    ASSERT_TRUE(cart().cueAtIndex(3));
    EXPECT_EQ(cart().cueAtIndex(3)->name(), "Visitor");
    EXPECT_FALSE(occupant->isPlaying());
    EXPECT_EQ(occupant->cart(), nullptr);
    // The copy lives in the workspace's own media.
    EXPECT_TRUE(workspace->containsMediaFile(cart().cueAtIndex(3)->file()));

    ASSERT_TRUE(undo().undo());
    EXPECT_EQ(cart().cueAtIndex(3), occupant);
}

TEST_F(GridEditing, PasteLandsInTheNextEmptySlotWrappingAndAFullGridAlerts) {
    openWindow();
    for (std::size_t slot : {14u, 15u, 0u}) {
        placeCue(wav("s" + std::to_string(slot) + ".wav", 0.1f), slot);
    }
    grid().gridView()->setSelectedIndex(14);
    controller->edits().copy();
    controller->edits().paste();
    waitForImport();
    EXPECT_TRUE(cart().cueAtIndex(1));
    EXPECT_EQ(cart().count(), 4u);

    cart().setSize({1, 1});
    grid().gridView()->setSelectedIndex(0);
    controller->edits().paste();
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_EQ(prompts.alerts[0].messageText, QStringLiteral("No empty slot to paste a cue into."));
}

TEST_F(GridEditing, APastedCuePlaysInTheSameCartAnotherCartAndAnotherWindow) {
    openWindow();
    PondraWindow& window = *controller->window();
    const auto menu = [&window](const char* name) {
        window.action(QString::fromLatin1(name))->trigger();
    };
    const auto fire = [this] {
        press(Qt::Key_A, QStringLiteral("a"));
        release(Qt::Key_A, QStringLiteral("a"));
    };
    // The workspace's own media, as an import leaves them.
    const auto imported = workspace->copyFileIntoTmp(wav("rain.wav", 0.25f, 2.0));
    ASSERT_TRUE(imported);
    auto original = AudioCue::initWithFile(*imported, device);
    original->setHotkey("A");
    grid().addCue(original, 0);
    endTurn();

    // Cut and pasted back into the same cart.
    grid().gridView()->setSelectedIndex(0);
    menu("cut");
    endTurn();
    ASSERT_FALSE(cart().cueAtIndex(0));
    menu("paste");
    waitForImport();
    endTurn();
    const auto back = cart().cueAtIndex(0);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->isBroken()) << back->brokenExplanation();
    EXPECT_EQ(back->file(), *imported) << "the same media, not a copy";
    byHand(*back);
    fire();
    std::size_t first = render(3);
    EXPECT_TRUE(back->isPlaying());
    EXPECT_EQ(firstFrames(first).back(), 0.25f);
    fire();

    // Copied into a cart of its own.
    grid().gridView()->setSelectedIndex(0);
    menu("copy");
    menu("newTab");
    endTurn();
    ASSERT_EQ(workspace->carts().size(), 2u);
    menu("paste");
    waitForImport();
    endTurn();
    const auto other = workspace->carts()[1]->cueAtIndex(0);
    ASSERT_TRUE(other);
    EXPECT_FALSE(other->isBroken()) << other->brokenExplanation();
    byHand(*other);
    render(2);
    fire();
    first = render(3);
    EXPECT_TRUE(other->isPlaying());
    EXPECT_EQ(firstFrames(first).back(), 0.25f);
    fire();

    // Into another window: the media are copied into that workspace.
    auto elsewhere = std::make_shared<Workspace>(device, files.path("elsewhere"));
    elsewhere->initializeUntitled();
    WorkspaceController otherWindow(elsewhere, prompts, pasteboard, nullptr);
    for (const auto& each : elsewhere->carts()) {
        otherWindow.addControllerForCart(each);
    }
    otherWindow.showWindow();
    otherWindow.window()->action(QStringLiteral("paste"))->trigger();
    waitForImport(*otherWindow.selectedController());
    elsewhere->undoManager().endTurn();
    const auto visitor = elsewhere->carts()[0]->cueAtIndex(0);
    ASSERT_TRUE(visitor);
    EXPECT_FALSE(visitor->isBroken()) << visitor->brokenExplanation();
    EXPECT_TRUE(elsewhere->containsMediaFile(visitor->file()));
    EXPECT_NE(visitor->file(), *imported);
    byHand(*visitor);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(otherWindow.selectedController()->gridView(), &down);
    first = render(3);
    EXPECT_TRUE(visitor->isPlaying());
    EXPECT_EQ(firstFrames(first).back(), 0.25f);
}

TEST_F(GridEditing, ADropDuringACellsDragRebuildsTheGridOnlyOnceTheDragHasReturned) {
    openWindow();
    auto moving = placeCue(wav("a.wav", 0.1f), 0);
    endTurn();
    GridView& view = *grid().gridView();
    // The drag's own cell, whose code runs on under the drag's event loop.
    const QPointer<CueCellView> source(&cell(0));

    view.beginCellDrag();
    grid().gridViewDidMoveCue(0, 5);
    endTurn();
    EXPECT_EQ(cart().cueAtIndex(5), moving);
    EXPECT_TRUE(source);
    view.endCellDrag();
    ASSERT_TRUE(source);
    EXPECT_EQ(source->cue(), moving) << "rebuilt under the drag";

    // Rebuilt once the drag's code has returned; the cells themselves stay.
    QCoreApplication::processEvents();
    ASSERT_TRUE(source);
    EXPECT_EQ(source->cue(), nullptr);
    EXPECT_EQ(cell(5).cue(), moving);
    EXPECT_EQ(cell(0).cue(), nullptr);
}

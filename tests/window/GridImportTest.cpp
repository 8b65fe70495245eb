// Audio files dropped on the grid: imported in the background with default
// triggers, in order up to the first that cannot be read, and cancellable.
#include "KivUI/VornButton.h"
#include "WindowFixture.h"
#include "window/ImportProgressSheet.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>

#include <fstream>

TEST_F(WindowFixture, DroppedFilesReplaceTheOccupantKeepingItsTriggersThenFillTheNextSlots) {
    openWindow();
    auto occupant = placeCue(wav("old.wav", 0.1f), 5);
    occupant->setHotkey("K");
    occupant->setMidiNote(60);
    occupant->setColor(PondraColor::redColor());
    workspace->undoManager().endTurn();

    dropFiles({wav("a.wav", 0.1f), wav("b.wav", 0.1f), wav("c.wav", 0.1f)}, 5);
    ASSERT_EQ(cart().count(), 3u);
    auto first = cart().cueAtIndex(5);
    EXPECT_NE(first, occupant);
    EXPECT_EQ(first->hotkey(), "K");
    EXPECT_EQ(first->midiNote(), 60);
    EXPECT_EQ(first->color(), PondraColor::redColor());
    EXPECT_TRUE(workspace->containsMediaFile(first->file()));
    // The others take their slots' default hot keys and notes.
    EXPECT_EQ(cart().cueAtIndex(6)->hotkey(), "E");
    EXPECT_EQ(cart().cueAtIndex(6)->midiNote(), 6);
    EXPECT_EQ(cart().cueAtIndex(7)->hotkey(), "R");
    EXPECT_FALSE(controller->window()->importProgress()->isVisible());

    // Each file is an undo step of its own.
    workspace->undoManager().endTurn();
    EXPECT_EQ(workspace->undoManager().undoActionName(), "Add Cue");
    ASSERT_TRUE(workspace->undoManager().undo());
    EXPECT_FALSE(cart().cueAtIndex(7));
    EXPECT_TRUE(cart().cueAtIndex(6));
}

TEST_F(WindowFixture, ADropImportsUpToTheFirstUnreadableFileAndOneAlertNamesTheRest) {
    openWindow();
    const std::string text = files.path("notes.txt");
    std::ofstream(text) << "not audio";
    const std::string folder = files.path("folder");
    QDir().mkpath(QString::fromStdString(folder));
    dropFiles({wav("good.wav", 0.1f), wav("fine.wav", 0.1f), text, wav("later.wav", 0.1f),
               files.path("gone.wav"), folder},
              0);

    ASSERT_EQ(cart().count(), 2u);
    EXPECT_EQ(cart().cueAtIndex(0)->name(), "good");
    EXPECT_EQ(cart().cueAtIndex(1)->name(), "fine");
    ASSERT_EQ(prompts.alerts.size(), 1u);
    EXPECT_TRUE(prompts.alerts[0].messageText.contains(QStringLiteral("notes.txt")));
    const QString said = prompts.alerts[0].informativeText;
    for (const char* name : {"notes.txt", "later.wav", "gone.wav", "folder"}) {
        EXPECT_TRUE(said.contains(QString::fromLatin1(name))) << said.toStdString();
    }
    EXPECT_FALSE(said.contains(QStringLiteral("good.wav")));
    EXPECT_FALSE(controller->window()->importProgress()->isVisible());

    // A first file that cannot be read adds nothing.
    dropFiles({files.path("gone.wav"), wav("other.wav", 0.1f)}, 8);
    EXPECT_EQ(cart().count(), 2u);
    ASSERT_EQ(prompts.alerts.size(), 2u);
    EXPECT_TRUE(prompts.alerts[1].informativeText.contains(QStringLiteral("other.wav")));
}

TEST_F(WindowFixture, AnImportShowsItsProgressAndStopsWhenCancelled) {
    openWindow();
    cart().setSize({5, 5});
    QList<QUrl> urls;
    const std::string one = wav("one.wav", 0.1f, 0.01);
    for (int i = 0; i < 100; ++i) {
        urls << QUrl::fromLocalFile(QString::fromStdString(one));
    }
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&cell(0), &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&cell(0), &drop);

    ImportProgressSheet& sheet = *controller->window()->importProgress();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.progressIndicator()->maximum(), 100);
    EXPECT_EQ(sheet.textField()->text(), "Importing media");
    EXPECT_EQ(sheet.size(), QSize(300, 100));
    sheet.cancelButton()->click();
    waitForImport();
    EXPECT_EQ(cart().count(), 0u);
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(WindowFixture, AFullGridEndsTheImportWithWhatFitted) {
    openWindow();
    cart().setSize({2, 1});
    dropFiles({wav("a.wav", 0.1f), wav("b.wav", 0.1f), wav("c.wav", 0.1f)}, 1);
    EXPECT_EQ(cart().count(), 2u);
    EXPECT_EQ(cart().cueAtIndex(1)->name(), "a");
    EXPECT_EQ(cart().cueAtIndex(0)->name(), "b");
}

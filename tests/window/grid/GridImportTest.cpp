// Audio files dropped on the grid: imported in the background with default
// triggers up to the first that cannot be read or copied, with one alert
// naming every file not added, and cancellable.
#include "KivUI/controls/VornButton.h"
#include "support/Outlet.h"
#include "window/WindowFixture.h"
#include "window/sheets/ImportProgressSheet.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>

#include <filesystem>
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

TEST_F(WindowFixture, AnUnreadableFileStopsTheDropAndOneAlertNamesItAndEveryFileAfterIt) {
    openWindow();
    const std::string text = files.path("notes.txt");
    std::ofstream(text) << "not audio";
    const std::string folder = files.path("folder");
    QDir().mkpath(QString::fromStdString(folder));
    dropFiles({wav("good.wav", 0.1f), text, files.path("gone.wav"), folder, wav("later.wav", 0.1f)},
              0);

    ASSERT_EQ(cart().count(), 1u);
    EXPECT_EQ(cart().cueAtIndex(0)->name(), "good");
    // On this window only: the other windows' shows keep their keys.
    EXPECT_TRUE(prompts.alerts.empty());
    ASSERT_EQ(prompts.sheets.size(), 1u);
    EXPECT_EQ(prompts.sheetWindows[0], controller->window());
    EXPECT_EQ(prompts.sheets[0].messageText, QStringLiteral("4 files could not be imported."));
    EXPECT_EQ(prompts.sheets[0].informativeText,
              QStringLiteral("Only audio files that can be read can be added to the grid. "
                             "Not added: notes.txt, gone.wav, folder, later.wav"));
    EXPECT_FALSE(controller->window()->importProgress()->isVisible());

    // A first file that cannot be read adds nothing.
    dropFiles({files.path("gone.wav"), wav("other.wav", 0.1f)}, 8);
    EXPECT_EQ(cart().count(), 1u);
    ASSERT_EQ(prompts.sheets.size(), 2u);
    EXPECT_TRUE(prompts.sheets[1].informativeText.contains(QStringLiteral("other.wav")));
}

TEST_F(WindowFixture, WithoutATemporaryFolderADropAddsNothingAndSaysWhy) {
    const std::string blocked = files.path("blocked");
    std::ofstream(blocked) << "a file where the caches folder should be";
    workspace = std::make_shared<Workspace>(device, blocked + "/cache");
    workspace->initializeUntitled();
    showWorkspace(workspace);
    ASSERT_TRUE(workspace->tmpPath().empty());

    dropFiles({wav("a.wav", 0.1f), wav("b.wav", 0.1f)}, 0);
    EXPECT_EQ(cart().count(), 0u);
    ASSERT_EQ(prompts.sheets.size(), 1u);
    EXPECT_EQ(prompts.sheets[0].messageText, QStringLiteral("2 files could not be imported."));
    EXPECT_EQ(prompts.sheets[0].informativeText,
              QStringLiteral("A file could not be copied into the show's media: there is no "
                             "temporary directory. Not added: a.wav, b.wav"));
}

TEST_F(WindowFixture, AFileNameThatIsNotUtf8IsTakenAsItsBytesAndImported) {
    openWindow();
    // "Café.wav" in Latin-1, as a file manager of such a locale sends it.
    const std::string latin1 = files.path("Caf\xE9.wav");
    ASSERT_TRUE(std::filesystem::copy_file(wav("source.wav", 0.25f), latin1));
    QMimeData data;
    const QByteArray encoded =
        QByteArray(latin1.data(), static_cast<qsizetype>(latin1.size())).toPercentEncoding("/");
    data.setData(QStringLiteral("text/uri-list"), "file://" + encoded + "\r\n");
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&cell(0), &enter);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&cell(0), &drop);
    waitForImport();

    EXPECT_TRUE(prompts.sheets.empty());
    ASSERT_EQ(cart().count(), 1u);
    const std::string copy = cart().cueAtIndex(0)->file();
    // The copy's name is text a document can hold.
    EXPECT_EQ(std::filesystem::path(copy).filename().string(), "Caf\xC3\xA9.wav");
    EXPECT_EQ(cart().cueAtIndex(0)->name(), "Caf\xC3\xA9");
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
    outlet<VornButton>(&sheet, "cancelImport")->click();
    waitForImport();
    EXPECT_EQ(cart().count(), 0u);
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(WindowFixture, AFullGridEndsTheImportWithWhatFittedAndNamesTheRest) {
    openWindow();
    cart().setSize({2, 1});
    dropFiles({wav("a.wav", 0.1f), wav("b.wav", 0.1f), wav("c.wav", 0.1f)}, 1);
    EXPECT_EQ(cart().count(), 2u);
    EXPECT_EQ(cart().cueAtIndex(1)->name(), "a");
    EXPECT_EQ(cart().cueAtIndex(0)->name(), "b");
    ASSERT_EQ(prompts.sheets.size(), 1u);
    EXPECT_EQ(prompts.sheets[0].informativeText,
              QStringLiteral("The grid has no empty slot left. Not added: c.wav"));
}

#include "model/DocumentController.h"

#include "foundation/ManualScheduler.h"
#include "model/Document.h"
#include "model/PackageTree.h"
#include "model/SaveProgress.h"
#include "model/SavingError.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

namespace {

using AudioFixtures::readBytes;
using AudioFixtures::writeBytes;

// A document whose model is one line of text.
class TextDocument : public Document, public SaveProgress {
public:
    bool readFromPackage(const std::string& path, KivError& error) override {
        if (!std::filesystem::exists(path + "/document")) {
            error = SavingError::readFailed(path, "no document");
            return false;
        }
        text = readBytes(path + "/document");
        setDiskState(FileOperations::fileState(path + "/document"));
        return true;
    }
    std::optional<PackageContents> contentsForSaving(KivError& error) override {
        if (refuseToSave) {
            error = SavingError::noFreeName("Media/x.wav");
            return std::nullopt;
        }
        return PackageContents{text, {}};
    }
    void didSave(bool success) override { saves.push_back(success); }
    SaveProgress* saveProgress() override { return this; }
    void beginProgress(const std::string& title) override { progress.push_back("begin " + title); }
    void endProgress() override { progress.push_back("end"); }
    void close() override { closed = true; }

    // One undoable edit.
    void edit(const std::string& newText) {
        const std::string old = text;
        undoManager().registerUndo(this, [this, old] { text = old; });
        undoManager().endTurn();
        text = newText;
    }

    std::string text = "untitled text";
    bool refuseToSave = false;
    std::vector<bool> saves;
    std::vector<std::string> progress;
    bool closed = false;
};

// Holds the writer at its first step until released.
class Gate {
public:
    PackageWriter::FaultInjector injector() {
        return [this](PackageWriter::Step step) {
            if (step == PackageWriter::Step::CreateStaging) {
                std::unique_lock lock(_mutex);
                _opened.wait(lock, [this] { return _open; });
            }
            return 0;
        };
    }
    void open() {
        std::lock_guard lock(_mutex);
        _open = true;
        _opened.notify_all();
    }

private:
    std::mutex _mutex;
    std::condition_variable _opened;
    bool _open = false;
};

class DocumentControllerTest : public ::testing::Test {
protected:
    std::shared_ptr<TextDocument> textDocument(const std::shared_ptr<Document>& document) {
        return std::dynamic_pointer_cast<TextDocument>(document);
    }
    DocumentController::DocumentFactory factory = [] { return std::make_shared<TextDocument>(); };

    ManualClock clock;
    ManualScheduler scheduler{clock};
    AudioFixtures::TempFolder folder;
    const std::string package = folder.path("Show.pondra");
    std::optional<KivError> result;
    DocumentController::SaveCompletion record = [this](const KivError& e) { result = e; };
};

TEST_F(DocumentControllerTest, ASaveWritesOffTheMainThreadAndCompletesOnIt) {
    Gate gate;
    DocumentController controller(factory, PackageWriter(gate.injector()), scheduler);
    auto document = textDocument(controller.newDocument());
    document->edit("edited");
    ASSERT_TRUE(document->isDocumentEdited());

    controller.saveDocumentAs(*document, package, record);
    EXPECT_TRUE(controller.isSaving(*document));
    EXPECT_EQ(document->progress, std::vector<std::string>{"begin Saving"});
    scheduler.advance(1.0); // the writer is held: nothing completes
    EXPECT_FALSE(result);

    gate.open();
    controller.finishSaving(*document);
    ASSERT_TRUE(result);
    EXPECT_FALSE(*result);
    EXPECT_FALSE(controller.isSaving(*document));
    EXPECT_EQ(document->progress, (std::vector<std::string>{"begin Saving", "end"}));
    EXPECT_EQ(document->saves, std::vector<bool>{true});
    EXPECT_EQ(document->filePath(), package);
    EXPECT_EQ(document->displayName(), "Show");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_EQ(readBytes(package + "/document"), "edited");
}

TEST_F(DocumentControllerTest, EditsMadeWhileSavingKeepTheDocumentEdited) {
    Gate gate;
    DocumentController controller(factory, PackageWriter(gate.injector()), scheduler);
    auto document = textDocument(controller.newDocument());
    document->edit("saved");
    controller.saveDocumentAs(*document, package, record);
    document->edit("after the snapshot");
    gate.open();
    controller.finishSaving(*document);
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(readBytes(package + "/document"), "saved");
}

TEST_F(DocumentControllerTest, ClosingWaitsForTheRunningSave) {
    Gate gate;
    DocumentController controller(factory, PackageWriter(gate.injector()), scheduler);
    auto document = textDocument(controller.newDocument());
    controller.saveDocumentAs(*document, package, record);
    gate.open();
    controller.closeDocument(*document);
    EXPECT_TRUE(result);
    EXPECT_EQ(document->saves, std::vector<bool>{true});
    EXPECT_TRUE(document->closed);
    EXPECT_TRUE(controller.documents().empty());
    EXPECT_EQ(readBytes(package + "/document"), "untitled text");
}

TEST_F(DocumentControllerTest, AFailedSaveLeavesNameAndEditedStateAlone) {
    CapturingLogSink log;
    const auto failDocument = [](PackageWriter::Step step) {
        return step == PackageWriter::Step::WriteDocument ? ENOSPC : 0;
    };
    DocumentController controller(factory, PackageWriter(failDocument), scheduler);
    auto document = textDocument(controller.newDocument());
    document->edit("edited");

    controller.saveDocument(*document, record);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->code, 1);
    EXPECT_TRUE(document->saves.empty());

    controller.saveDocumentAs(*document, package, record);
    controller.finishSaving(*document);
    EXPECT_EQ(result->code, 6);
    EXPECT_EQ(document->saves, std::vector<bool>{false});
    EXPECT_EQ(document->progress, (std::vector<std::string>{"begin Saving", "end"}));
    EXPECT_TRUE(document->filePath().empty());
    EXPECT_TRUE(document->isDocumentEdited());

    document->refuseToSave = true;
    controller.saveDocumentAs(*document, package, record);
    EXPECT_EQ(result->code, 7);
    EXPECT_FALSE(controller.isSaving(*document));
}

TEST_F(DocumentControllerTest, OpeningReadsOncePerPackageAndRefusesABadOne) {
    std::filesystem::create_directories(package);
    writeBytes(package + "/document", "stored");
    DocumentController controller(factory, PackageWriter(), scheduler);
    KivError error;
    auto document = textDocument(controller.openDocument(package, error));
    ASSERT_TRUE(document);
    EXPECT_EQ(document->text, "stored");
    EXPECT_EQ(controller.openDocument(package, error), document);
    EXPECT_EQ(controller.documentForPath(package), document);

    CapturingLogSink log;
    EXPECT_EQ(controller.openDocument(folder.path("Missing.pondra"), error), nullptr);
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(controller.documents().size(), 1U);
}

TEST_F(DocumentControllerTest, RevertReadsThePackageAgainAndDropsTheUndoSteps) {
    std::filesystem::create_directories(package);
    writeBytes(package + "/document", "stored");
    DocumentController controller(factory, PackageWriter(), scheduler);
    KivError error;
    auto document = textDocument(controller.openDocument(package, error));
    document->edit("changed");
    ASSERT_TRUE(controller.revertDocument(*document, error));
    EXPECT_EQ(document->text, "stored");
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(document->undoManager().canUndo());
}

TEST_F(DocumentControllerTest, SavingInPlaceTwiceKeepsThePackage) {
    DocumentController controller(factory, PackageWriter(), scheduler);
    auto document = textDocument(controller.newDocument());
    controller.saveDocumentAs(*document, package, record);
    controller.finishSaving(*document);
    document->edit("second");
    controller.saveDocument(*document, record);
    controller.finishSaving(*document);
    EXPECT_FALSE(*result);
    EXPECT_EQ(readBytes(package + "/document"), "second");
    EXPECT_EQ(folderNames(folder.path("")), std::vector<std::string>{"Show.pondra"});
}

TEST_F(DocumentControllerTest, OnePackageUnderTwoSpellingsIsOneDocument) {
    std::filesystem::create_directories(package);
    std::filesystem::create_directories(folder.path("shows"));
    writeBytes(package + "/document", "stored");
    std::filesystem::create_directory_symlink(package, folder.path("Link.pondra"));
    DocumentController controller(factory, PackageWriter(), scheduler);
    KivError error;
    auto document = controller.openDocument(package, error);
    ASSERT_TRUE(document);
    for (const std::string& spelling : {package + "/", folder.path("shows/../Show.pondra"),
                                        folder.path("Link.pondra"), folder.path("Link.pondra/")}) {
        EXPECT_EQ(controller.openDocument(spelling, error), document) << spelling;
        EXPECT_EQ(controller.documentForPath(spelling), document) << spelling;
    }
    EXPECT_EQ(controller.documents().size(), 1U);

    // Opened through the link first, it is still the one package.
    DocumentController other(factory, PackageWriter(), scheduler);
    auto linked = other.openDocument(folder.path("Link.pondra/"), error);
    ASSERT_TRUE(linked);
    EXPECT_EQ(linked->filePath(), package);
    EXPECT_EQ(other.openDocument(package, error), linked);
}

TEST_F(DocumentControllerTest, SavingOverAPackageAnotherDocumentUsesIsRefused) {
    std::filesystem::create_directories(package + "/Media");
    writeBytes(package + "/document", "stored");
    writeBytes(package + "/Media/x.wav", "media");
    std::filesystem::create_directory_symlink(package, folder.path("Link.pondra"));
    const auto before = packageTree(folder.path(""));
    DocumentController controller(factory, PackageWriter(), scheduler);
    KivError error;
    auto open = textDocument(controller.openDocument(package, error));
    ASSERT_TRUE(open);
    auto document = textDocument(controller.newDocument());

    // The package under three spellings, and the folder that holds it.
    const std::string holder = std::filesystem::path(package).parent_path().string();
    CapturingLogSink log;
    for (const auto& [target, named] :
         std::vector<std::pair<std::string, std::string>>{{package, package},
                                                          {package + "/", package},
                                                          {folder.path("Link.pondra"), package},
                                                          {holder, holder}}) {
        result.reset();
        controller.saveDocumentAs(*document, target, record);
        ASSERT_TRUE(result) << target;
        EXPECT_EQ(result->domain, "Saving");
        EXPECT_EQ(result->code, 2);
        EXPECT_NE(result->description.find(named + ": "), std::string::npos) << result->description;
        EXPECT_FALSE(controller.isSaving(*document));
    }
    EXPECT_TRUE(document->saves.empty());
    EXPECT_TRUE(document->filePath().empty());
    EXPECT_EQ(packageTree(folder.path("")), before);

    // Its own package it saves over as always.
    open->edit("edited");
    controller.saveDocumentAs(*open, folder.path("Link.pondra"), record);
    controller.finishSaving(*open);
    EXPECT_FALSE(*result);
    EXPECT_EQ(readBytes(package + "/document"), "edited");
}

} // namespace

TEST_F(DocumentControllerTest, ASaveInPlaceOverAPackageAnotherProgramChangedAsksFirst) {
    ASSERT_FALSE(PackageWriter().write({"first", {}}, package));
    DocumentController controller(factory, PackageWriter{}, scheduler);
    KivError error;
    auto document = textDocument(controller.openDocument(package, error));
    ASSERT_TRUE(document) << error.description;

    // Another program saves the show meanwhile.
    ASSERT_FALSE(PackageWriter().write({"theirs", {}}, package));
    document->edit("mine");
    controller.saveDocument(*document, record);
    controller.finishSaving(*document);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->domain, "Saving");
    EXPECT_EQ(result->code, SavingError::kChangedOnDisk);
    EXPECT_EQ(readBytes(package + "/document"), "theirs");
    EXPECT_TRUE(document->isDocumentEdited());
    EXPECT_EQ(document->saves, std::vector<bool>{false});

    // Asked, the user saves anyway.
    result.reset();
    controller.saveDocument(*document, record, true);
    controller.finishSaving(*document);
    ASSERT_TRUE(result);
    EXPECT_FALSE(*result) << result->description;
    EXPECT_EQ(readBytes(package + "/document"), "mine");
    EXPECT_FALSE(document->isDocumentEdited());

    // Its own save is what it expects from then on; a revert reads what is there.
    document->edit("again");
    controller.saveDocument(*document, record);
    controller.finishSaving(*document);
    EXPECT_FALSE(*result) << result->description;
    ASSERT_FALSE(PackageWriter().write({"theirs again", {}}, package));
    ASSERT_TRUE(controller.revertDocument(*document, error)) << error.description;
    EXPECT_EQ(document->text, "theirs again");
    document->edit("after the revert");
    controller.saveDocument(*document, record);
    controller.finishSaving(*document);
    EXPECT_FALSE(*result) << result->description;
    EXPECT_EQ(readBytes(package + "/document"), "after the revert");

    // Save As replaces whatever is at the place it is given: the panel asked.
    ASSERT_FALSE(PackageWriter().write({"theirs once more", {}}, package));
    controller.saveDocumentAs(*document, package, record);
    controller.finishSaving(*document);
    EXPECT_FALSE(*result) << result->description;
    EXPECT_EQ(readBytes(package + "/document"), "after the revert");
}

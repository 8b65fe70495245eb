#include "WorkspaceDocumentFixture.h"
#include "audio/source/KivAudioSource.h"
#include "model/PondraLogger.h"
#include "model/WorkspaceArchive.h"
#include "platform/alias/KivAlias.h"
#include "support/CapturingLogSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using AudioFixtures::readBytes;
using AudioFixtures::writeBytes;

class WorkspaceDocumentTest : public WorkspaceDocumentFixture {
protected:
    // Two carts: "Music" with x.wav from two folders and y.wav, "Effects"
    // with a second cue of y.wav.
    std::shared_ptr<Workspace> showWithTwoCarts() {
        auto workspace = newWorkspace();
        workspace->removeCart(workspace->carts().front());
        auto music = cartIn(*workspace, "Music");
        music->setCue(cueOf("a/x.wav", 0.125f), 0);
        music->setCue(cueOf("b/x.wav", 0.25f), 1);
        music->setCue(cueOf("c/y.wav", 0.5f), 5);
        auto effects = cartIn(*workspace, "Effects");
        effects->setCue(AudioCue::initWithFile(folder.path("c/y.wav"), device), 3);
        return workspace;
    }

    // The file the cue's reference finds now.
    static std::string resolved(const AudioCue& cue) {
        return cue.audioSource()->alias() ? cue.audioSource()->alias()->fullPath() : "";
    }
};

TEST_F(WorkspaceDocumentTest, AnUntitledWorkspaceGetsCartOneAndADraggedOneNone) {
    auto workspace = newWorkspace();
    ASSERT_EQ(workspace->carts().size(), 1U);
    EXPECT_EQ(workspace->carts()[0]->name(), "Cart 1");
    EXPECT_EQ(workspace->carts()[0]->workspace(), workspace.get());

    Workspace dragged(device, caches);
    dragged.setCreatedFromDrag(true);
    dragged.initializeUntitled();
    EXPECT_TRUE(dragged.carts().empty());
}

TEST_F(WorkspaceDocumentTest, SavedCartsAndCuesReopenWithTheirOwnMedia) {
    auto workspace = showWithTwoCarts();
    ASSERT_FALSE(save(*workspace, package));

    EXPECT_EQ(folderNames(package + "/Media"),
              (std::vector<std::string>{"x-1.wav", "x.wav", "y-1.wav", "y.wav"}));
    EXPECT_EQ(readBytes(package + "/Media/x.wav"), readBytes(folder.path("a/x.wav")));
    EXPECT_EQ(readBytes(package + "/Media/x-1.wav"), readBytes(folder.path("b/x.wav")));
    EXPECT_NE(readBytes(package + "/Media/x.wav"), readBytes(package + "/Media/x-1.wav"));

    KivError error;
    auto reopened = open(package, error);
    ASSERT_TRUE(reopened) << error.description;
    ASSERT_EQ(reopened->carts().size(), 2U);
    EXPECT_EQ(reopened->carts()[0]->name(), "Music");
    EXPECT_EQ(reopened->carts()[1]->name(), "Effects");
    const auto& music = reopened->carts()[0]->cues();
    ASSERT_EQ(music.size(), 3U);
    EXPECT_EQ(music.at(0)->documentPath(), "Media/x.wav");
    EXPECT_EQ(music.at(1)->documentPath(), "Media/x-1.wav");
    EXPECT_EQ(music.at(1)->file(), package + "/Media/x-1.wav");
    EXPECT_EQ(resolved(*music.at(1)), package + "/Media/x-1.wav");
    const auto y = reopened->carts()[0]->cueAtIndex(5);
    ASSERT_TRUE(y);
    EXPECT_EQ(y->cart(), reopened->carts()[0].get());
    EXPECT_EQ(y->audioDevice(), reopened->audioDevice());
    EXPECT_FALSE(y->isBroken());
    EXPECT_EQ(reopened->carts()[1]->cueAtIndex(3)->documentPath(), "Media/y-1.wav");
}

TEST_F(WorkspaceDocumentTest, SavingInPlaceTwiceKeepsMediaTheCuesStillFind) {
    auto workspace = showWithTwoCarts();
    ASSERT_FALSE(save(*workspace, package));
    const auto media = packageTree(package + "/Media");
    ASSERT_FALSE(save(*workspace, package));
    ASSERT_FALSE(save(*workspace, package));

    EXPECT_EQ(packageTree(package + "/Media"), media);
    EXPECT_EQ(folderNames(folder.path("shows")), std::vector<std::string>{"Show.pondra"});
    for (const auto& cart : workspace->carts()) {
        for (const auto& [index, cue] : cart->cues()) {
            EXPECT_TRUE(cue->saved());
            EXPECT_EQ(resolved(*cue), package + "/" + *cue->documentPath());
            EXPECT_FALSE(cue->isBroken());
        }
    }
}

TEST_F(WorkspaceDocumentTest, AWorkspaceSavedDuckedReopensDucked) {
    device->useSteppedFades(clock);
    auto workspace = newWorkspace();
    workspace->setMasterVolume(0.6f);
    workspace->duck();
    ASSERT_FALSE(save(*workspace, package));

    KivError error;
    auto reopened = open(package, error);
    ASSERT_TRUE(reopened) << error.description;
    EXPECT_TRUE(reopened->isDucked());
    EXPECT_EQ(reopened->duckedVolume(), 0.15f);
    EXPECT_EQ(device->masterVolume(), 0.15f);
    reopened->unduck();
    device->stepFades();
    clock.advance(WorkspaceOutput::kDuckTime);
    device->stepFades();
    EXPECT_EQ(device->masterVolume(), 0.6f);
}

TEST_F(WorkspaceDocumentTest, DeadCuesLeaveOnlyWithASuccessfulSave) {
    auto workspace = newWorkspace();
    auto cart = workspace->carts().front();
    cart->setCue(cueOf("a/x.wav", 0.125f), 0);
    cart->setCue(cueOf("a/corner.wav", 0.25f), 15); // row 3, column 3
    cart->setSize({2, 2});
    ASSERT_TRUE(cart->cueAtInternalIndex(18)->dead());

    DocumentController failing(factory, PackageWriter([](PackageWriter::Step step) {
                                   return step == PackageWriter::Step::WriteDocument ? EIO : 0;
                               }),
                               scheduler);
    {
        CapturingLogSink log;
        KivError result;
        failing.saveDocumentAs(*workspace, package, [&](const KivError& e) { result = e; });
        failing.finishSaving(*workspace);
        EXPECT_EQ(result.code, 6);
    }
    EXPECT_EQ(cart->count(), 2U);
    EXPECT_FALSE(cart->cueAtInternalIndex(0)->saved());
    EXPECT_EQ(cart->cueAtInternalIndex(0)->documentPath(), std::nullopt);

    ASSERT_FALSE(save(*workspace, package));
    EXPECT_EQ(cart->count(), 1U);
    EXPECT_EQ(folderNames(package + "/Media"), std::vector<std::string>{"x.wav"});
    EXPECT_EQ(readBytes(package + "/document").find("corner"), std::string::npos);
}

TEST_F(WorkspaceDocumentTest, MovingThePackageRepointsSavedCues) {
    auto workspace = showWithTwoCarts();
    ASSERT_FALSE(save(*workspace, package));
    const std::string moved = folder.path("Moved.pondra");
    ASSERT_FALSE(save(*workspace, moved));
    const auto& cue = workspace->carts()[0]->cues().at(1);
    EXPECT_EQ(cue->file(), moved + "/Media/x-1.wav");
    EXPECT_EQ(workspace->filePath(), moved);
    EXPECT_TRUE(workspace->containsMediaFile(folder.path("MOVED.pondra/Media/x.wav")));
    EXPECT_FALSE(workspace->containsMediaFile(folder.path("Moved.pondra2/Media/x.wav")));
    EXPECT_TRUE(workspace->containsMediaFile(workspace->tmpPath() + "/x.wav"));
}

TEST_F(WorkspaceDocumentTest, ClosingRemovesTheTemporaryFolder) {
    auto workspace = newWorkspace();
    const std::string tmp = workspace->tmpPath();
    ASSERT_TRUE(std::filesystem::is_directory(tmp));
    controller.closeDocument(*workspace);
    EXPECT_FALSE(std::filesystem::exists(tmp));
}

// Hostile and broken documents.
class WorkspaceReadingTest : public WorkspaceDocumentTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(save(*showWithTwoCarts(), package));
        stored = nlohmann::json::parse(readBytes(package + "/document"));
    }
    void store(const std::string& text) {
        std::filesystem::remove(package + "/document");
        writeBytes(package + "/document", text);
    }
    // The read's error; the workspace must be untouched by a failed read.
    KivError readFails() {
        CapturingLogSink log;
        KivError error;
        EXPECT_EQ(open(package, error), nullptr);
        EXPECT_EQ(error.domain, "Saving");
        EXPECT_EQ(error.code, 1);
        EXPECT_TRUE(error.description.starts_with("Error - failed to read document data from " +
                                                  package + ": "))
            << error.description;
        return error;
    }

    nlohmann::json stored;
};

TEST_F(WorkspaceReadingTest, TruncatedOrMissingDocumentsFail) {
    const std::string text = stored.dump();
    store(text.substr(0, text.size() / 2));
    readFails();
    store("");
    readFails();
    std::filesystem::remove(package + "/document");
    readFails();
}

TEST_F(WorkspaceReadingTest, ValuesOfTheWrongTypeFail) {
    for (const auto& [key, value] : std::vector<std::pair<std::string, nlohmann::json>>{
             {"carts", "many"},
             {"deviceChannel", "one"},
             {"masterVolume", -1.0},
             {"masterVolume", 1e300},
             {"duckedVolume", "low"},
             {"settings", nlohmann::json::array({1})},
             {"logger", 7},
             {"locked", nlohmann::json::array()}}) {
        auto document = stored;
        document[key] = value;
        store(document.dump());
        const KivError error = readFails();
        EXPECT_NE(error.description.find(key), std::string::npos) << error.description;
    }
}

TEST_F(WorkspaceReadingTest, AbsurdVolumesAreHeldToWhatTheControlsCanSet) {
    stored["masterVolume"] = 3e38;
    stored["duckedVolume"] = 3e38;
    stored["carts"][0]["cues"]["0"]["volume"] = 3e38;
    store(stored.dump());
    KivError error;
    auto reopened = open(package, error);
    ASSERT_TRUE(reopened) << error.description;
    EXPECT_EQ(reopened->masterVolume(), WorkspaceOutput::kMaximumVolume);
    EXPECT_EQ(reopened->duckedVolume(), WorkspaceOutput::kMaximumVolume);
    const auto cue = reopened->carts()[0]->cues().at(0);
    EXPECT_EQ(cue->volume(), AudioCue::kMaximumVolume);

    KivAudioSource& source = *cue->audioSource();
    source.useManualBuffers();
    cue->triggerDown();
    source.tendBuffers();
    const std::size_t cycle = render();
    const float first = cycleOutput(cycle, 0).front();
    EXPECT_TRUE(std::isfinite(first)) << first;
    EXPECT_EQ(first, 0.125f);
}

TEST_F(WorkspaceReadingTest, AHugeDocumentIsRefusedUnread) {
    std::filesystem::resize_file(package + "/document", WorkspaceArchive::kMaximumDocumentSize + 1);
    EXPECT_NE(readFails().description.find("larger"), std::string::npos);
}

TEST_F(WorkspaceReadingTest, HostileMediaPathsStayInsideThePackage) {
    auto& cues = stored["carts"][0]["cues"];
    cues["0"]["documentPath"] = "../../../../etc/passwd";
    cues["1"]["documentPath"] = "/etc/passwd";
    // Slot 5 of a 4 x 4 grid is stored under internal index 6.
    cues["6"]["documentPath"] = "Media/sub/y.wav";
    store(stored.dump());
    CapturingLogSink log;
    KivError error;
    auto reopened = open(package, error);
    ASSERT_TRUE(reopened) << error.description;
    // Nothing is borrowed in their place: such a cue is missing.
    for (const auto& cue :
         {reopened->carts()[0]->cueAtIndex(0), reopened->carts()[0]->cueAtIndex(1),
          reopened->carts()[0]->cueAtIndex(5)}) {
        ASSERT_TRUE(cue);
        EXPECT_TRUE(cue->isBroken());
        EXPECT_EQ(resolved(*cue), "");
        EXPECT_EQ(cue->documentPath(), std::nullopt);
    }
    EXPECT_FALSE(reopened->carts()[1]->cueAtIndex(3)->isBroken());
}

// A cue whose file is gone is saved without media and stays missing: its
// name is kept from every other cue, and nothing re-points it.
class MissingMediaTest : public WorkspaceDocumentTest {
protected:
    // Right after a save the cue's stream may still hold the vanished file;
    // its reference finds nothing, and the save said so.
    void expectMissing(const AudioCue& cue) {
        EXPECT_EQ(resolved(cue), "") << cue.name();
        EXPECT_FALSE(cue.saved()) << cue.name();
        const std::string said = "Saving cue " + cue.name() + " without media";
        const auto lines = log.lines();
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.starts_with(said);
        })) << said;
    }
    // Read from a package, it is broken.
    void expectBroken(const AudioCue& cue) {
        EXPECT_TRUE(cue.isBroken()) << cue.name();
        EXPECT_EQ(resolved(cue), "") << cue.name();
        EXPECT_FALSE(cue.saved()) << cue.name();
    }
    void expectPlays(const AudioCue& cue, const std::string& original) {
        ASSERT_TRUE(cue.documentPath());
        EXPECT_EQ(resolved(cue), package + "/" + *cue.documentPath());
        EXPECT_EQ(readBytes(resolved(cue)), readBytes(original));
        EXPECT_FALSE(cue.isBroken());
    }
    KivError saveInPlace(DocumentController& owner, Workspace& workspace) {
        KivError result;
        owner.saveDocument(workspace, [&](const KivError& e) { result = e; });
        owner.finishSaving(workspace);
        return result;
    }

    CapturingLogSink log;
    DocumentController third{factory, PackageWriter(), scheduler};
};

TEST_F(MissingMediaTest, ACueWhoseDriveWentNeverPlaysAnotherCuesFile) {
    auto workspace = newWorkspace();
    auto cart = workspace->carts().front();
    auto unplugged = cueOf("usb/x.wav", 0.125f);
    cart->setCue(unplugged, 0);
    cart->setCue(cueOf("b/x.wav", 0.25f), 1);
    std::filesystem::remove(folder.path("usb/x.wav"));

    ASSERT_FALSE(save(*workspace, package));
    expectMissing(*unplugged);
    expectPlays(*cart->cueAtIndex(1), folder.path("b/x.wav"));

    KivError error;
    auto reopened = open(package, error);
    ASSERT_TRUE(reopened) << error.description;
    expectBroken(*reopened->carts()[0]->cueAtIndex(0));
    expectPlays(*reopened->carts()[0]->cueAtIndex(1), folder.path("b/x.wav"));

    ASSERT_FALSE(saveInPlace(reopening, *reopened));
    expectBroken(*reopened->carts()[0]->cueAtIndex(0));
    auto again = std::dynamic_pointer_cast<Workspace>(third.openDocument(package, error));
    ASSERT_TRUE(again) << error.description;
    expectBroken(*again->carts()[0]->cueAtIndex(0));
    expectPlays(*again->carts()[0]->cueAtIndex(1), folder.path("b/x.wav"));
}

TEST_F(MissingMediaTest, ASavedCueWhoseMediaWentKeepsItsNameAndStaysMissing) {
    auto workspace = newWorkspace();
    auto cart = workspace->carts().front();
    auto first = cueOf("a/x.wav", 0.125f);
    cart->setCue(first, 0);
    ASSERT_FALSE(save(*workspace, package));
    std::filesystem::remove(package + "/Media/x.wav");
    cart->setCue(cueOf("b/x.wav", 0.25f), 1);

    ASSERT_FALSE(save(*workspace, package));
    expectMissing(*first);
    EXPECT_EQ(first->documentPath(), "Media/x.wav");
    EXPECT_EQ(cart->cueAtIndex(1)->documentPath(), "Media/x-1.wav");
    expectPlays(*cart->cueAtIndex(1), folder.path("b/x.wav"));
    EXPECT_EQ(folderNames(package + "/Media"), std::vector<std::string>{"x-1.wav"});

    KivError error;
    auto reopened = open(package, error);
    ASSERT_TRUE(reopened) << error.description;
    expectBroken(*reopened->carts()[0]->cueAtIndex(0));
    expectPlays(*reopened->carts()[0]->cueAtIndex(1), folder.path("b/x.wav"));

    // Saved again, and a new cue of another x.wav added: the name stays kept.
    reopened->carts()[0]->setCue(cueOf("c/x.wav", 0.5f), 2);
    ASSERT_FALSE(saveInPlace(reopening, *reopened));
    const auto& cues = reopened->carts()[0];
    expectBroken(*cues->cueAtIndex(0));
    EXPECT_EQ(cues->cueAtIndex(0)->documentPath(), "Media/x.wav");
    EXPECT_EQ(cues->cueAtIndex(2)->documentPath(), "Media/x-2.wav");
    EXPECT_EQ(folderNames(package + "/Media"), (std::vector<std::string>{"x-1.wav", "x-2.wav"}));

    auto again = std::dynamic_pointer_cast<Workspace>(third.openDocument(package, error));
    ASSERT_TRUE(again) << error.description;
    expectBroken(*again->carts()[0]->cueAtIndex(0));
    expectPlays(*again->carts()[0]->cueAtIndex(1), folder.path("b/x.wav"));
    expectPlays(*again->carts()[0]->cueAtIndex(2), folder.path("c/x.wav"));
}

// A package whose media are links leads out of itself: the links are not
// followed when it is opened, and what they lead to is never saved.
class PackageLinksTest : public MissingMediaTest {
protected:
    void SetUp() override {
        ASSERT_FALSE(save(*showWithTwoCarts(), package));
        secret = writeFile("outside/secret.wav", 0.875f);
    }
    // No file of the tree holds the outside file's bytes, and no item is a link.
    void expectNothingFromOutside(const std::string& root) {
        for (const auto& [name, content] : packageTree(root)) {
            EXPECT_TRUE(content != readBytes(secret)) << name << " holds the outside file";
            EXPECT_FALSE(content.starts_with("<link>")) << name;
        }
    }
    std::shared_ptr<Workspace> openAndSaveBothWays() {
        KivError error;
        auto reopened = open(package, error);
        EXPECT_TRUE(reopened) << error.description;
        if (!reopened) {
            return nullptr;
        }
        EXPECT_FALSE(saveInPlace(reopening, *reopened));
        expectNothingFromOutside(package);
        const std::string copy = folder.path("Copy.pondra");
        KivError result;
        reopening.saveDocumentAs(*reopened, copy, [&](const KivError& e) { result = e; });
        reopening.finishSaving(*reopened);
        EXPECT_FALSE(result) << result.description;
        expectNothingFromOutside(copy);
        return reopened;
    }

    std::string secret;
};

TEST_F(PackageLinksTest, AMediaFileThatIsALinkIsMissingAndNeverSaved) {
    std::filesystem::remove(package + "/Media/x.wav");
    std::filesystem::create_symlink(secret, package + "/Media/x.wav");

    KivError error;
    auto reopened = open(package, error);
    ASSERT_TRUE(reopened) << error.description;
    expectBroken(*reopened->carts()[0]->cueAtIndex(0));
    expectPlays(*reopened->carts()[0]->cueAtIndex(1), folder.path("b/x.wav"));
    // A copy of the cell plays what the cue plays: nothing.
    const auto copied = reopened->carts()[0]->cueAtIndex(0)->copy();
    ASSERT_TRUE(copied);
    expectBroken(*copied);
    reopening.closeDocument(*reopened);

    auto saved = openAndSaveBothWays();
    ASSERT_TRUE(saved);
    expectBroken(*saved->carts()[0]->cueAtIndex(0));
    EXPECT_FALSE(saved->carts()[0]->cueAtIndex(1)->isBroken());
}

TEST_F(PackageLinksTest, AMediaFolderThatIsALinkIsNotFollowed) {
    const std::string elsewhere = folder.path("outside/Media");
    std::filesystem::rename(package + "/Media", elsewhere);
    std::filesystem::remove(elsewhere + "/x.wav");
    std::filesystem::copy_file(secret, elsewhere + "/x.wav");
    secret = elsewhere + "/x.wav";
    std::filesystem::create_directory_symlink(elsewhere, package + "/Media");

    KivError error;
    auto reopened = open(package, error);
    ASSERT_TRUE(reopened) << error.description;
    for (const auto& cart : reopened->carts()) {
        for (const auto& [index, cue] : cart->cues()) {
            expectBroken(*cue);
        }
    }
    reopening.closeDocument(*reopened);

    auto saved = openAndSaveBothWays();
    ASSERT_TRUE(saved);
    EXPECT_TRUE(folderNames(package + "/Media").empty());
    EXPECT_EQ(readBytes(secret), readBytes(folder.path("outside/secret.wav")));
}

} // namespace

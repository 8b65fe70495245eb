#pragma once

#include "audio/OpenDeviceFixture.h"
#include "foundation/MainRunLoop.h"
#include "foundation/ManualScheduler.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/DocumentController.h"
#include "model/PackageTree.h"
#include "model/Workspace.h"

#include <sndfile.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// Workspaces of real audio cues on an offline device, saved and opened
// through a document controller whose saves the test completes by hand.
class WorkspaceDocumentFixture : public OpenDeviceFixture {
protected:
    static constexpr int kRate = 48000;

    // A half-second mono file at a constant level, so each file's bytes differ.
    std::string writeFile(const std::string& relativePath, float level) {
        const std::string path = folder.path(relativePath);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        const std::vector<float> samples(kRate / 2, level);
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, samples, 1, kRate));
        return path;
    }

    std::shared_ptr<AudioCue> cueOf(const std::string& relativePath, float level) {
        auto cue = AudioCue::initWithFile(writeFile(relativePath, level), device);
        EXPECT_TRUE(cue);
        return cue;
    }

    std::shared_ptr<Cart> cartIn(Workspace& workspace, const std::string& name) {
        auto cart = std::make_shared<Cart>();
        cart->setName(name);
        workspace.addCart(cart);
        return cart;
    }

    std::shared_ptr<Workspace> newWorkspace() {
        return std::dynamic_pointer_cast<Workspace>(controller.newDocument());
    }

    KivError save(Workspace& workspace, const std::string& path) {
        KivError result;
        controller.saveDocumentAs(workspace, path, [&](const KivError& e) { result = e; });
        controller.finishSaving(workspace);
        return result;
    }

    std::shared_ptr<Workspace> open(const std::string& path, KivError& error) {
        return std::dynamic_pointer_cast<Workspace>(reopening.openDocument(path, error));
    }

    ManualClock clock;
    ManualScheduler scheduler{clock};
    MainRunLoop::ScopedInstall install{scheduler, clock};
    AudioFixtures::TempFolder folder;
    const std::string caches = folder.path("cache");
    const std::string shows = folder.path("shows");
    const bool showsExists = std::filesystem::create_directories(shows);
    const std::string package = shows + "/Show.pondra";
    DocumentController::DocumentFactory factory = [this] {
        return std::make_shared<Workspace>(device, caches);
    };
    DocumentController controller{factory, PackageWriter(), scheduler};
    // A second controller, so a package is read into a new workspace.
    DocumentController reopening{factory, PackageWriter(), scheduler};
};

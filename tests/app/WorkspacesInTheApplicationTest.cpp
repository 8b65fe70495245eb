#include "PondraFixture.h"
#include "app/ControllerDocuments.h"
#include "audio/OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"
#include "foundation/MainRunLoop.h"
#include "model/AudioCue.h"
#include "model/Cart.h"
#include "model/DocumentController.h"
#include "model/Workspace.h"
#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>

#include <QTimer>

#include <map>

namespace {

// Stands in for a workspace's window: hands each batch to every cart, as
// the window does in edit mode.
class CartsWindow final : public MidiBatchProcessor {
public:
    explicit CartsWindow(Workspace& workspace)
        : _workspace(workspace) {}
    void processMIDIMessages(const MidiBatch& messages) override {
        for (const auto& cart : _workspace.carts()) {
            cart->processMIDIMessages(messages);
        }
    }

private:
    Workspace& _workspace;
};

// Real workspaces of real cues on an offline device, open in the document
// controller that the application reaches.
class WorkspacesInTheApplication : public PondraFixture {
protected:
    WorkspacesInTheApplication() {
        hardware.backend->plug(OfflineHardware::device("card"));
        device = KivAudioDevice::deviceWithUID("card");
        application->setDocuments(&documents);
    }

    std::shared_ptr<AudioCue> showWithCueOnNote(int note) {
        auto workspace = std::dynamic_pointer_cast<Workspace>(controller.newDocument());
        windows.emplace(workspace.get(), std::make_unique<CartsWindow>(*workspace));
        const std::string file = files.path("note" + std::to_string(note) + ".wav");
        EXPECT_TRUE(AudioFixtures::writeSndfile(file, SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                                                std::vector<float>(48000, 0.25f), 1, 48000));
        auto cue = AudioCue::initWithFile(file, device);
        cue->setMidiNote(note);
        workspace->carts().front()->setCue(cue, 0);
        return cue;
    }

    OfflineHardware hardware;
    std::shared_ptr<KivAudioDevice> device;
    AudioFixtures::TempFolder files;
    std::unique_ptr<Pondra> application = makeApplication();
    DocumentController controller{
        [this] { return std::make_shared<Workspace>(device, files.path("cache")); },
        PackageWriter(), MainRunLoop::scheduler()};
    std::map<Document*, std::unique_ptr<CartsWindow>> windows;
    ControllerDocuments documents{controller, [this](Document& document) -> MidiBatchProcessor* {
                                      auto found = windows.find(&document);
                                      return found == windows.end() ? nullptr : found->second.get();
                                  }};
};

} // namespace

TEST_F(WorkspacesInTheApplication, OneBatchReachesTwoOpenWorkspacesAndQuittingStopsTheirCues) {
    auto first = showWithCueOnNote(60);
    auto second = showWithCueOnNote(62);
    auto silent = showWithCueOnNote(64);

    application->takeMIDIMessages({{0x90, 1, 60, 100}, {0x90, 1, 62, 100}});
    QCoreApplication::processEvents();
    EXPECT_TRUE(first->isPlaying());
    EXPECT_TRUE(second->isPlaying());
    EXPECT_FALSE(silent->isPlaying());

    QTimer::singleShot(0, application.get(), &QCoreApplication::quit);
    EXPECT_EQ(application->exec(), 0);
    EXPECT_FALSE(first->isPlaying());
    EXPECT_FALSE(second->isPlaying());
    EXPECT_FALSE(first->playing());
}

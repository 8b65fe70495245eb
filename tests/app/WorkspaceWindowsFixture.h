#pragma once

#include "KivUI/ScriptedPrompts.h"
#include "PondraFixture.h"
#include "app/WorkspaceWindows.h"
#include "audio/OfflineHardware.h"
#include "audio/device/KivAudioDevice.h"
#include "model/Workspace.h"
#include "platform/audiofile/AudioFixtures.h"

#include <memory>

// The application with its document windows over one offline device "card";
// new workspaces play on it and keep their temporary media in the test's folder.
class WorkspaceWindowsFixture : public PondraFixture {
protected:
    WorkspaceWindowsFixture() {
        hardware.backend->plug(OfflineHardware::device("card"));
        device = KivAudioDevice::deviceWithUID("card");
        application = makeApplication();
        windows = std::make_unique<WorkspaceWindows>(
            *application,
            [this] { return std::make_shared<Workspace>(device, files.path("cache")); }, prompts);
    }
    ~WorkspaceWindowsFixture() override {
        windows.reset();
        application.reset();
    }

    OfflineHardware hardware;
    std::shared_ptr<KivAudioDevice> device;
    AudioFixtures::TempFolder files;
    ScriptedPrompts prompts;
    std::unique_ptr<Pondra> application;
    std::unique_ptr<WorkspaceWindows> windows;
};

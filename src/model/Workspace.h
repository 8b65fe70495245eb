#pragma once

#include "model/Document.h"
#include "model/TemporaryMediaFolder.h"
#include "model/WorkspaceOutput.h"

#include <cstddef>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

class Cart;
class KivAudioDevice;
class PondraLogger;
class WorkspaceSavePlan;
class WorkspaceSettings;

// The document: one open show with its carts, its play log, the window's
// settings, its output device and volumes, and a temporary folder for
// imported media. Saved as a package "NAME.pondra/" with "document" and
// "Media/". Main thread only.
class Workspace : public Document {
public:
    // The device (the default output device unless told) is engaged, so it
    // is open while the workspace lives; device channel 1, no carts, a new
    // logger, master volume 1.0, ducked volume 0.15, no settings, and a new
    // temporary folder under `caches`.
    explicit Workspace(std::shared_ptr<KivAudioDevice> device = defaultDevice(),
                       const std::string& caches = TemporaryMediaFolder::cachesFolder());
    // Clears the workspace of every cart it still holds.
    ~Workspace() override;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    static std::shared_ptr<KivAudioDevice> defaultDevice();

    // Never null; replaced when a document is read.
    const std::shared_ptr<PondraLogger>& logger() const;
    // A null logger is refused.
    void setLogger(std::shared_ptr<PondraLogger> logger);

    // The window's settings, not owned; nullptr while there is no window.
    WorkspaceSettings* settings() const;
    void setSettings(WorkspaceSettings* settings);
    // The window's progress sheet, not owned; nullptr while there is none.
    SaveProgress* saveProgress() override { return _saveProgress; }
    void setSaveProgress(SaveProgress* progress) { _saveProgress = progress; }
    // Sent by the window at the end of its set-up: settings read before the
    // window existed reach it now.
    void awakeFromNib();

    const std::vector<std::shared_ptr<Cart>>& carts() const;
    // Appends the cart and makes this its workspace; a cart of another
    // workspace leaves that one first. A cart already here stays where it is.
    void addCart(std::shared_ptr<Cart> cart);
    void removeCart(const std::shared_ptr<Cart>& cart);
    // Out-of-range indexes change nothing.
    void swapCartAtIndex(std::size_t index, std::size_t otherIndex);

    // Panics every cart's cues, then clears the pause-all state.
    void panic();

    // While a cue that ducks plays (its ducking flag set, playing or paused)
    // every other cue of every cart is ducked, and those fired meanwhile
    // start ducked; when the last one stops they all come back. Cues and
    // carts call it whenever that may have changed; it may run any number
    // of times. Apart from the master volume's duck (duck(), unduck()).
    void updateCueDucking();
    bool areCuesDucked() const { return _cuesDucked; }

    bool isPaused() const;
    void setPaused(bool paused);
    // Show mode.
    bool isLocked() const;
    void setLocked(bool locked);

    // Output: see WorkspaceOutput.
    const std::shared_ptr<KivAudioDevice>& audioDevice() const { return _output.audioDevice(); }
    // Every cue moves to the new device with the workspace.
    void setAudioDevice(std::shared_ptr<KivAudioDevice> device);
    // The same, but an old device that was open comes back with an engage of
    // its own kept on it: letting that go closes the device, which waits on
    // it, so the caller does so off the GUI thread.
    std::shared_ptr<KivAudioDevice> replaceAudioDevice(std::shared_ptr<KivAudioDevice> device);
    int deviceChannel() const { return _output.deviceChannel(); }
    void setDeviceChannel(int channel) { _output.setDeviceChannel(channel); }
    float masterVolume() const { return _output.masterVolume(); }
    void setMasterVolume(float volume) { _output.setMasterVolume(volume); }
    float previousVolume() const { return _output.previousVolume(); }
    float duckedVolume() const { return _output.duckedVolume(); }
    bool isDucked() const { return _output.isDucked(); }
    void duck() { _output.duck(); }
    void unduck() { _output.unduck(); }
    void applyMasterVolume() { _output.applyMasterVolume(); }
    void previewMasterVolume(float volume) { _output.previewMasterVolume(volume); }
    std::optional<WorkspaceOutput::Levels> outputLevels() const { return _output.levels(); }

    // Made by dragging a tab out of another window: it starts without a cart.
    bool createdFromDrag() const { return _createdFromDrag; }
    void setCreatedFromDrag(bool createdFromDrag) { _createdFromDrag = createdFromDrag; }

    // Imported media. The copy runs on any thread: see TemporaryMediaFolder.
    const std::string& tmpPath() const { return _tmp.path(); }
    std::optional<std::string>
    copyFileIntoTmp(const std::string& path, const std::atomic<bool>* cancelled = nullptr,
                    std::string* problem = nullptr,
                    const FileOperations::FileState* expected = nullptr) const {
        return _tmp.copyFileIntoTmp(path, cancelled, problem, expected);
    }
    // True for a path inside the package (once the workspace has a file) or
    // the temporary folder, whole components compared in any letter case.
    bool containsMediaFile(const std::string& path) const;

    // "Workspace <display name> - (<cart>, <cart>, ...)".
    std::string description() const;

    // Document.
    // An untitled workspace not made by dragging gets one cart "Cart 1".
    void initializeUntitled() override;
    bool readFromPackage(const std::string& path, KivError& error) override;
    std::optional<PackageContents> contentsForSaving(KivError& error) override;
    void didSave(bool success) override;
    // Saved cues whose media are not where the package now keeps them are
    // re-pointed there.
    void setFilePath(const std::string& path) override;
    // Deletes the temporary folder.
    void close() override;

private:
    void replaceCarts(std::vector<std::shared_ptr<Cart>> carts, const std::string& packagePath);

    std::shared_ptr<PondraLogger> _logger;
    WorkspaceSettings* _settings = nullptr;
    SaveProgress* _saveProgress = nullptr;
    std::vector<std::shared_ptr<Cart>> _carts;
    bool _paused = false;
    bool _locked = false;
    bool _createdFromDrag = false;
    bool _cuesDucked = false;
    // Settings read before the window existed; null when none wait.
    nlohmann::json _savedSettingsState;
    WorkspaceOutput _output;
    TemporaryMediaFolder _tmp;
    // The save under way, between contentsForSaving and didSave.
    std::unique_ptr<WorkspaceSavePlan> _savePlan;
};

#pragma once

#include <memory>
#include <optional>

class KivAudioDevice;
class UndoManager;

// A workspace's sound output: its device, the first output channel its cues
// are routed to, and the master volume with its ducking. The workspace keeps
// its own engage on the device, so the device stays open when the last cue
// stops. Main thread.
class WorkspaceOutput {
public:
    static constexpr float kDefaultDuckedVolume = 0.15f;
    // The top of the master volume slider, which also sets the ducked volume.
    static constexpr float kMaximumVolume = 1.0f;
    static constexpr double kDuckTime = 0.8;

    // Engages the device (which opens it); a null device means no output.
    WorkspaceOutput(std::shared_ptr<KivAudioDevice> device, UndoManager& undoManager);
    ~WorkspaceOutput();
    WorkspaceOutput(const WorkspaceOutput&) = delete;
    WorkspaceOutput& operator=(const WorkspaceOutput&) = delete;

    const std::shared_ptr<KivAudioDevice>& audioDevice() const { return _device; }
    // Engages the new device before letting the old one go, then routes and
    // sets the master volume on it.
    void setAudioDevice(std::shared_ptr<KivAudioDevice> device);

    int deviceChannel() const { return _deviceChannel; }
    // Below 1 becomes 1. Silences every crosspoint, then routes feed channel
    // k + 1 to output channel + k while that output exists.
    void setDeviceChannel(int channel);

    // The device's master while it is open; else the ducked volume when
    // ducked, the stored master volume when not.
    float masterVolume() const;
    // An undoable change of the master volume, or of the ducked volume while
    // ducked ("Volume Change", "Ducking Volume Change"); then applied.
    void setMasterVolume(float volume);
    float storedMasterVolume() const { return _masterVolume; }
    float previousVolume() const { return _previousVolume; }
    float duckedVolume() const { return _duckedVolume; }

    bool isDucked() const { return _ducked; }
    // Fades the device to the ducked volume, or back to the master volume,
    // over 0.8 s; returns at once.
    void duck();
    void unduck();

    // Reading: each value to its own field, whatever the ducked flag; nothing
    // reaches the device until applyMasterVolume().
    void restore(float masterVolume, float duckedVolume, bool ducked);
    // The device's master := the ducked volume while ducked, else the master.
    void applyMasterVolume();
    // The device's master alone, no edit: the slider while it is dragged.
    void previewMasterVolume(float volume);

    // What the meters show of the pair played through, in the device's
    // decibels; none without a live device.
    struct Levels {
        float leftPower = 0;
        float leftPeak = 0;
        float rightPower = 0;
        float rightPeak = 0;
    };
    std::optional<Levels> levels() const;

private:
    std::shared_ptr<KivAudioDevice> _device;
    UndoManager& _undoManager;
    int _deviceChannel = 1;
    float _masterVolume = 1.0f;
    float _previousVolume = 1.0f;
    float _duckedVolume = kDefaultDuckedVolume;
    bool _ducked = false;
};

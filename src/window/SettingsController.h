#pragma once

#include "foundation/KivHotKey.h"
#include "model/WorkspaceSettings.h"

// The workspace window's settings: the keys of the workspace's own actions,
// the MIDI channel listened to, the panic duration and the safety check.
// Saved with the document as its state dictionary. Main thread.
class SettingsController final : public WorkspaceSettings {
public:
    // The defaults: "[" pauses all, "]" resumes all, "," ducks; any channel;
    // a panic of 1 s; no safety check.
    SettingsController();

    void resetToDefaults();

    const KivHotKey& pauseAllKey() const { return _pauseAllKey; }
    const KivHotKey& resumeAllKey() const { return _resumeAllKey; }
    const KivHotKey& duckMasterKey() const { return _duckMasterKey; }
    // 0 for any channel, else 1..16.
    int midiChannel() const { return _midiChannel; }
    void setMidiChannel(int channel) { _midiChannel = channel; }
    bool shouldPerformSafetyChecks() const { return _performSafetyCheck; }
    void setShouldPerformSafetyChecks(bool perform) { _performSafetyCheck = perform; }
    // A negative duration is refused.
    void setPanicDuration(double seconds);

    double panicDuration() const override { return _panicDuration; }
    std::vector<std::string> hotkeys() const override;
    nlohmann::json state() const override;
    void setState(const nlohmann::json& state) override;

private:
    KivHotKey _pauseAllKey;
    KivHotKey _resumeAllKey;
    KivHotKey _duckMasterKey;
    int _midiChannel = 0;
    double _panicDuration = 1.0;
    bool _performSafetyCheck = false;
};

#pragma once

#include "foundation/KivHotKey.h"
#include "model/WorkspaceSettings.h"

#include <functional>

class UndoManager;

// The workspace window's settings: the keys of the workspace's own actions,
// the MIDI channel listened to, the panic duration and the safety check.
// Saved with the document as its state dictionary. Each edit through a
// setter is one undo step of the document. Main thread.
class SettingsController final : public WorkspaceSettings {
public:
    // The defaults: "[" pauses all, "]" resumes all, "," ducks; any channel;
    // a panic of 1 s; no safety check.
    SettingsController();

    void resetToDefaults();
    // The defaults again, as one edit.
    void revertToDefaults();
    // The document's undo manager, which records the edits; null records none.
    void setUndoManager(UndoManager* undoManager) { _undoManager = undoManager; }

    const KivHotKey& pauseAllKey() const { return _pauseAllKey; }
    const KivHotKey& resumeAllKey() const { return _resumeAllKey; }
    const KivHotKey& duckMasterKey() const { return _duckMasterKey; }
    // An empty key clears the action's key.
    void setPauseAllKey(const KivHotKey& key);
    void setResumeAllKey(const KivHotKey& key);
    void setDuckMasterKey(const KivHotKey& key);
    // 0 for any channel, else 1..16; clamped into 0..16.
    int midiChannel() const { return _midiChannel; }
    void setMidiChannel(int channel);
    bool shouldPerformSafetyChecks() const { return _performSafetyCheck; }
    void setShouldPerformSafetyChecks(bool perform);
    // A negative or infinite duration is refused.
    void setPanicDuration(double seconds);

    double panicDuration() const override { return _panicDuration; }
    // The keys that are set; an empty key is no workspace key.
    std::vector<std::string> hotkeys() const override;
    nlohmann::json state() const override;
    // Reading a document's state: no undo step.
    void setState(const nlohmann::json& state) override;

private:
    static bool isValidPanicDuration(double seconds);
    // Applies `change` and, when the state differs, records its undo.
    void edit(const std::function<void()>& change);

    UndoManager* _undoManager = nullptr;
    KivHotKey _pauseAllKey;
    KivHotKey _resumeAllKey;
    KivHotKey _duckMasterKey;
    int _midiChannel = 0;
    double _panicDuration = 1.0;
    bool _performSafetyCheck = false;
};

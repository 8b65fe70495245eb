#include "window/sheets/SettingsController.h"

#include "platform/undo/UndoManager.h"

#include <algorithm>
#include <cmath>

namespace {

KivHotKey plainKey(std::uint16_t keyCode, char16_t character) {
    KivHotKey key;
    key.setKeyCode(keyCode);
    key.setKeyCharacter(character);
    return key;
}

} // namespace

SettingsController::SettingsController() {
    resetToDefaults();
}

void SettingsController::resetToDefaults() {
    // evdev codes of the keys: 26 "[", 27 "]", 51 ",".
    _pauseAllKey = plainKey(26, u'[');
    _resumeAllKey = plainKey(27, u']');
    _duckMasterKey = plainKey(51, u',');
    _midiChannel = 0;
    _panicDuration = 1.0;
    _performSafetyCheck = false;
}

void SettingsController::revertToDefaults() {
    edit([this] { resetToDefaults(); });
}

void SettingsController::setPauseAllKey(const KivHotKey& key) {
    edit([this, &key] { _pauseAllKey = key; });
}

void SettingsController::setResumeAllKey(const KivHotKey& key) {
    edit([this, &key] { _resumeAllKey = key; });
}

void SettingsController::setDuckMasterKey(const KivHotKey& key) {
    edit([this, &key] { _duckMasterKey = key; });
}

void SettingsController::setMidiChannel(int channel) {
    edit([this, channel] { _midiChannel = std::clamp(channel, 0, 16); });
}

void SettingsController::setShouldPerformSafetyChecks(bool perform) {
    edit([this, perform] { _performSafetyCheck = perform; });
}

bool SettingsController::isValidPanicDuration(double seconds) {
    return seconds >= 0 && std::isfinite(seconds);
}

void SettingsController::setPanicDuration(double seconds) {
    if (isValidPanicDuration(seconds)) {
        edit([this, seconds] { _panicDuration = seconds; });
    }
}

void SettingsController::edit(const std::function<void()>& change) {
    const nlohmann::json old = state();
    change();
    if (_undoManager == nullptr || state() == old) {
        return;
    }
    _undoManager->registerUndo(this, [this, old] { edit([this, &old] { setState(old); }); });
    if (!_undoManager->isUndoing()) {
        _undoManager->setActionName("Change Settings");
    }
}

std::vector<std::string> SettingsController::hotkeys() const {
    std::vector<std::string> keys;
    for (const KivHotKey* key : {&_pauseAllKey, &_resumeAllKey, &_duckMasterKey}) {
        if (!key->isEmpty()) {
            keys.push_back(key->displayString());
        }
    }
    return keys;
}

nlohmann::json SettingsController::state() const {
    return {{"Key Map",
             {{"pauseAll", _pauseAllKey.descriptor()},
              {"resumeAll", _resumeAllKey.descriptor()},
              {"duckMaster", _duckMasterKey.descriptor()}}},
            {"MIDI Controls", {{"midiChannel", _midiChannel}}},
            {"General Settings",
             {{"panicDuration", _panicDuration}, {"performSafetyCheck", _performSafetyCheck}}}};
}

void SettingsController::setState(const nlohmann::json& state) {
    if (!state.is_object()) {
        return;
    }
    const auto entry = [](const nlohmann::json& dictionary, const char* key) {
        const auto found = dictionary.find(key);
        return found == dictionary.end() ? nlohmann::json() : *found;
    };
    if (const auto keys = entry(state, "Key Map"); keys.is_object()) {
        _pauseAllKey.setDescriptor(entry(keys, "pauseAll"));
        _resumeAllKey.setDescriptor(entry(keys, "resumeAll"));
        _duckMasterKey.setDescriptor(entry(keys, "duckMaster"));
    }
    if (const auto midi = entry(state, "MIDI Controls"); midi.is_object()) {
        if (const auto channel = entry(midi, "midiChannel"); channel.is_number()) {
            _midiChannel = static_cast<int>(std::clamp(channel.get<double>(), 0.0, 16.0));
        }
    }
    if (const auto general = entry(state, "General Settings"); general.is_object()) {
        if (const auto check = entry(general, "performSafetyCheck"); check.is_boolean()) {
            _performSafetyCheck = check.get<bool>();
        } else if (check.is_number()) {
            _performSafetyCheck = check.get<double>() != 0;
        }
        // Straight into the field: reading a document is no edit of it.
        if (const auto duration = entry(general, "panicDuration");
            duration.is_number() && isValidPanicDuration(duration.get<double>())) {
            _panicDuration = duration.get<double>();
        }
    }
}

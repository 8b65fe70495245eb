#pragma once

#include "platform/midi/MidiSettings.h"

class UserDefaults;

// MIDI input's lasting values in the user defaults. Main thread; the settings
// object must outlive this one.
class UserDefaultsMidiSettings : public MidiSettings {
public:
    static constexpr const char* kVirtualInputStreamIDKey = "PondraMIDIVirtualInputStreamID";

    explicit UserDefaultsMidiSettings(UserDefaults& defaults)
        : _defaults(defaults) {}

    int virtualInputStreamID() const override;
    void setVirtualInputStreamID(int identifier) override;

private:
    UserDefaults& _defaults;
};

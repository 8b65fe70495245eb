#pragma once

class KivAudioDevice;

// Optional observer of one device; every operation does nothing unless
// overridden. Called on the thread noted at each.
class KivAudioDeviceDelegate {
public:
    virtual ~KivAudioDeviceDelegate() = default;
    // The thread that opened or closed the device.
    virtual void audioDeviceDidOpen(KivAudioDevice&) {}
    virtual void audioDeviceDidClose(KivAudioDevice&) {}
    // The backend's notification thread.
    virtual void audioDeviceDidDie(KivAudioDevice&) {}
    virtual void audioDeviceDidOverload(KivAudioDevice&) {}
    virtual void audioDeviceNominalSampleRateDidChange(KivAudioDevice&) {}
};

// Optional observer of the device list and the defaults, on the backend's
// notification thread.
class KivAudioHardwareDelegate {
public:
    virtual ~KivAudioHardwareDelegate() = default;
    virtual void audioHardwareDeviceListDidChange() {}
    virtual void audioHardwareDefaultOutputDeviceDidChange() {}
    virtual void audioHardwareDefaultSystemOutputDeviceDidChange() {}
};

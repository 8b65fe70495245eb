#include "audio/device/KivAudioDevice.h"

#include "audio/device/KivAudioHardware.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "foundation/KivStatusError.h"
#include "foundation/NotificationCenter.h"

#include <any>

namespace {

std::atomic<KivAudioHardwareDelegate*> gClassDelegate{nullptr};

std::uint32_t userInfoWord(const Notification& notification, const char* key) {
    auto found = notification.userInfo.find(key);
    if (found == notification.userInfo.end()) {
        return 0;
    }
    const auto* value = std::any_cast<std::uint32_t>(&found->second);
    return value ? *value : 0;
}

} // namespace

KivAudioHardwareDelegate* KivAudioDevice::classDelegate() {
    return gClassDelegate.load(std::memory_order_acquire);
}

void KivAudioDevice::setClassDelegate(KivAudioHardwareDelegate* delegate) {
    gClassDelegate.store(delegate, std::memory_order_release);
}

std::shared_ptr<KivAudioDevice>
KivAudioDevice::deviceWithID(std::shared_ptr<KivAudioHardware> hardware, AudioObjectID id) {
    if (id == kAudioObjectUnknown || !hardware) {
        return nullptr;
    }
    if (!hardware->isPresent(id)) {
        logStatusError(kKivAudioHardwareBadObjectError, "KivAudioDevice::deviceWithID", __LINE__);
        return nullptr;
    }
    std::shared_ptr<KivAudioDevice> device(new KivAudioDevice(hardware, id));
    hardware->addDeviceListener(id, device);
    // Observes only its own notifications, so two objects for one device stay apart.
    KivAudioDevice* self = device.get();
    device->_propertyObservation = NotificationCenter::defaultCenter().addObserver(
        KivAudioDevicePropertyDidChangeNotification, self, [self](const Notification& n) {
            if (userInfoWord(n, kKivAudioObjectIDKey) == self->_deviceID) {
                self->deviceChanged(userInfoWord(n, kKivPropertySelectorKey));
            }
        });
    // A device that vanished while the object was being made would never hear of it.
    if (!hardware->isPresent(id)) {
        logStatusError(kKivAudioHardwareBadObjectError, "KivAudioDevice::deviceWithID", __LINE__);
        return nullptr;
    }
    return device;
}

std::shared_ptr<KivAudioDevice> KivAudioDevice::deviceWithID(AudioObjectID id) {
    if (id == kAudioObjectUnknown) {
        return nullptr;
    }
    return deviceWithID(KivAudioHardware::current(), id);
}

std::vector<std::shared_ptr<KivAudioDevice>> KivAudioDevice::allDevices() {
    auto hardware = KivAudioHardware::current();
    std::vector<std::shared_ptr<KivAudioDevice>> devices;
    for (AudioObjectID id : hardware->deviceIDs()) {
        // A device that vanished since the list was read is left out.
        if (auto device = deviceWithID(hardware, id)) {
            devices.push_back(std::move(device));
        }
    }
    return devices;
}

std::shared_ptr<KivAudioDevice> KivAudioDevice::defaultOutputDevice() {
    auto hardware = KivAudioHardware::current();
    const AudioObjectID id = hardware->defaultOutputDeviceID();
    if (id == kAudioObjectUnknown) {
        return nullptr;
    }
    return deviceWithID(hardware, id);
}

std::shared_ptr<KivAudioDevice> KivAudioDevice::deviceWithUID(const std::string& uid) {
    auto hardware = KivAudioHardware::current();
    const AudioObjectID id = hardware->deviceIDForUID(uid);
    if (id == kAudioObjectUnknown) {
        return nullptr;
    }
    auto device = deviceWithID(hardware, id);
    if (device && device->deviceUID() != uid) {
        return nullptr;
    }
    return device;
}

std::shared_ptr<KivAudioDevice> KivAudioDevice::deviceWithName(const std::string& name) {
    for (auto& device : allDevices()) {
        if (device->name() == name) {
            return device;
        }
    }
    return nullptr;
}

KivAudioDevice::KivAudioDevice(std::shared_ptr<KivAudioHardware> hardware, AudioObjectID id)
    : _hardware(std::move(hardware))
    , _deviceID(id)
    , _properties(*_hardware, id)
    , _safetyNet(id)
    , _fades(std::make_unique<KivFadeRunner>(static_cast<KivFadeTarget&>(*this), _steadyClock)) {}

KivAudioDevice::~KivAudioDevice() {
    _propertyObservation.disconnect();
    _hardware->removeDeviceListener(this);
    std::lock_guard lock(_controlMutex);
    closeLocked();
}

std::string KivAudioDevice::description() const {
    return name().value_or("");
}

void KivAudioDevice::deviceChanged(std::uint32_t selector) {
    KivAudioDeviceDelegate* d = delegate();
    if (selector == kKivDevicePropertyDeviceIsAlive) {
        // Any change of liveness is a death; the value is not read.
        _died.store(true, std::memory_order_release);
        if (KivEnvironment::logLevel() >= 3) {
            logFormat("Audio device %u died", static_cast<unsigned>(_deviceID));
        }
        close();
        if (d) {
            d->audioDeviceDidDie(*this);
        }
    } else if (selector == kKivDevicePropertyProcessorOverload) {
        if (d) {
            d->audioDeviceDidOverload(*this);
        }
    } else if (selector == kKivDevicePropertyNominalSampleRate) {
        // The stream keeps its rate; whoever cares reopens the device.
        if (d) {
            d->audioDeviceNominalSampleRateDidChange(*this);
        }
    }
}

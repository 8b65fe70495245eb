#include "audio/device/KivAudioHardware.h"

#include "audio/device/KivAudioDevice.h"
#include "foundation/NotificationCenter.h"
#include "platform/audio/AlsaBackend.h"
#include "platform/audio/JackBackend.h"
#include "platform/audio/NullBackend.h"
#include "platform/audio/WorkerBackend.h"

#include <algorithm>
#include <thread>

namespace {
std::mutex gCurrentMutex;
std::shared_ptr<KivAudioHardware> gCurrent;

// The default hardware made ahead of its first use; that use joins it, or the
// end of the process does, before anything it writes goes.
std::mutex gPreparingMutex;
std::thread gPreparing;
struct JoinPreparing {
    ~JoinPreparing();
} gJoinPreparing;

void waitForPreparing() {
    std::lock_guard lock(gPreparingMutex);
    if (gPreparing.joinable() && gPreparing.get_id() != std::this_thread::get_id()) {
        gPreparing.join();
    }
}

JoinPreparing::~JoinPreparing() {
    waitForPreparing();
}

std::uint32_t withinRange(std::uint32_t frames, const AudioDeviceInfo& info) {
    return std::clamp(frames, info.minBufferSizeInFrames,
                      std::max(info.minBufferSizeInFrames, info.maxBufferSizeInFrames));
}
} // namespace

std::shared_ptr<KivAudioHardware> KivAudioHardware::makeDefault() {
    std::vector<std::unique_ptr<AudioBackend>> backends;
    // A sound server or a device that never answers must hold up no one:
    // their calls run on workers of their own, each with a time limit.
    backends.push_back(std::make_unique<WorkerBackend>(
        "the ALSA backend", [] { return std::make_unique<AlsaBackend>(); }));
    backends.push_back(std::make_unique<WorkerBackend>(
        "the JACK backend", [] { return std::make_unique<JackBackend>(); }));
    backends.push_back(std::make_unique<NullBackend>());
    return std::make_shared<KivAudioHardware>(std::move(backends));
}

void KivAudioHardware::prepareDefault() {
    std::lock_guard lock(gPreparingMutex);
    if (gPreparing.joinable()) {
        return;
    }
    gPreparing = std::thread([] {
        std::shared_ptr<KivAudioHardware> made = makeDefault();
        std::lock_guard current(gCurrentMutex);
        if (!gCurrent) {
            gCurrent = std::move(made);
        }
    });
}

std::shared_ptr<KivAudioHardware> KivAudioHardware::current() {
    waitForPreparing();
    std::lock_guard lock(gCurrentMutex);
    if (!gCurrent) {
        gCurrent = makeDefault();
    }
    return gCurrent;
}

void KivAudioHardware::setCurrent(std::shared_ptr<KivAudioHardware> hardware) {
    waitForPreparing();
    std::shared_ptr<KivAudioHardware> previous;
    {
        std::lock_guard lock(gCurrentMutex);
        previous = std::exchange(gCurrent, std::move(hardware));
    }
    // `previous` may stop backend threads as it goes; that happens unlocked.
}

KivAudioHardware::KivAudioHardware(std::vector<std::unique_ptr<AudioBackend>> backends)
    : _backends(std::move(backends)) {
    refresh();
    for (auto& backend : _backends) {
        backend->setListener(this);
    }
    // A change between the first read and the listener going in would be lost.
    postRefresh(refresh());
}

KivAudioHardware::~KivAudioHardware() {
    for (auto& backend : _backends) {
        backend->setListener(nullptr);
    }
    // A backend's notification thread may be inside a callback right now; it
    // finds the hardware closing and does nothing, while the backends stop
    // their threads outside the lock.
    std::vector<std::unique_ptr<AudioBackend>> backends;
    {
        std::lock_guard lock(_mutex);
        _closing = true;
        backends = std::move(_backends);
    }
    backends.clear();
}

KivAudioHardware::Refresh KivAudioHardware::refresh() {
    Refresh result;
    std::lock_guard lock(_mutex);
    if (_closing) {
        return result;
    }
    std::vector<Listed> devices;
    std::vector<std::string> uids;
    std::string defaultUID;
    for (std::size_t b = 0; b < _backends.size(); ++b) {
        for (AudioDeviceInfo& info : _backends[b]->devices()) {
            // The first backend to list a UID owns it.
            if (std::find(uids.begin(), uids.end(), info.uid) != uids.end()) {
                continue;
            }
            uids.push_back(info.uid);
            if (auto set = _bufferFrames.find(info.uid); set != _bufferFrames.end()) {
                info.bufferSizeInFrames = withinRange(set->second, info);
            }
            devices.push_back(Listed{std::move(info), b});
        }
        if (defaultUID.empty()) {
            std::string candidate = _backends[b]->defaultOutputUID();
            if (std::find(uids.begin(), uids.end(), candidate) != uids.end()) {
                defaultUID = std::move(candidate);
            }
        }
    }
    const KivAudioDeviceRegistry::Update update = _registry.update(uids);
    _devices = std::move(devices);
    result.removed = update.removed;
    result.listChanged = !update.added.empty() || !update.removed.empty();
    result.defaultChanged = defaultUID != _defaultUID;
    _defaultUID = std::move(defaultUID);
    return result;
}

void KivAudioHardware::postRefresh(const Refresh& refresh) {
    for (AudioObjectID id : refresh.removed) {
        announceDeath(id);
    }
    auto& center = NotificationCenter::defaultCenter();
    if (refresh.listChanged) {
        if (auto* delegate = KivAudioDevice::classDelegate()) {
            delegate->audioHardwareDeviceListDidChange();
        }
        center.post(KivAudioHardwareDeviceListDidChangeNotification);
    }
    if (refresh.defaultChanged) {
        if (auto* delegate = KivAudioDevice::classDelegate()) {
            delegate->audioHardwareDefaultOutputDeviceDidChange();
            delegate->audioHardwareDefaultSystemOutputDeviceDidChange();
        }
        center.post(KivAudioHardwareDefaultOutputDeviceDidChangeNotification);
        center.post(KivAudioHardwareDefaultSystemOutputDeviceDidChangeNotification);
    }
}

void KivAudioHardware::announceDeath(AudioObjectID id) {
    postDeviceProperty(id, kKivDevicePropertyDeviceIsAlive);
}

void KivAudioHardware::postDeviceProperty(AudioObjectID id, std::uint32_t selector) {
    const bool death = selector == kKivDevicePropertyDeviceIsAlive;
    // No strong reference is taken here: the last one let go on this thread
    // would destroy the device, and with it perhaps the hardware and the
    // backend whose notification thread this is. A device that goes during
    // the post first ends its observation, which waits for a delivery in
    // progress; the pointer itself is only compared.
    std::vector<const KivAudioDevice*> devices;
    {
        std::lock_guard lock(_mutex);
        for (DeviceListener& listener : _listeners) {
            if (listener.id != id || (death && listener.deathAnnounced)) {
                continue;
            }
            if (!listener.weak.expired()) {
                listener.deathAnnounced = listener.deathAnnounced || death;
                devices.push_back(listener.device);
            }
        }
    }
    for (const KivAudioDevice* device : devices) {
        NotificationUserInfo userInfo;
        userInfo[kKivAudioObjectIDKey] = id;
        userInfo[kKivPropertySelectorKey] = selector;
        userInfo[kKivPropertyScopeKey] = kKivPropertyScopeGlobal;
        userInfo[kKivPropertyElementKey] = kKivPropertyElementMain;
        NotificationCenter::defaultCenter().post(KivAudioDevicePropertyDidChangeNotification,
                                                 device, std::move(userInfo));
    }
}

void KivAudioHardware::deviceListChanged() {
    postRefresh(refresh());
}

void KivAudioHardware::defaultOutputChanged() {
    postRefresh(refresh());
}

void KivAudioHardware::deviceDied(const std::string& uid) {
    const AudioObjectID id = deviceIDForUID(uid);
    if (id != kAudioObjectUnknown) {
        announceDeath(id);
    }
}

void KivAudioHardware::deviceOverloaded(const std::string& uid) {
    const AudioObjectID id = deviceIDForUID(uid);
    if (id != kAudioObjectUnknown) {
        postDeviceProperty(id, kKivDevicePropertyProcessorOverload);
    }
}

void KivAudioHardware::sampleRateChanged(const std::string& uid) {
    // Take the new rate in before anyone who hears of it reads it.
    postRefresh(refresh());
    const AudioObjectID id = deviceIDForUID(uid);
    if (id != kAudioObjectUnknown) {
        postDeviceProperty(id, kKivDevicePropertyNominalSampleRate);
    }
}

std::vector<AudioObjectID> KivAudioHardware::deviceIDs() const {
    std::lock_guard lock(_mutex);
    std::vector<AudioObjectID> ids;
    for (const Listed& device : _devices) {
        ids.push_back(_registry.idForUID(device.info.uid));
    }
    return ids;
}

AudioObjectID KivAudioHardware::defaultOutputDeviceID() const {
    std::lock_guard lock(_mutex);
    return _registry.idForUID(_defaultUID);
}

AudioObjectID KivAudioHardware::deviceIDForUID(const std::string& uid) const {
    std::lock_guard lock(_mutex);
    return _registry.idForUID(uid);
}

bool KivAudioHardware::isPresent(AudioObjectID id) const {
    std::lock_guard lock(_mutex);
    return _registry.isPresent(id);
}

const KivAudioHardware::Listed* KivAudioHardware::listed(AudioObjectID id) const {
    const std::string uid = _registry.uidForID(id);
    if (uid.empty()) {
        return nullptr;
    }
    for (const Listed& device : _devices) {
        if (device.info.uid == uid) {
            return &device;
        }
    }
    return nullptr;
}

std::optional<AudioDeviceInfo> KivAudioHardware::deviceInfo(AudioObjectID id) const {
    std::lock_guard lock(_mutex);
    const Listed* device = listed(id);
    if (!device) {
        return std::nullopt;
    }
    return device->info;
}

std::unique_ptr<AudioOutputStream> KivAudioHardware::openOutput(AudioObjectID id,
                                                                const AudioStreamConfig& config,
                                                                AudioRenderCallback& callback) {
    AudioBackend* backend = nullptr;
    std::string uid;
    {
        std::lock_guard lock(_mutex);
        const Listed* device = listed(id);
        if (!device) {
            return nullptr;
        }
        backend = _backends[device->backend].get();
        uid = device->info.uid;
    }
    return backend->openOutput(uid, config, callback);
}

bool KivAudioHardware::setBufferSizeInFrames(AudioObjectID id, std::uint32_t frames) {
    std::lock_guard lock(_mutex);
    const std::string uid = _registry.uidForID(id);
    for (Listed& device : _devices) {
        if (!uid.empty() && device.info.uid == uid) {
            _bufferFrames[uid] = frames;
            device.info.bufferSizeInFrames = withinRange(frames, device.info);
            return true;
        }
    }
    return false;
}

void KivAudioHardware::addDeviceListener(AudioObjectID id,
                                         const std::shared_ptr<KivAudioDevice>& device) {
    std::lock_guard lock(_mutex);
    _listeners.push_back(DeviceListener{id, device.get(), device});
}

void KivAudioHardware::removeDeviceListener(const KivAudioDevice* device) {
    std::lock_guard lock(_mutex);
    std::erase_if(_listeners, [&](const DeviceListener& l) { return l.device == device; });
}

#include "platform/audio/AlsaBackend.h"

#include "foundation/KivClock.h"
#include "foundation/KivEnvironment.h"
#include "foundation/KivLog.h"
#include "platform/audio/AlsaEnumeration.h"
#include "platform/audio/AlsaOutputStream.h"
#include "platform/audio/AlsaSharedStream.h"

#include <libudev.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Cards announce themselves in bursts of events; enumerate once they settle.
constexpr int kDebounceMilliseconds = 300;
// Without udev, inotify may miss a card whose /dev/snd appears later.
constexpr int kRescanMilliseconds = 10000;

} // namespace

// The stream a caller holds: a member of the device's shared stream. The
// last member to go closes the PCM, under the backend's open lock, so a new
// opener never finds the device still busy.
class AlsaStreamHandle : public AudioOutputStream {
public:
    AlsaStreamHandle(AlsaBackend& backend, std::shared_ptr<AlsaSharedStream> shared,
                     AudioRenderCallback& callback)
        : _backend(backend)
        , _shared(std::move(shared))
        , _member(_shared->join(callback)) {}
    ~AlsaStreamHandle() override {
        _member.reset();
        std::lock_guard open(_backend._openMutex);
        if (_shared.use_count() == 1) {
            _backend.removeStream(&_shared->stream());
        }
        _shared.reset();
    }

    AudioStreamConfig config() const override { return _member->config(); }
    bool start() override { return _member->start(); }
    void stop() override { _member->stop(); }
    bool isRunning() const override { return _member->isRunning(); }

private:
    AlsaBackend& _backend;
    std::shared_ptr<AlsaSharedStream> _shared;
    std::unique_ptr<AlsaSharedStream::Member> _member;
};

AlsaBackend::AlsaBackend()
    : AlsaBackend(Options{}) {}

AlsaBackend::AlsaBackend(Options options)
    : BackendBase("the ALSA backend")
    , _options(std::move(options))
    , _configuration((AlsaConfiguration::routeLibraryErrorsToLog(), _options.extraDefinitions))
    , _monitor("the ALSA backend") {
    _devices = enumerateAlsaDevices(_configuration, _options.extraPcms, {});
    if (_options.monitor && _monitor.canWake()) {
        _monitor.start([this] { monitorLoop(); });
    }
}

AlsaBackend::~AlsaBackend() {
    _monitor.stop();
}

std::string AlsaBackend::defaultOutputUID() {
    std::lock_guard lock(_mutex);
    for (const AudioDeviceInfo& info : _devices) {
        if (info.uid == "default") {
            return info.uid;
        }
    }
    return _devices.empty() ? std::string() : _devices.front().uid;
}

std::unique_ptr<AudioOutputStream> AlsaBackend::openOutput(const std::string& uid,
                                                           const AudioStreamConfig& requested,
                                                           AudioRenderCallback& callback) {
    AudioStreamConfig config;
    {
        std::lock_guard lock(_mutex);
        const AudioDeviceInfo* found = findDeviceLocked(uid);
        if (!found) {
            logFormat("Error: ALSA lists no device %s", uid.c_str());
            return nullptr;
        }
        config = withDeviceDefaults(requested, *found);
    }
    std::lock_guard open(_openMutex);
    std::shared_ptr<AlsaSharedStream> shared = _shared[uid].lock();
    if (!shared) {
        shared = AlsaSharedStream::open(_configuration, uid, config,
                                        [this]() noexcept { _monitor.wake(); });
        if (!shared) {
            return nullptr;
        }
        _shared[uid] = shared;
        addStream(&shared->stream());
    }
    return std::make_unique<AlsaStreamHandle>(*this, std::move(shared), callback);
}

void AlsaBackend::rescan() {
    std::lock_guard scanLock(_scanMutex);
    const std::vector<AudioDeviceInfo> previous = devices();
    std::vector<AudioDeviceInfo> found =
        enumerateAlsaDevices(_configuration, _options.extraPcms, previous);
    const bool changed = !sameDeviceUIDs(previous, found);
    AudioBackendListener* listener = nullptr;
    {
        std::lock_guard lock(_mutex);
        _devices = std::move(found);
        listener = _listener;
    }
    if (changed && listener) {
        listener->deviceListChanged();
    }
}

void AlsaBackend::monitorLoop() {
    udev* udevContext = nullptr;
    udev_monitor* monitor = nullptr;
    int changeFd = -1;
    bool slowRescan = false;
    // udev only announces devices when its daemon runs.
    if (access("/run/udev/control", F_OK) == 0 && (udevContext = udev_new())) {
        monitor = udev_monitor_new_from_netlink(udevContext, "udev");
        if (monitor &&
            udev_monitor_filter_add_match_subsystem_devtype(monitor, "sound", nullptr) >= 0 &&
            udev_monitor_enable_receiving(monitor) >= 0) {
            changeFd = udev_monitor_get_fd(monitor);
        }
    }
    int inotifyFd = -1;
    if (changeFd < 0) {
        slowRescan = true;
        inotifyFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotifyFd >= 0) {
            // /dev tells when /dev/snd itself comes or goes, /dev/snd when a card does.
            inotify_add_watch(inotifyFd, "/dev", IN_CREATE | IN_DELETE);
            inotify_add_watch(inotifyFd, "/dev/snd", IN_CREATE | IN_DELETE | IN_ATTRIB);
            changeFd = inotifyFd;
        }
        if (KivEnvironment::logLevel() >= 3) {
            logLine("ALSA devices are watched without udev");
        }
    }

    std::uint64_t settleAt = 0; // host time of the pending rescan, 0 for none
    std::uint64_t nextSlowRescan = HostTimeNow() + kRescanMilliseconds * 1000000ull;
    for (;;) {
        const std::uint64_t now = HostTimeNow();
        std::uint64_t deadline = settleAt ? settleAt : (slowRescan ? nextSlowRescan : 0);
        int timeout = -1;
        if (deadline) {
            timeout = deadline > now ? static_cast<int>((deadline - now) / 1000000ull) : 0;
        }
        const BackendMonitor::Event event = _monitor.wait(changeFd, timeout);
        if (event == BackendMonitor::Event::Stopped) {
            break;
        }
        if (event == BackendMonitor::Event::Failed) {
            logFormat("Error: the ALSA device monitor stops: %s", std::strerror(errno));
            break;
        }
        if (event == BackendMonitor::Event::Woken) {
            reportStreamEvents();
        }
        if (event == BackendMonitor::Event::Ready) {
            if (monitor) {
                while (udev_device* device = udev_monitor_receive_device(monitor)) {
                    udev_device_unref(device);
                }
            } else {
                char events[4096];
                while (::read(inotifyFd, events, sizeof events) > 0) {
                }
                // A /dev/snd that has just appeared is watched from now on;
                // adding an existing watch again changes nothing.
                inotify_add_watch(inotifyFd, "/dev/snd", IN_CREATE | IN_DELETE | IN_ATTRIB);
            }
            settleAt = HostTimeNow() + kDebounceMilliseconds * 1000000ull;
        }
        const std::uint64_t after = HostTimeNow();
        if ((settleAt && after >= settleAt) || (slowRescan && after >= nextSlowRescan)) {
            settleAt = 0;
            nextSlowRescan = after + kRescanMilliseconds * 1000000ull;
            rescan();
        }
    }
    if (monitor) {
        udev_monitor_unref(monitor);
    }
    if (udevContext) {
        udev_unref(udevContext);
    }
    if (inotifyFd >= 0) {
        close(inotifyFd);
    }
}

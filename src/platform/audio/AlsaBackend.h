#pragma once

#include "platform/audio/AlsaConfiguration.h"
#include "platform/audio/BackendBase.h"
#include "platform/audio/BackendMonitor.h"

#include <map>
#include <memory>
#include <mutex>

class AlsaOutputStream;
class AlsaSharedStream;

// Output through ALSA PCMs. A monitor thread, the backend's notification
// thread, watches for cards coming and going (libudev's "sound" subsystem, or
// inotify on /dev/snd plus a slow rescan where udev is absent), re-enumerates
// after a short quiet spell and reports a changed UID list; it also reports
// the underruns and deaths that the streams' render threads flag. A device
// has one stream, shared by everyone who opens it (AlsaSharedStream.h): a
// hardware PCM takes one client at a time.
class AlsaBackend : public BackendBase<AlsaOutputStream> {
public:
    struct Options {
        // ALSA configuration text merged over the system's.
        std::string extraDefinitions;
        // PCM names listed after "default" (and the sound servers').
        std::vector<std::string> extraPcms;
        // Whether the monitor thread runs. Without it the list changes only by
        // rescan(), and no underrun or failing stream is reported.
        bool monitor = true;
    };

    AlsaBackend();
    explicit AlsaBackend(Options options);
    ~AlsaBackend() override;

    std::string defaultOutputUID() override;
    std::unique_ptr<AudioOutputStream> openOutput(const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback) override;

    // Re-enumerates and tells the listener when the UIDs differ. The monitor
    // thread calls it; so may a test.
    void rescan();

private:
    friend class AlsaStreamHandle;
    void monitorLoop();

    const Options _options;
    AlsaConfiguration _configuration;

    // Opening and the last close of a device's stream; taken before _mutex.
    std::mutex _openMutex;
    std::map<std::string, std::weak_ptr<AlsaSharedStream>> _shared; // guarded by _openMutex

    std::mutex _scanMutex; // one enumeration at a time
    BackendMonitor _monitor;
};

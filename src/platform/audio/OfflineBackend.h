#pragma once

#include "platform/audio/BackendBase.h"

#include <map>
#include <mutex>

class OfflineOutputStream;

// A test backend: devices exist only as the test plugs them, streams render only
// when the test calls render(), and every change is told to the listener at
// once on the calling thread, which stands in for the notification thread.
// The backend must outlive the streams it opened.
class OfflineBackend : public BackendBase<OfflineOutputStream> {
public:
    OfflineBackend();

    std::string defaultOutputUID() override;
    std::unique_ptr<AudioOutputStream> openOutput(const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AudioRenderCallback& callback) override;

    // Hooks. Plugging a UID that is present replaces its info without a list
    // change. The first device plugged becomes the default unless one is set;
    // unplugging the default moves it to the first remaining device.
    void plug(const AudioDeviceInfo& info);
    void unplug(const std::string& uid);
    void overload(const std::string& uid);
    void changeSampleRate(const std::string& uid, double rate);
    void setDefaultOutput(const std::string& uid);
    // Streams opened from now on take interleaved data whatever they ask
    // for, as some hardware does.
    void setInterleavedOnly(bool interleavedOnly);

    // Renders `frames` frames on every running stream of a present device, in
    // cycles of at most the stream's buffer size, with this thread marked as
    // the render thread during each callback.
    void render(std::uint32_t frames);
    // Everything a device's streams rendered since they opened, interleaved.
    std::vector<float> capturedOutput(const std::string& uid) const;
    // Samples `from` to `from + count` of it (fewer at its end), and how many
    // it holds: a test that looks at each cycle does not copy them all.
    std::vector<float> capturedOutput(const std::string& uid, std::size_t from,
                                      std::size_t count) const;
    std::size_t capturedSampleCount(const std::string& uid) const;
    std::size_t openStreamCount() const;

private:
    friend class OfflineOutputStream;
    bool isPresent(const std::string& uid) const;

    // Guarded by _mutex.
    std::string _defaultUID;
    bool _interleavedOnly = false;
    std::map<std::string, std::vector<float>> _captured;
};

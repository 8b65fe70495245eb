#pragma once

#include "platform/audio/AlsaOutputStream.h"
#include "platform/audio/RenderBuffer.h"

#include <memory>
#include <mutex>
#include <vector>

// One ALSA playback stream shared by every opener of the same device, since
// a hardware PCM takes one client at a time. Each opener joins as a member
// with a stream of its own (join()); the render thread runs while any member
// runs and sums what the running members render. The first member's format
// is the stream's: later members get what config() says.
//
// Threads: control threads join, start, stop and leave (serialised by
// `_control`); the render thread calls render(), holding `_membersMutex` for
// the cycle's callbacks only, never across the write to ALSA, so a member's
// stop() returns once its last callback is over.
class AlsaSharedStream : public AudioRenderCallback {
public:
    // Null, with a logged reason, when the PCM does not open.
    static std::shared_ptr<AlsaSharedStream> open(const AlsaConfiguration& configuration,
                                                  const std::string& uid,
                                                  const AudioStreamConfig& config,
                                                  AlsaOutputStream::Wake wake);
    ~AlsaSharedStream() override;
    AlsaSharedStream(const AlsaSharedStream&) = delete;
    AlsaSharedStream& operator=(const AlsaSharedStream&) = delete;

    class Member;
    // Control thread. A stream of the caller's own through the shared one;
    // `callback` must outlive it, and the member must go before this object.
    std::unique_ptr<Member> join(AudioRenderCallback& callback);

    AlsaOutputStream& stream() { return *_stream; }

    // Render thread, through the ALSA stream.
    void render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept override;

private:
    AlsaSharedStream() = default;
    bool start(Member& member);
    void stop(Member& member);
    // `_control` held.
    void setRunning(Member& member, bool running);
    void leave(Member& member);

    std::unique_ptr<AlsaOutputStream> _stream;
    std::mutex _control; // start, stop, join and leave; taken before _membersMutex
    std::mutex _membersMutex;
    std::vector<Member*> _members;      // guarded by _membersMutex
    std::unique_ptr<RenderBuffer> _mix; // render thread: the second and later members
};

class AlsaSharedStream::Member : public AudioOutputStream {
public:
    Member(AlsaSharedStream& shared, AudioRenderCallback& callback)
        : _shared(shared)
        , _callback(callback) {}
    ~Member() override { _shared.leave(*this); }

    AudioStreamConfig config() const override { return _shared._stream->config(); }
    bool start() override { return _shared.start(*this); }
    void stop() override { _shared.stop(*this); }
    bool isRunning() const override;

private:
    friend class AlsaSharedStream;
    AlsaSharedStream& _shared;
    AudioRenderCallback& _callback;
    bool _running = false; // written under both locks, read under either
};

#pragma once

#include "platform/audio/AlsaOutputStream.h"
#include "platform/audio/RenderBuffer.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// One ALSA playback stream shared by every opener of the same device, since
// a hardware PCM takes one client at a time. Each opener joins as a member
// with a stream of its own (join()); the render thread runs while any member
// runs and sums what the running members render. The first member's format
// is the stream's: later members get what config() says.
//
// Threads: control threads join, start, stop and leave, serialised by
// `_control`, which the render thread never takes. A join or a leave builds
// a new member list and hands it to the render thread through an atomic
// pointer; the old list is freed by the control thread once no cycle can
// still be reading it. A control thread that must not return while a cycle
// may still call a member (stop, leave) waits out the cycle in progress; the
// render thread never waits for anyone.
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

    // Render thread, through the ALSA stream. Takes no lock and allocates nothing.
    void render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept override;

private:
    using Members = std::vector<Member*>;

    AlsaSharedStream() = default;
    bool start(Member& member);
    void stop(Member& member);
    void leave(Member& member);
    // `_control` held: hands `next` to the render thread and frees the list
    // it replaces once no cycle reads it.
    void publish(std::unique_ptr<Members> next);
    // Control thread: returns once a cycle in progress (if any) has ended.
    void waitOutCycle() const;

    std::unique_ptr<AlsaOutputStream> _stream;
    std::mutex _control;                           // control threads only
    std::atomic<const Members*> _members{nullptr}; // written under _control, read by render
    // Bumped by the render thread as each cycle begins and ends: odd while
    // one runs.
    std::atomic<std::uint64_t> _cycles{0};
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
    bool isRunning() const override { return _running.load(std::memory_order_acquire); }

private:
    friend class AlsaSharedStream;
    AlsaSharedStream& _shared;
    AudioRenderCallback& _callback;
    std::atomic<bool> _running{false}; // written under _control, read by render
};

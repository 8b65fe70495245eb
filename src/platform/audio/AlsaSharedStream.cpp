#include "platform/audio/AlsaSharedStream.h"

#include <algorithm>

std::shared_ptr<AlsaSharedStream> AlsaSharedStream::open(const AlsaConfiguration& configuration,
                                                         const std::string& uid,
                                                         const AudioStreamConfig& config,
                                                         AlsaOutputStream::Wake wake) {
    std::shared_ptr<AlsaSharedStream> shared(new AlsaSharedStream());
    shared->_stream = AlsaOutputStream::open(configuration, uid, config, *shared, std::move(wake));
    if (!shared->_stream) {
        return nullptr;
    }
    const AudioStreamConfig actual = shared->_stream->config();
    shared->_mix =
        std::make_unique<RenderBuffer>(actual.channels, actual.framesPerBuffer, actual.interleaved);
    return shared;
}

AlsaSharedStream::~AlsaSharedStream() {
    // The stream stops its render thread before anything here goes.
    _stream.reset();
}

std::unique_ptr<AlsaSharedStream::Member> AlsaSharedStream::join(AudioRenderCallback& callback) {
    auto member = std::make_unique<Member>(*this, callback);
    std::lock_guard control(_control);
    std::lock_guard members(_membersMutex);
    _members.push_back(member.get());
    return member;
}

bool AlsaSharedStream::Member::isRunning() const {
    std::lock_guard control(_shared._control);
    return _running;
}

// The member runs before the stream does and stops after it, so a lone
// member hears every cycle the stream renders.
bool AlsaSharedStream::start(Member& member) {
    std::lock_guard control(_control);
    setRunning(member, true);
    if (!_stream->start()) {
        setRunning(member, false);
        return false;
    }
    return true;
}

void AlsaSharedStream::stop(Member& member) {
    std::lock_guard control(_control);
    if (!member._running) {
        return;
    }
    const bool othersRun = std::any_of(_members.begin(), _members.end(), [&](const Member* m) {
        return m != &member && m->_running;
    });
    if (!othersRun) {
        _stream->stop();
    }
    // Waits for a cycle in progress, so the member is not called again.
    setRunning(member, false);
}

void AlsaSharedStream::setRunning(Member& member, bool running) {
    std::lock_guard members(_membersMutex);
    member._running = running;
}

void AlsaSharedStream::leave(Member& member) {
    stop(member);
    std::lock_guard control(_control);
    std::lock_guard members(_membersMutex);
    std::erase(_members, &member);
}

void AlsaSharedStream::render(const AudioRenderTime& time,
                              const AudioOutputBuffer& buffer) noexcept {
    std::lock_guard members(_membersMutex);
    bool first = true;
    for (Member* member : _members) {
        if (!member->_running) {
            continue;
        }
        if (first) {
            member->_callback.render(time, buffer);
            first = false;
            continue;
        }
        const AudioOutputBuffer extra = _mix->prepare(buffer.frames);
        member->_callback.render(time, extra);
        const std::uint32_t planes = buffer.interleaved ? 1 : buffer.channels;
        const std::size_t samples =
            std::size_t(extra.frames) * (buffer.interleaved ? buffer.channels : 1);
        for (std::uint32_t p = 0; p < planes; ++p) {
            for (std::size_t i = 0; i < samples; ++i) {
                buffer.data[p][i] += extra.data[p][i];
            }
        }
    }
}

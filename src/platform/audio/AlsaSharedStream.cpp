#include "platform/audio/AlsaSharedStream.h"

#include <algorithm>
#include <thread>

std::shared_ptr<AlsaSharedStream> AlsaSharedStream::open(const AlsaConfiguration& configuration,
                                                         const std::string& uid,
                                                         const AudioStreamConfig& config,
                                                         AlsaOutputStream::Wake wake) {
    std::shared_ptr<AlsaSharedStream> shared(new AlsaSharedStream());
    shared->_members.store(new Members());
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
    delete _members.load();
}

std::unique_ptr<AlsaSharedStream::Member> AlsaSharedStream::join(AudioRenderCallback& callback) {
    auto member = std::make_unique<Member>(*this, callback);
    std::lock_guard control(_control);
    auto next = std::make_unique<Members>(*_members.load());
    next->push_back(member.get());
    publish(std::move(next));
    return member;
}

void AlsaSharedStream::publish(std::unique_ptr<Members> next) {
    std::unique_ptr<const Members> old(_members.exchange(next.release()));
    waitOutCycle();
}

void AlsaSharedStream::waitOutCycle() const {
    // Sequentially consistent with the render thread's bump-then-read: a
    // cycle that read what was just replaced began before this load, so it
    // shows here as a cycle in progress.
    const std::uint64_t seen = _cycles.load();
    if (seen % 2 == 0) {
        return;
    }
    // Cycles last one period at most; the render thread is never held up.
    while (_cycles.load() == seen) {
        std::this_thread::yield();
    }
}

// The member runs before the stream does and stops after it, so a lone
// member hears every cycle the stream renders.
bool AlsaSharedStream::start(Member& member) {
    std::lock_guard control(_control);
    member._running.store(true);
    if (!_stream->start()) {
        member._running.store(false);
        return false;
    }
    return true;
}

void AlsaSharedStream::stop(Member& member) {
    std::lock_guard control(_control);
    if (!member._running.load()) {
        return;
    }
    const Members& members = *_members.load();
    const bool othersRun = std::any_of(members.begin(), members.end(), [&](const Member* m) {
        return m != &member && m->_running.load();
    });
    if (!othersRun) {
        _stream->stop();
    }
    member._running.store(false);
    // So the member is not called again once this returns.
    waitOutCycle();
}

void AlsaSharedStream::leave(Member& member) {
    stop(member);
    std::lock_guard control(_control);
    auto next = std::make_unique<Members>(*_members.load());
    std::erase(*next, &member);
    publish(std::move(next));
}

void AlsaSharedStream::render(const AudioRenderTime& time,
                              const AudioOutputBuffer& buffer) noexcept {
    _cycles.fetch_add(1);
    const Members& members = *_members.load();
    bool first = true;
    for (Member* member : members) {
        if (!member->_running.load()) {
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
    _cycles.fetch_add(1);
}

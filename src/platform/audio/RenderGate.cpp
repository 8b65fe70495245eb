#include "platform/audio/RenderGate.h"

#include <thread>

void RenderGate::close() {
    _open.store(false);
    while (_inside.load() != 0) {
        std::this_thread::yield();
    }
}

void RenderGate::render(const AudioRenderTime& time, const AudioOutputBuffer& buffer) noexcept {
    _inside.fetch_add(1);
    if (_open.load()) {
        _target.render(time, buffer);
    }
    _inside.fetch_sub(1);
}

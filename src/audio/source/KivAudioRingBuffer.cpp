#include "audio/source/KivAudioRingBuffer.h"

#include "audio/source/KivAudioReading.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {
std::uint32_t distance(std::uint32_t from, std::uint32_t to, std::uint32_t size) {
    return to >= from ? to - from : static_cast<std::uint32_t>(std::uint64_t(size) + to - from);
}
} // namespace

std::unique_ptr<KivAudioRingBuffer> KivAudioRingBuffer::create(std::uint32_t channels,
                                                               std::uint32_t capacity) {
    if (channels == 0 || capacity == 0 || capacity == std::numeric_limits<std::uint32_t>::max()) {
        return nullptr;
    }
    const std::uint32_t size = capacity + 1;
    std::unique_ptr<float[]> storage(new (std::nothrow) float[std::size_t(channels) * size]());
    std::unique_ptr<float*[]> pointers(new (std::nothrow) float*[channels]);
    if (!storage || !pointers) {
        return nullptr;
    }
    for (std::uint32_t c = 0; c < channels; ++c) {
        pointers[c] = storage.get() + std::size_t(c) * size;
    }
    return std::unique_ptr<KivAudioRingBuffer>(
        new KivAudioRingBuffer(channels, size, std::move(storage), std::move(pointers)));
}

KivAudioRingBuffer::KivAudioRingBuffer(std::uint32_t channels, std::uint32_t size,
                                       std::unique_ptr<float[]> storage,
                                       std::unique_ptr<float*[]> pointers)
    : _channels(channels)
    , _size(size)
    , _storage(std::move(storage))
    , _pointers(std::move(pointers)) {}

std::uint32_t KivAudioRingBuffer::advance(std::uint32_t index, std::uint32_t frames) const {
    return static_cast<std::uint32_t>((std::uint64_t(index) + frames) % _size);
}

std::uint32_t KivAudioRingBuffer::count() const {
    const std::uint32_t read = _readIndex.load(std::memory_order_acquire);
    const std::uint32_t write = _writeIndex.load(std::memory_order_acquire);
    return distance(read, write, _size);
}

std::uint32_t KivAudioRingBuffer::space() const {
    return capacity() - count();
}

std::uint32_t KivAudioRingBuffer::readIntoRing(const AudioChannels& source, std::uint32_t offset,
                                               std::uint32_t frames) {
    if (frames == 0 || source.channels == nullptr || source.channelCount != _channels ||
        offset >= source.frameCount) {
        return 0;
    }
    const std::uint32_t write = _writeIndex.load(std::memory_order_relaxed);
    const std::uint32_t read = _readIndex.load(std::memory_order_acquire);
    const std::uint32_t free = capacity() - distance(read, write, _size);
    const std::uint32_t n = std::min({source.frameCount - offset, frames, free});
    if (n == 0) {
        return 0;
    }
    // At most two spans: up to the end of the storage, then from slot 0.
    const std::uint32_t first = std::min(n, _size - write);
    for (std::uint32_t c = 0; c < _channels; ++c) {
        const float* from = source.channels[c] + offset;
        std::memcpy(channel(c) + write, from, sizeof(float) * first);
        std::memcpy(channel(c), from + first, sizeof(float) * (n - first));
    }
    _writeIndex.store(advance(write, n), std::memory_order_release);
    return n;
}

std::uint32_t KivAudioRingBuffer::readFromSource(KivAudioReading& source, std::uint32_t frames) {
    const std::uint32_t write = _writeIndex.load(std::memory_order_relaxed);
    const std::uint32_t read = _readIndex.load(std::memory_order_acquire);
    const std::uint32_t n = std::min(frames, capacity() - distance(read, write, _size));
    if (n == 0) {
        return 0;
    }
    // The source writes into the slots themselves: no staging copy, and no
    // staging storage per buffer.
    const AudioChannels slots{_pointers.get(), _channels, _size};
    const std::uint32_t first = std::min(n, _size - write);
    std::uint32_t got = source.readFrames(first, slots, write);
    if (got == first && n > first) {
        got += source.readFrames(n - first, slots, 0);
    }
    _writeIndex.store(advance(write, got), std::memory_order_release);
    return got;
}

std::uint32_t KivAudioRingBuffer::writeFromRing(const AudioChannels& destination,
                                                std::uint32_t offset, std::uint32_t frames) {
    if (frames == 0 || destination.channels == nullptr || destination.channelCount != _channels ||
        offset >= destination.frameCount) {
        return 0;
    }
    const std::uint32_t read = _readIndex.load(std::memory_order_relaxed);
    const std::uint32_t write = _writeIndex.load(std::memory_order_acquire);
    const std::uint32_t n =
        std::min({destination.frameCount - offset, frames, distance(read, write, _size)});
    if (n == 0) {
        return 0;
    }
    const std::uint32_t first = std::min(n, _size - read);
    for (std::uint32_t c = 0; c < _channels; ++c) {
        float* to = destination.channels[c] + offset;
        std::memcpy(to, channel(c) + read, sizeof(float) * first);
        std::memcpy(to + first, channel(c), sizeof(float) * (n - first));
    }
    _readIndex.store(advance(read, n), std::memory_order_release);
    return n;
}

std::uint32_t KivAudioRingBuffer::drop(std::uint32_t frames) {
    const std::uint32_t read = _readIndex.load(std::memory_order_relaxed);
    const std::uint32_t write = _writeIndex.load(std::memory_order_acquire);
    const std::uint32_t n = std::min(frames, distance(read, write, _size));
    if (n != 0) {
        _readIndex.store(advance(read, n), std::memory_order_release);
    }
    return n;
}

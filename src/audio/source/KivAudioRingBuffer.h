#pragma once

#include "audio/core/AudioChannels.h"

class KivAudioReading;

#include <atomic>
#include <cstdint>
#include <memory>

// A single-producer single-consumer ring of non-interleaved float frames,
// between a read-ahead worker (producer) and the render thread (consumer).
//
// It keeps capacity + 1 slots so that equal indices mean empty; it holds at
// most `capacity` frames. Samples are copied outside any lock; each side
// publishes its index only after its copy:
// - the producer loads the read index with acquire (the consumer has finished
//   reading the slots it gave back), copies into free slots, then stores the
//   write index with release (the samples are visible before the index);
// - the consumer loads the write index with acquire (it sees those samples),
//   copies out, then stores the read index with release.
// Each side loads its own index relaxed, since only it writes that index.
// Nothing allocates after create(), and nothing blocks.
class KivAudioRingBuffer {
public:
    // Owner's thread. Null when channels or capacity is 0 or the storage
    // cannot be had.
    static std::unique_ptr<KivAudioRingBuffer> create(std::uint32_t channels,
                                                      std::uint32_t capacity);

    KivAudioRingBuffer(const KivAudioRingBuffer&) = delete;
    KivAudioRingBuffer& operator=(const KivAudioRingBuffer&) = delete;

    std::uint32_t channelCount() const { return _channels; }
    std::uint32_t capacity() const { return _size - 1; }

    // Any thread: frames stored and frames free, as the indices stand. Exact
    // on the producer's side for space() and on the consumer's for count();
    // elsewhere a snapshot.
    std::uint32_t count() const;
    std::uint32_t space() const;

    // Producer thread. Moves min(source frames - offset, frames, space())
    // frames from `source` at `offset` into the ring and answers how many;
    // 0 when the channel counts differ or the offset lies past the source.
    std::uint32_t readIntoRing(const AudioChannels& source, std::uint32_t offset,
                               std::uint32_t frames);

    // Producer thread. Reads min(frames, space()) frames from `source` straight
    // into the free slots, in at most two reads (one per span of storage);
    // a read that comes short ends it. Answers the frames stored.
    std::uint32_t readFromSource(KivAudioReading& source, std::uint32_t frames);

    // Consumer thread. Moves min(destination frames - offset, frames, count())
    // frames out of the ring into `destination` at `offset` and answers how
    // many; 0 when the channel counts differ or the offset lies past the
    // destination.
    std::uint32_t writeFromRing(const AudioChannels& destination, std::uint32_t offset,
                                std::uint32_t frames);

    // Consumer thread. Discards up to `frames` stored frames; answers how many.
    std::uint32_t drop(std::uint32_t frames);

private:
    KivAudioRingBuffer(std::uint32_t channels, std::uint32_t size, std::unique_ptr<float[]> storage,
                       std::unique_ptr<float*[]> pointers);

    float* channel(std::uint32_t c) const { return _storage.get() + std::size_t(c) * _size; }
    std::uint32_t advance(std::uint32_t index, std::uint32_t frames) const;

    const std::uint32_t _channels;
    const std::uint32_t _size; // capacity + 1
    const std::unique_ptr<float[]> _storage;
    const std::unique_ptr<float*[]> _pointers; // each channel's storage, for readFromSource

    // Apart on their own cache lines so the two threads do not contend.
    alignas(64) std::atomic<std::uint32_t> _readIndex{0};  // consumer writes, producer reads
    alignas(64) std::atomic<std::uint32_t> _writeIndex{0}; // producer writes, consumer reads
};

#pragma once

#include "audio/core/AudioChannels.h"

#include <cstdint>
#include <memory>

// Owned storage for non-interleaved float frames, one buffer per channel,
// seen through AudioChannels. The engine works in deinterleaved float only,
// so every list it makes has this layout. Made and freed off the render
// thread; its frames may be used on any thread that owns it at the time.
class KivAudioBufferList {
public:
    KivAudioBufferList(const KivAudioBufferList&) = delete;
    KivAudioBufferList& operator=(const KivAudioBufferList&) = delete;

    AudioChannels channels() const { return {_pointers.get(), _channels, _frames}; }
    std::uint32_t channelCount() const { return _channels; }
    std::uint32_t frameCount() const { return _frames; }

private:
    friend std::unique_ptr<KivAudioBufferList> KivAllocateAudioBufferList(std::uint32_t channels,
                                                                          std::uint32_t frames);

    KivAudioBufferList(std::uint32_t channels, std::uint32_t frames,
                       std::unique_ptr<float[]> storage, std::unique_ptr<float*[]> pointers);

    std::uint32_t _channels;
    std::uint32_t _frames;
    std::unique_ptr<float[]> _storage;
    std::unique_ptr<float*[]> _pointers;
};

// Owner's thread. A zero-filled list of `channels` channels of `frames`
// frames; null when either is 0 or the storage cannot be had. Freeing is
// dropping the pointer.
std::unique_ptr<KivAudioBufferList> KivAllocateAudioBufferList(std::uint32_t channels,
                                                               std::uint32_t frames);

// The rest work on any view, on any thread, the render thread included: they
// neither allocate nor block. A view without channel pointers is no list.

// Both are lists with the same channel count.
bool KivAudioBufferListsHaveSameLayout(const AudioChannels& a, const AudioChannels& b);

// Copies min(frames, source frames - sourceOffset, destination frames -
// destinationOffset) frames of every channel; 0 when frames is 0, the
// layouts differ or an offset lies past its list.
std::uint32_t KivCopyAudioBufferList(const AudioChannels& source, std::uint32_t sourceOffset,
                                     const AudioChannels& destination,
                                     std::uint32_t destinationOffset, std::uint32_t frames);

// The frames of each channel; 0 for no list.
std::uint32_t KivAudioBufferListFrameCount(const AudioChannels& list);

// Zeroes min(frames, frame count - offset) frames from offset in every
// channel that is there (null channels are skipped) and answers how many; 0
// when the offset lies past the list.
std::uint32_t KivSilenceAudioBufferList(const AudioChannels& list, std::uint32_t offset,
                                        std::uint32_t frames);
// Every frame of every channel that is there.
void KivSilenceAudioBufferList(const AudioChannels& list);

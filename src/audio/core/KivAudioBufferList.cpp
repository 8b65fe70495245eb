#include "audio/core/KivAudioBufferList.h"

#include <algorithm>
#include <cstring>
#include <new>

KivAudioBufferList::KivAudioBufferList(std::uint32_t channels, std::uint32_t frames,
                                       std::unique_ptr<float[]> storage,
                                       std::unique_ptr<float*[]> pointers)
    : _channels(channels)
    , _frames(frames)
    , _storage(std::move(storage))
    , _pointers(std::move(pointers)) {
    for (std::uint32_t c = 0; c < _channels; ++c) {
        _pointers[c] = _storage.get() + std::size_t(c) * _frames;
    }
}

std::unique_ptr<KivAudioBufferList> KivAllocateAudioBufferList(std::uint32_t channels,
                                                               std::uint32_t frames) {
    if (channels == 0 || frames == 0) {
        return nullptr;
    }
    std::unique_ptr<float[]> storage(new (std::nothrow) float[std::size_t(channels) * frames]());
    std::unique_ptr<float*[]> pointers(new (std::nothrow) float*[channels]());
    if (!storage || !pointers) {
        return nullptr;
    }
    return std::unique_ptr<KivAudioBufferList>(
        new KivAudioBufferList(channels, frames, std::move(storage), std::move(pointers)));
}

bool KivAudioBufferListsHaveSameLayout(const AudioChannels& a, const AudioChannels& b) {
    return a.channels != nullptr && b.channels != nullptr && a.channelCount == b.channelCount;
}

std::uint32_t KivCopyAudioBufferList(const AudioChannels& source, std::uint32_t sourceOffset,
                                     const AudioChannels& destination,
                                     std::uint32_t destinationOffset, std::uint32_t frames) {
    if (frames == 0 || !KivAudioBufferListsHaveSameLayout(source, destination) ||
        sourceOffset > source.frameCount || destinationOffset > destination.frameCount) {
        return 0;
    }
    const std::uint32_t n = std::min(
        {frames, source.frameCount - sourceOffset, destination.frameCount - destinationOffset});
    for (std::uint32_t c = 0; c < source.channelCount; ++c) {
        std::memmove(destination.channels[c] + destinationOffset, source.channels[c] + sourceOffset,
                     sizeof(float) * n);
    }
    return n;
}

std::uint32_t KivAudioBufferListFrameCount(const AudioChannels& list) {
    return list.channels != nullptr ? list.frameCount : 0;
}

std::uint32_t KivSilenceAudioBufferList(const AudioChannels& list, std::uint32_t offset,
                                        std::uint32_t frames) {
    if (list.channels == nullptr || offset > list.frameCount) {
        return 0;
    }
    const std::uint32_t n = std::min(frames, list.frameCount - offset);
    for (std::uint32_t c = 0; c < list.channelCount; ++c) {
        if (float* channel = list.channels[c]) {
            std::fill_n(channel + offset, n, 0.0f);
        }
    }
    return n;
}

void KivSilenceAudioBufferList(const AudioChannels& list) {
    KivSilenceAudioBufferList(list, 0, list.frameCount);
}

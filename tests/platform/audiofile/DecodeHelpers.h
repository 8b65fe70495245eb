#pragma once

#include "platform/audiofile/AudioDecoder.h"
#include "platform/audiofile/AudioFileReader.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

// Interleaved frames of a decoder from where it stands to its end (or limit).
inline std::vector<float> decodeRest(AudioDecoder& decoder, std::size_t limit = SIZE_MAX) {
    const unsigned channels = decoder.properties().channels;
    std::vector<float> all;
    std::vector<float> block(1000 * channels);
    std::size_t frames = 0;
    while (frames < limit) {
        const DecoderRead got =
            decoder.read(block.data(), std::min<std::size_t>(1000, limit - frames));
        if (got.frames == 0) {
            break;
        }
        all.insert(all.end(), block.begin(), block.begin() + got.frames * channels);
        frames += got.frames;
    }
    return all;
}

// Deinterleaved frames of a reader, read in blocks of blockFrames.
inline std::vector<std::vector<float>> readRest(AudioFileReader& reader, std::size_t blockFrames,
                                                std::size_t limit = SIZE_MAX) {
    const unsigned channels = reader.fileProperties().channels;
    std::vector<std::vector<float>> all(channels);
    std::vector<std::vector<float>> block(channels, std::vector<float>(blockFrames));
    std::vector<float*> pointers(channels);
    std::size_t frames = 0;
    while (frames < limit) {
        for (unsigned c = 0; c < channels; ++c) {
            pointers[c] = block[c].data();
        }
        const std::size_t got = reader.read(pointers.data(), std::min(blockFrames, limit - frames));
        if (got == 0) {
            break;
        }
        for (unsigned c = 0; c < channels; ++c) {
            all[c].insert(all[c].end(), block[c].begin(), block[c].begin() + got);
        }
        frames += got;
    }
    return all;
}

// Largest difference over the first n samples of two runs (n = the shorter).
inline float maxDifference(const float* a, const float* b, std::size_t n) {
    float worst = 0.0f;
    for (std::size_t i = 0; i < n; ++i) {
        worst = std::max(worst, std::fabs(a[i] - b[i]));
    }
    return worst;
}

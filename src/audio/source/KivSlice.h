#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

// One played range of a file with its play count. Frames are at the working
// rate of the meta buffer that owns the slice. A negative count plays forever.
struct KivSlice {
    double startTime = 0.0;
    double endTime = 0.0;
    std::int64_t startFrame = 0;
    std::int64_t endFrame = 0;
    std::int64_t playCount = 1;
    // Passes still to play, the current one included; negative means forever.
    std::int64_t playsRemaining = 1;
};

// Pure functions over a slice list; none allocates, so all may run on the
// render thread.

// The first slice whose end frame lies after `frame`; the count if none.
std::size_t KivSliceIndexForFrame(std::int64_t frame, std::span<const KivSlice> slices);
// From the slice holding `frame`, the first slice that will jump back to its
// own start at its end (plays remaining other than 1); the count when play
// ends at the last slice's end.
std::size_t KivSliceIndexOfNextJump(std::int64_t frame, std::span<const KivSlice> slices);
// End frame of the next-jump slice (the last slice when none) minus `frame`.
std::int64_t KivFramesUntilNextJump(std::int64_t frame, std::span<const KivSlice> slices);
// Start time of the next-jump slice; -1.0 when none.
double KivStartTimeOfNextJump(std::int64_t frame, std::span<const KivSlice> slices);

// Moves the play position, the frames played outside forever slices and the
// logical frame on by `frames` through slice ends and loop-backs, counting
// down plays remaining. Answers whether any slice end was crossed. An advance
// of 0 or fewer frames, or from a position outside every slice, changes
// nothing.
bool KivAdvanceThroughSlices(std::int64_t frames, std::int64_t& position,
                             std::int64_t& framesSansForever, std::int64_t& logicalFrame,
                             std::span<KivSlice> slices);

double KivSlicesStartFrame(std::span<const KivSlice> slices);
double KivSlicesEndTime(std::span<const KivSlice> slices);

inline bool KivSliceLoopsForever(const KivSlice& slice) {
    return slice.playsRemaining < 0;
}
inline std::int64_t KivSliceFrameLength(const KivSlice& slice) {
    return slice.endFrame - slice.startFrame;
}
inline std::int64_t KivSliceTotalFrames(const KivSlice& slice) {
    return KivSliceFrameLength(slice) * slice.playCount;
}
inline std::int64_t KivSliceRemainingFrames(const KivSlice& slice) {
    return KivSliceFrameLength(slice) * slice.playsRemaining;
}

// A slice list as it is handed over: an array of dictionaries with "startTime"
// and "endTime" (numbers, seconds) and "playCount" (an integer). Builds the
// slices at `sampleRate` into `slices` and answers true for a valid list, or
// answers false with the reason in `reason`. A valid list has every start at
// 0 or more, every count non-zero, every slice longer than 0.1 s and at least
// one frame, no end past `fileLength`, and each slice after the first starting
// exactly at the previous one's end. An empty list is the whole file once.
// A slice that ends at `fileLength` ends at `fileFrames`, the file's length in
// frames at `sampleRate`: seconds times the rate can truncate to the frame
// before, and the file's last frame would never play.
bool KivSlicesFromDescription(const nlohmann::json& list, double sampleRate, double fileLength,
                              std::int64_t fileFrames, std::vector<KivSlice>& slices,
                              std::string& reason);

// The dictionaries of a slice list.
nlohmann::json KivSlicesDescription(std::span<const KivSlice> slices);

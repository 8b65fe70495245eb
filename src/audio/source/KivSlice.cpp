#include "audio/source/KivSlice.h"

#include <cmath>

std::size_t KivSliceIndexForFrame(std::int64_t frame, std::span<const KivSlice> slices) {
    for (std::size_t i = 0; i < slices.size(); ++i) {
        if (slices[i].endFrame > frame) {
            return i;
        }
    }
    return slices.size();
}

std::size_t KivSliceIndexOfNextJump(std::int64_t frame, std::span<const KivSlice> slices) {
    std::size_t i = KivSliceIndexForFrame(frame, slices);
    while (i < slices.size() && slices[i].playsRemaining == 1) {
        ++i;
    }
    return i;
}

std::int64_t KivFramesUntilNextJump(std::int64_t frame, std::span<const KivSlice> slices) {
    if (slices.empty()) {
        return 0;
    }
    const std::size_t j = KivSliceIndexOfNextJump(frame, slices);
    return slices[j < slices.size() ? j : slices.size() - 1].endFrame - frame;
}

double KivStartTimeOfNextJump(std::int64_t frame, std::span<const KivSlice> slices) {
    const std::size_t j = KivSliceIndexOfNextJump(frame, slices);
    return j < slices.size() ? slices[j].startTime : -1.0;
}

bool KivAdvanceThroughSlices(std::int64_t frames, std::int64_t& position,
                             std::int64_t& framesSansForever, std::int64_t& logicalFrame,
                             std::span<KivSlice> slices) {
    if (frames <= 0) {
        return false;
    }
    std::size_t i = KivSliceIndexForFrame(position, slices);
    bool crossed = false;
    while (i < slices.size() && frames > 0) {
        KivSlice& slice = slices[i];
        const std::int64_t length = KivSliceFrameLength(slice);
        const std::int64_t into = position - slice.startFrame;
        const std::int64_t offset = into + frames;
        if (slice.playsRemaining >= 0 && offset >= length * slice.playsRemaining) {
            // This slice's passes are used up; play runs on into the next one.
            const std::int64_t consumed = length * slice.playsRemaining - into;
            framesSansForever += consumed;
            frames -= consumed;
            slice.playsRemaining = 1;
            position = slice.endFrame;
            logicalFrame = framesSansForever;
            crossed = true;
            ++i;
            continue;
        }
        const std::int64_t passes = offset / length;
        const std::int64_t within = offset % length;
        crossed = crossed || passes > 0;
        position = slice.startFrame + within;
        if (slice.playsRemaining > 0) {
            framesSansForever += frames;
            logicalFrame = framesSansForever;
        } else {
            // Every pass of a forever slice plays the same logical stretch.
            logicalFrame = framesSansForever + within;
        }
        slice.playsRemaining -= passes;
        break;
    }
    return crossed;
}

double KivSlicesStartFrame(std::span<const KivSlice> slices) {
    return slices.empty() ? 0.0 : static_cast<double>(slices.front().startFrame);
}

double KivSlicesEndTime(std::span<const KivSlice> slices) {
    return slices.empty() ? 0.0 : slices.back().endTime;
}

namespace {

bool readSlice(const nlohmann::json& entry, double& start, double& end, std::int64_t& count,
               std::string& reason) {
    if (!entry.is_object()) {
        reason = "not a dictionary";
        return false;
    }
    const auto startTime = entry.find("startTime");
    const auto endTime = entry.find("endTime");
    const auto playCount = entry.find("playCount");
    if (startTime == entry.end() || !startTime->is_number() || endTime == entry.end() ||
        !endTime->is_number() || playCount == entry.end() || !playCount->is_number_integer()) {
        reason = "needs numbers \"startTime\", \"endTime\" and an integer \"playCount\"";
        return false;
    }
    start = startTime->get<double>();
    end = endTime->get<double>();
    if (playCount->is_number_unsigned() &&
        playCount->get<std::uint64_t>() > std::uint64_t(INT64_MAX)) {
        reason = "play count out of range";
        return false;
    }
    count = playCount->get<std::int64_t>();
    return true;
}

} // namespace

bool KivSlicesFromDescription(const nlohmann::json& list, double sampleRate, double fileLength,
                              std::int64_t fileFrames, std::vector<KivSlice>& slices,
                              std::string& reason) {
    if (!list.is_array()) {
        reason = "not an array";
        return false;
    }
    std::vector<KivSlice> made;
    made.reserve(list.empty() ? 1 : list.size());
    if (list.empty()) {
        made.push_back({0.0, fileLength, 0, fileFrames, 1, 1});
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        double start = 0.0;
        double end = 0.0;
        std::int64_t count = 0;
        std::string why;
        if (!readSlice(list[i], start, end, count, why)) {
            reason = "slice " + std::to_string(i) + ": " + why;
            return false;
        }
        if (!std::isfinite(start) || !std::isfinite(end)) {
            why = "time not finite";
        } else if (start < 0.0) {
            why = "start before 0";
        } else if (count == 0) {
            why = "play count 0";
        } else if (!(end - start > 0.1)) {
            why = "not longer than 0.1 s";
        } else if (end > fileLength) {
            why = "ends after the file";
        } else if (i > 0 && start != made.back().endTime) {
            why = "does not start at the previous slice's end";
        }
        KivSlice slice{start,
                       end,
                       static_cast<std::int64_t>(start * sampleRate),
                       end == fileLength ? fileFrames : static_cast<std::int64_t>(end * sampleRate),
                       count,
                       count};
        if (why.empty() && slice.endFrame <= slice.startFrame) {
            why = "shorter than one frame";
        }
        if (!why.empty()) {
            reason = "slice " + std::to_string(i) + ": " + why;
            return false;
        }
        made.push_back(slice);
    }
    slices = std::move(made);
    return true;
}

nlohmann::json KivSlicesDescription(std::span<const KivSlice> slices) {
    nlohmann::json list = nlohmann::json::array();
    for (const KivSlice& slice : slices) {
        list.push_back({{"startTime", slice.startTime},
                        {"endTime", slice.endTime},
                        {"playCount", slice.playCount}});
    }
    return list;
}

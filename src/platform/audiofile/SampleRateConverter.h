#pragma once

#include <cstddef>
#include <memory>
#include <string>

struct soxr;

// Converts interleaved float in the file's rate to deinterleaved float in the
// client's rate (libsoxr, high quality). The converter keeps frames back
// until it has enough input: flush() them out at the end of the file, and
// clear() on every seek. Used by one thread at a time. libsoxr allocates in
// clear and over the first blocks after it, and in the flush; a steady run
// of process calls allocates nothing.
class SampleRateConverter {
public:
    // Null with error set when libsoxr refuses the rates.
    static std::unique_ptr<SampleRateConverter> create(unsigned channels, double inputRate,
                                                       double outputRate, std::string& error);
    ~SampleRateConverter();
    SampleRateConverter(const SampleRateConverter&) = delete;
    SampleRateConverter& operator=(const SampleRateConverter&) = delete;

    struct Progress {
        std::size_t inputUsed = 0;
        std::size_t outputWritten = 0;
        bool failed = false;
    };

    // Converts as much of input (inputFrames x channels floats) as fits in
    // outputFrames frames of output (one pointer per channel).
    Progress process(const float* input, std::size_t inputFrames, float* const* output,
                     std::size_t outputFrames);
    // After the last input: writes out frames held back; 0 once drained.
    std::size_t flush(float* const* output, std::size_t outputFrames);
    // Forgets held frames and history, ready for a signal from elsewhere.
    void clear();

    unsigned channels() const { return _channels; }

private:
    SampleRateConverter(soxr* resampler, unsigned channels);

    soxr* _resampler;
    unsigned _channels;
};

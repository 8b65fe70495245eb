#include "platform/audiofile/SampleRateConverter.h"

#include <soxr.h>

std::unique_ptr<SampleRateConverter> SampleRateConverter::create(unsigned channels,
                                                                 double inputRate,
                                                                 double outputRate,
                                                                 std::string& error) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_S);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t failure = nullptr;
    soxr_t resampler =
        soxr_create(inputRate, outputRate, channels, &failure, &io, &quality, &runtime);
    if (!resampler || failure) {
        error = failure ? failure : "soxr_create failed";
        soxr_delete(resampler);
        return nullptr;
    }
    return std::unique_ptr<SampleRateConverter>(new SampleRateConverter(resampler, channels));
}

SampleRateConverter::SampleRateConverter(soxr* resampler, unsigned channels)
    : _resampler(resampler)
    , _channels(channels) {}

SampleRateConverter::~SampleRateConverter() {
    soxr_delete(_resampler);
}

SampleRateConverter::Progress SampleRateConverter::process(const float* input,
                                                           std::size_t inputFrames,
                                                           float* const* output,
                                                           std::size_t outputFrames) {
    Progress progress;
    const soxr_error_t failure =
        soxr_process(_resampler, input, inputFrames, &progress.inputUsed,
                     const_cast<float**>(output), outputFrames, &progress.outputWritten);
    progress.failed = failure != nullptr;
    return progress;
}

std::size_t SampleRateConverter::flush(float* const* output, std::size_t outputFrames) {
    std::size_t written = 0;
    if (soxr_process(_resampler, nullptr, 0, nullptr, const_cast<float**>(output), outputFrames,
                     &written)) {
        return 0;
    }
    return written;
}

void SampleRateConverter::clear() {
    soxr_clear(_resampler);
}

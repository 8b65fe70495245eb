#include "audio/MetaBufferFixture.h"

#include <cmath>

// Whole-file slices end at the file's last frame, at the file's own rate and
// converted to another working rate, once and on every pass of a loop.
namespace {

class KivAudioMetaBufferEndTest : public MetaBufferFixture {
protected:
    // A mono file at `rate` whose frame f holds f + 1, so no frame of the
    // file is silence, even resampled.
    std::shared_ptr<KivAlias> rampFrom1(std::size_t frames, int rate) {
        std::vector<float> samples(frames);
        for (std::size_t f = 0; f < frames; ++f) {
            samples[f] = float(f + 1);
        }
        const std::string path =
            _folder.path("ramp" + std::to_string(frames) + "at" + std::to_string(rate) + ".wav");
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 1, rate));
        return KivAlias::aliasWithPath(path);
    }

    std::unique_ptr<KivAudioMetaBuffer> manualAt(const std::shared_ptr<KivAlias>& alias,
                                                 double rate) {
        const KivAudioStreamDescription format(rate, 1);
        return KivAudioMetaBuffer::create(alias, &format, KivAudioMetaBufferWorker::Manual);
    }

    // The whole file, `count` times (negative: forever), as a cue gives it.
    static nlohmann::json wholeFile(const KivAudioMetaBuffer& meta, std::int64_t count) {
        return list(slice(0.0, meta.fileLengthInSeconds(), count));
    }

    // Frames before the first silent one.
    static std::size_t soundingFrames(const std::vector<float>& samples) {
        std::size_t n = 0;
        while (n < samples.size() && samples[n] != 0.0f) {
            ++n;
        }
        return n;
    }
};

struct Length {
    std::size_t frames;
    int rate;
};

TEST_F(KivAudioMetaBufferEndTest, EveryFrameOfTheFilePlaysAtItsOwnRate) {
    // Lengths whose seconds times the rate truncate to the frame before, and
    // one that does not.
    for (const Length length : {Length{6005, 48000}, Length{110400, 48000}, Length{6007, 44100},
                                Length{110400, 96000}, Length{44101, 44100}}) {
        SCOPED_TRACE(std::to_string(length.frames) + " frames at " + std::to_string(length.rate));
        auto meta = manualAt(rampFrom1(length.frames, length.rate), length.rate);
        ASSERT_NE(meta, nullptr);
        // The list made with the meta buffer, then the one a cue gives.
        for (bool given : {false, true}) {
            if (given) {
                ASSERT_TRUE(meta->setSlices(wholeFile(*meta, 1)));
                meta->goToTime(0);
            }
            const auto out = play(*meta, length.frames + 1024, 512);
            EXPECT_EQ(firstBreakInRamp(out, 0, length.frames, 1), out.size());
            EXPECT_EQ(soundingFrames(out), length.frames);
            EXPECT_TRUE(meta->isFinished());
        }
    }
}

TEST_F(KivAudioMetaBufferEndTest, ALoopedFilePlaysEveryFrameOfEveryPass) {
    for (const Length length : {Length{6005, 48000}, Length{110400, 48000}, Length{6007, 44100}}) {
        SCOPED_TRACE(std::to_string(length.frames) + " frames at " + std::to_string(length.rate));
        auto meta = manualAt(rampFrom1(length.frames, length.rate), length.rate);
        ASSERT_NE(meta, nullptr);
        for (std::int64_t count : {std::int64_t{-1}, std::int64_t{3}}) {
            ASSERT_TRUE(meta->setSlices(wholeFile(*meta, count)));
            meta->goToTime(0);
            const auto out = play(*meta, 3 * length.frames, 256);
            for (std::size_t pass = 0; pass < 3; ++pass) {
                EXPECT_EQ(firstBreakInRamp(out, pass * length.frames, length.frames, 1), out.size())
                    << "pass " << pass << ", count " << count;
            }
        }
    }
}

TEST_F(KivAudioMetaBufferEndTest, AtAnotherWorkingRateTheConvertedLengthPlays) {
    // 48001 frames at 48 kHz are 44100.92 at 44.1 kHz: the reader delivers
    // 44101, seconds times the rate truncate to 44100.
    for (const Length length : {Length{48001, 48000}, Length{6007, 48000}, Length{22051, 22050}}) {
        SCOPED_TRACE(std::to_string(length.frames) + " frames at " + std::to_string(length.rate));
        const auto converted = static_cast<std::size_t>(
            std::llround(double(length.frames) * kRate / double(length.rate)));
        auto meta = manualAt(rampFrom1(length.frames, length.rate), kRate);
        ASSERT_NE(meta, nullptr);
        auto out = play(*meta, converted + 1024, 512);
        EXPECT_EQ(soundingFrames(out), converted);
        EXPECT_TRUE(meta->isFinished());

        ASSERT_TRUE(meta->setSlices(wholeFile(*meta, -1)));
        meta->goToTime(0);
        out = play(*meta, 3 * converted, 256);
        EXPECT_EQ(soundingFrames(out), out.size());
        // Each pass starts over from the ramp's foot, exactly a converted
        // length after the previous one.
        std::vector<std::size_t> starts;
        for (std::size_t i = 1; i < out.size(); ++i) {
            if (out[i] < 0.5f * out[i - 1]) {
                starts.push_back(i);
            }
        }
        EXPECT_EQ(starts, (std::vector<std::size_t>{converted, 2 * converted}));
    }
}

} // namespace

// What the source fades by: where each read began in the file, and how far
// from its first frame play stops at an end point inside the file, told
// only once no loop jump lies before it; the file's own end is no end point.
TEST_F(KivAudioMetaBufferEndTest, EachReadTellsWhereItBeganAndWhereAnEndPointInsideTheFileLies) {
    auto meta = manual(ramp(44100));
    ASSERT_NE(meta, nullptr);
    const std::int64_t end = 4410 * 3; // 0.3 s
    ASSERT_TRUE(meta->setSlices(list(slice(0.0, 0.3, 2))));
    meta->goToTime(0);
    std::int64_t played = 0;
    std::vector<std::int64_t> starts;
    while (played < 2 * end) {
        cycle(*meta, 1000);
        starts.push_back(meta->lastReadStartFrame());
        const std::int64_t toEnd = meta->lastReadFramesToEndPoint();
        if (played + 1000 <= end) {
            EXPECT_EQ(toEnd, KivAudioMetaBuffer::kNoEndPoint)
                << played << ": a jump lies before it";
        } else {
            // The block that crosses the jump counts on through the second pass.
            EXPECT_EQ(toEnd, 2 * end - played) << played;
        }
        played += 1000;
    }
    EXPECT_EQ(starts[0], 0);
    EXPECT_EQ(starts[1], 1000);
    EXPECT_EQ(starts[14], 14000 - end) << "the read after the jump began in the second pass";

    ASSERT_TRUE(meta->setSlices(list(slice(0.5, 1.0, 1))));
    meta->goToTime(0.2);
    cycle(*meta, 1000);
    EXPECT_EQ(meta->lastReadStartFrame(), 22050 + 8820);
    EXPECT_EQ(meta->lastReadFramesToEndPoint(), KivAudioMetaBuffer::kNoEndPoint)
        << "the slice ends where the file does";

    // readOn plays on where play is; the seek waits for the next readFrames.
    ASSERT_TRUE(meta->setSlices(list(slice(0.0, 0.5, 1))));
    meta->goToTime(0.0);
    cycle(*meta, 1000);
    meta->goToTime(0.25);
    std::vector<float> out(100, -1.0f);
    float* channels[1] = {out.data()};
    {
        ScopedThreadRole role(ThreadRole::Render);
        EXPECT_EQ(meta->readOn(100, {channels, 1, 100}, 0), 100u);
    }
    EXPECT_EQ(out.front(), 1000.0f);
    EXPECT_EQ(meta->lastReadFramesToEndPoint(), 22050 - 1000);
    EXPECT_EQ(cycle(*meta, 10).front(), 11025.0f);
}

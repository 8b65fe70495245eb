#include "audio/source/KivAudioBuffer.h"

#include "foundation/ThreadRole.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

// Read-ahead buffers over staircase files (channel c of frame f holds
// f + c / 2, exactly), with the fill steps pumped by hand.
namespace {

constexpr int kRate = 44100;
constexpr unsigned kChannels = 2;

class Destination {
public:
    Destination(unsigned channels, std::uint32_t frames)
        : _samples(channels, std::vector<float>(frames, -1.0f))
        , _pointers(channels) {
        for (unsigned c = 0; c < channels; ++c) {
            _pointers[c] = _samples[c].data();
        }
    }
    AudioChannels view() const {
        return {_pointers.data(), static_cast<std::uint32_t>(_pointers.size()),
                static_cast<std::uint32_t>(_samples[0].size())};
    }
    float at(unsigned channel, std::size_t frame) const { return _samples[channel][frame]; }
    // Every channel of frames [from, from + n) holds the staircase from first.
    bool holdsStaircase(std::size_t from, std::size_t n, std::int64_t first) const {
        for (unsigned c = 0; c < _samples.size(); ++c) {
            for (std::size_t i = 0; i < n; ++i) {
                if (_samples[c][from + i] != float(first + std::int64_t(i)) + 0.5f * float(c)) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    std::vector<std::vector<float>> _samples;
    std::vector<float*> _pointers;
};

class KivAudioBufferTest : public ::testing::Test {
protected:
    std::shared_ptr<KivAlias> staircase(const std::string& name, std::size_t frames,
                                        unsigned channels = kChannels) {
        std::vector<float> samples(frames * channels);
        for (std::size_t f = 0; f < frames; ++f) {
            for (unsigned c = 0; c < channels; ++c) {
                samples[f * channels + c] = float(f) + 0.5f * float(c);
            }
        }
        const std::string path = _folder.path(name);
        EXPECT_TRUE(AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples,
                                                channels, kRate));
        return KivAlias::aliasWithPath(path);
    }

    std::unique_ptr<KivAudioBuffer> manual(const std::shared_ptr<KivAlias>& alias, double start,
                                           double end, std::uint32_t capacity) {
        const KivAudioStreamDescription format(kRate, kChannels);
        return KivAudioBuffer::create(alias, start, end, capacity, &format, false,
                                      KivAudioBufferWorker::Manual);
    }

    std::vector<std::string> refusal(const std::shared_ptr<KivAlias>& alias, double start,
                                     double end, std::uint32_t capacity,
                                     const KivAudioStreamDescription* format,
                                     bool matchFileChannels = false) {
        CapturingLogSink log;
        EXPECT_EQ(KivAudioBuffer::create(alias, start, end, capacity, format, matchFileChannels,
                                         KivAudioBufferWorker::Manual),
                  nullptr);
        return log.lines();
    }

    AudioFixtures::TempFolder _folder;
};

TEST_F(KivAudioBufferTest, RefusesInvalidParametersWithTheirMessage) {
    auto alias = staircase("s.wav", 44100);
    const std::string invalid =
        "Error: can't initialize KivAudioBuffer; invalid parameter(s) for file: " +
        _folder.path("s.wav");
    const KivAudioStreamDescription format(kRate, kChannels);
    for (const auto& lines :
         {refusal(alias, -0.1, 0, 4096, &format), refusal(alias, 0, 0, 511, &format),
          refusal(alias, 0, 0, 4096, nullptr), refusal(alias, NAN, 0, 4096, &format),
          refusal(alias, 0, INFINITY, 4096, &format)}) {
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], invalid);
    }
    EXPECT_EQ(refusal(nullptr, 0, 0, 4096, &format),
              std::vector<std::string>{
                  "Error: can't initialize KivAudioBuffer; invalid parameter(s) for file: (null)"});
    EXPECT_NE(manual(alias, 0, 0, 512), nullptr);
}

TEST_F(KivAudioBufferTest, RefusesAFileThatDoesNotOpen) {
    AudioFixtures::writeBytes(_folder.path("bad.wav"), "no sound in here");
    const KivAudioStreamDescription format(kRate, kChannels);
    const auto lines =
        refusal(KivAlias::aliasWithPath(_folder.path("bad.wav")), 0, 0, 4096, &format);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(),
              "Error: KivAudioBuffer given an invalid file: " + _folder.path("bad.wav"));
}

TEST_F(KivAudioBufferTest, ChannelCountsMustMatchUnlessTheFileIsFollowed) {
    auto mono = staircase("mono.wav", 4410, 1);
    const KivAudioStreamDescription stereo(kRate, 2);
    EXPECT_EQ(refusal(mono, 0, 0, 4096, &stereo),
              std::vector<std::string>{"Error: KivAudioBuffer format channels (2) did not have the "
                                       "same number of channels as the file (1): " +
                                       _folder.path("mono.wav")});
    auto buffer =
        KivAudioBuffer::create(mono, 0, 0, 4096, &stereo, true, KivAudioBufferWorker::Manual);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->readFormat().channels(), 1u);
    EXPECT_EQ(buffer->fileChannels(), 1u);
    buffer->fillOnce();
    Destination out(1, 100);
    EXPECT_EQ(buffer->readFrames(100, out.view(), 0), 100u);
    EXPECT_EQ(out.at(0, 99), 99.0f);
}

TEST_F(KivAudioBufferTest, AWindowStartingAtOrPastTheEndIsRefused) {
    auto alias = staircase("s.wav", 44100);
    const KivAudioStreamDescription format(kRate, kChannels);
    EXPECT_EQ(refusal(alias, 1.0, 0, 4096, &format),
              std::vector<std::string>{
                  "Error: KivAudioBuffer end time (1.000000) was <= start time (1.000000) for "
                  "file: " +
                  _folder.path("s.wav")});
    EXPECT_EQ(refusal(alias, 2.5, 3.0, 4096, &format).size(), 1u);
}

TEST_F(KivAudioBufferTest, AnEndOfZeroOrPastTheFileMeansTheFilesEnd) {
    auto alias = staircase("s.wav", 44100);
    auto buffer = manual(alias, 0.5, 0, 4096);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->endTime(), 1.0);
    EXPECT_EQ(buffer->startFrame(), 22050);
    EXPECT_EQ(buffer->totalFramesToRead(), 22050);
    EXPECT_EQ(buffer->description(), _folder.path("s.wav"));
    EXPECT_EQ(manual(alias, 0.25, 9.0, 4096)->endTime(), 1.0);
    EXPECT_EQ(manual(alias, 0.25, 0.1, 4096)->endTime(), 1.0);
    EXPECT_EQ(manual(alias, 0.25, 0.5, 4096)->endTime(), 0.5);

    buffer->fillOnce();
    Destination out(kChannels, 10);
    EXPECT_EQ(buffer->readFrames(10, out.view(), 0), 10u);
    EXPECT_TRUE(out.holdsStaircase(0, 10, 22050));
}

TEST_F(KivAudioBufferTest, AWindowToTheFilesEndHoldsItsLastFrame) {
    // 6007 / 44100 * 44100 truncates to 6006.
    auto alias = staircase("s.wav", 6007);
    auto buffer = manual(alias, 0, 0, 8192);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->totalFramesToRead(), 6007);
    EXPECT_EQ(manual(alias, 0, buffer->endTime(), 8192)->totalFramesToRead(), 6007);
    buffer->fillOnce();
    Destination out(kChannels, 8192);
    EXPECT_EQ(buffer->readFrames(8192, out.view(), 0), 6007u);
    EXPECT_TRUE(out.holdsStaircase(0, 6007, 0));
}

TEST_F(KivAudioBufferTest, FillsAtMostTheRingAndDeliversInOrderAcrossTheWrap) {
    auto buffer = manual(staircase("s.wav", 44100), 0, 0, 1000);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->count(), 0u);
    EXPECT_EQ(buffer->fillOnce(), 1000u);
    EXPECT_EQ(buffer->count(), 1000u);
    EXPECT_EQ(buffer->fillOnce(), 0u);
    std::int64_t next = 0;
    Destination out(kChannels, 700);
    for (int round = 0; round < 12; ++round) {
        ASSERT_EQ(buffer->readFrames(700, out.view(), 0), 700u) << round;
        ASSERT_TRUE(out.holdsStaircase(0, 700, next)) << round;
        next += 700;
        EXPECT_EQ(buffer->fillOnce(), 700u);
    }
    EXPECT_EQ(buffer->framesRead(), next);
    EXPECT_EQ(buffer->framesOwed(), 0);
}

TEST_F(KivAudioBufferTest, ItsReadRecordReadsFromTheRing) {
    auto buffer = manual(staircase("s.wav", 44100), 0, 0, 1000);
    buffer->fillOnce();
    KivReadFramesInfo info;
    buffer->registerReadFramesInfo(&info);
    Destination out(kChannels, 10);
    EXPECT_EQ(info.call(10, out.view(), 0), 10u);
    EXPECT_TRUE(out.holdsStaircase(0, 10, 0));
    EXPECT_EQ(buffer->framesRead(), 10);
}

TEST_F(KivAudioBufferTest, WritesAtTheOffsetAndNeverPastTheList) {
    auto buffer = manual(staircase("s.wav", 44100), 0, 0, 1000);
    buffer->fillOnce();
    Destination out(kChannels, 10);
    EXPECT_EQ(buffer->readFrames(100, out.view(), 4), 6u);
    EXPECT_EQ(out.at(0, 3), -1.0f);
    EXPECT_TRUE(out.holdsStaircase(4, 6, 0));
    // Only what the list could take was asked for: nothing is owed.
    EXPECT_EQ(buffer->framesOwed(), 0);
    EXPECT_EQ(buffer->readFrames(5, out.view(), 10), 0u);
    Destination mono(1, 10);
    EXPECT_EQ(buffer->readFrames(5, mono.view(), 0), 0u);
    EXPECT_EQ(mono.at(0, 4), 0.0f);
    EXPECT_EQ(mono.at(0, 5), -1.0f);
    EXPECT_EQ(buffer->framesRead(), 6);
}

TEST_F(KivAudioBufferTest, WakesTheWorkerOnceTheRingIsHalfEmpty) {
    auto buffer = manual(staircase("s.wav", 44100), 0, 0, 1000);
    buffer->fillOnce();
    EXPECT_FALSE(buffer->wakeRequested());
    Destination out(kChannels, 1000);
    EXPECT_EQ(buffer->readFrames(499, out.view(), 0), 499u);
    EXPECT_FALSE(buffer->wakeRequested()); // 501 of 1000 left
    EXPECT_EQ(buffer->readFrames(1, out.view(), 0), 1u);
    EXPECT_TRUE(buffer->wakeRequested()); // 500 of 1000: half
    EXPECT_EQ(buffer->fillOnce(), 500u);
    EXPECT_FALSE(buffer->wakeRequested());
}

TEST_F(KivAudioBufferTest, AnUnderrunIsOwedAndDiscardedOnceTheFramesArrive) {
    auto buffer = manual(staircase("s.wav", 44100), 0, 0, 1000);
    buffer->fillOnce();
    std::int64_t requested = 0;
    Destination out(kChannels, 1500);
    EXPECT_EQ(buffer->readFrames(1500, out.view(), 0), 1000u);
    requested += 1500;
    EXPECT_TRUE(out.holdsStaircase(0, 1000, 0));
    EXPECT_EQ(out.at(0, 1000), 0.0f); // the miss is silence
    EXPECT_EQ(out.at(1, 1499), 0.0f);
    EXPECT_TRUE(buffer->wakeRequested());
    EXPECT_EQ(buffer->framesRead() + buffer->framesOwed(), requested);

    // While the debt cannot be paid, reads deliver nothing and it grows by each request.
    Destination silenced(kChannels, 200);
    EXPECT_EQ(buffer->readFrames(200, silenced.view(), 0), 0u);
    requested += 200;
    EXPECT_EQ(silenced.at(1, 0), 0.0f);
    EXPECT_EQ(silenced.at(1, 199), 0.0f);
    EXPECT_EQ(buffer->framesOwed(), 700);
    EXPECT_EQ(buffer->framesRead() + buffer->framesOwed(), requested);

    // The worker catches up: 700 frames are discarded, and the read goes on
    // from where playback time has got to.
    EXPECT_EQ(buffer->fillOnce(), 1000u);
    EXPECT_EQ(buffer->readFrames(100, out.view(), 0), 100u);
    requested += 100;
    EXPECT_TRUE(out.holdsStaircase(0, 100, 1700));
    EXPECT_EQ(buffer->framesOwed(), 0);
    EXPECT_EQ(buffer->framesRead(), requested);
}

TEST_F(KivAudioBufferTest, DroppedFramesAreDiscardedBeforeDelivery) {
    auto buffer = manual(staircase("s.wav", 44100), 0, 0, 1000);
    buffer->fillOnce();
    buffer->drop(250);
    Destination out(kChannels, 10);
    EXPECT_EQ(buffer->readFrames(10, out.view(), 0), 10u);
    EXPECT_TRUE(out.holdsStaircase(0, 10, 250));
    EXPECT_EQ(buffer->framesRead(), 260);
}

TEST_F(KivAudioBufferTest, AReadPastTheWindowDeliversUpToItsEndOnly) {
    // 0.1 s to 0.2 s: frames 4410 to 8819.
    auto buffer = manual(staircase("s.wav", 44100), 0.1, 0.2, 8192);
    ASSERT_EQ(buffer->totalFramesToRead(), 4410);
    buffer->fillOnce();
    Destination out(kChannels, 5000);
    EXPECT_EQ(buffer->readFrames(5000, out.view(), 0), 4410u);
    EXPECT_TRUE(out.holdsStaircase(0, 4410, 4410));
    EXPECT_EQ(out.at(0, 4410), 0.0f);
    EXPECT_EQ(out.at(0, 4999), 0.0f);
    EXPECT_TRUE(buffer->isFinished());
    EXPECT_EQ(buffer->readFrames(10, out.view(), 0), 0u);
    EXPECT_EQ(buffer->framesOwed(), 0);
}

TEST_F(KivAudioBufferTest, ADebtReachingPastTheWindowStillEndsTheWindowThere) {
    auto buffer = manual(staircase("s.wav", 44100), 0.1, 0.2, 1000);
    buffer->fillOnce();
    Destination out(kChannels, 1000);
    EXPECT_EQ(buffer->readFrames(1000, out.view(), 0), 1000u);
    buffer->drop(10000);
    // The window has 3410 frames left; discarding stops there, and nothing
    // past the window is ever delivered.
    for (int i = 0; i < 10 && !buffer->isFinished(); ++i) {
        buffer->fillOnce();
        EXPECT_EQ(buffer->readFrames(100, out.view(), 0), 0u);
    }
    EXPECT_TRUE(buffer->isFinished());
    EXPECT_EQ(buffer->framesRead(), 4410);
    EXPECT_EQ(buffer->readFrames(100, out.view(), 0), 0u);
}

TEST_F(KivAudioBufferTest, TheFilesEndFinishesTheBufferAndStopsTheHints) {
    auto buffer = manual(staircase("s.wav", 1500), 0, 0, 1000);
    ASSERT_EQ(buffer->totalFramesToRead(), 1500);
    EXPECT_EQ(buffer->fillOnce(), 1000u);
    Destination out(kChannels, 1000);
    EXPECT_EQ(buffer->readFrames(1000, out.view(), 0), 1000u);
    EXPECT_EQ(buffer->fillOnce(), 500u);
    EXPECT_FALSE(buffer->isFinished());
    EXPECT_EQ(buffer->fillOnce(), 0u); // the read that finds the end
    EXPECT_TRUE(buffer->isFinished());
    EXPECT_EQ(buffer->count(), 500u); // still there to deliver
    EXPECT_EQ(buffer->readFrames(200, out.view(), 0), 200u);
    EXPECT_FALSE(buffer->wakeRequested());
    EXPECT_TRUE(out.holdsStaircase(0, 200, 1000));
}

TEST_F(KivAudioBufferTest, AFileCutShortWhileItPlaysDeliversSilenceToTheWindowsEnd) {
    auto buffer = manual(staircase("cut.wav", 10000), 0, 0, 4096);
    ASSERT_EQ(buffer->fillOnce(), 4096u);
    ASSERT_EQ(::truncate(_folder.path("cut.wav").c_str(), 4096), 0);
    CapturingLogSink log;
    Destination out(kChannels, 4096);
    std::int64_t delivered = 0;
    for (int i = 0; i < 10 && !buffer->isFinished(); ++i) {
        buffer->fillOnce();
        delivered += buffer->readFrames(4096, out.view(), 0);
    }
    EXPECT_TRUE(buffer->isFinished());
    EXPECT_EQ(delivered, 10000);
    EXPECT_EQ(out.at(0, 10000 - 8192 - 1), 0.0f);
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST_F(KivAudioBufferTest, UnreadItHoldsItsHeadOnlyThenPlaysOnIntoTheBody) {
    auto buffer = manual(staircase("s.wav", 44100), 0, 0, 22050);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->fillOnce(), KivAudioBuffer::kHeadFrames);
    EXPECT_EQ(buffer->fillOnce(), 0u);
    EXPECT_EQ(buffer->count(), KivAudioBuffer::kHeadFrames);
    EXPECT_FALSE(buffer->hasBody());

    Destination out(kChannels, 512);
    std::int64_t next = 0;
    const auto read = [&](std::uint32_t frames) {
        const auto before = renderThreadAllocations();
        std::uint32_t got = 0;
        {
            ScopedThreadRole role(ThreadRole::Render);
            got = buffer->readFrames(frames, out.view(), 0);
        }
        EXPECT_EQ(renderThreadAllocations(), before);
        EXPECT_TRUE(out.holdsStaircase(0, got, next)) << next;
        next += got;
        return got;
    };
    EXPECT_EQ(read(300), 300u);
    EXPECT_TRUE(buffer->wakeRequested()); // the body is wanted at once
    // The head is left as it is; the body takes the frames after it.
    EXPECT_EQ(buffer->fillOnce(), KivAudioBuffer::kHeadFrames);
    EXPECT_TRUE(buffer->hasBody());
    EXPECT_EQ(buffer->count(), 2 * KivAudioBuffer::kHeadFrames - 300);
    // A debt is paid across from the head into the body, and reads cross
    // within one call.
    while (next < 7000) {
        EXPECT_EQ(read(512), 512u);
    }
    buffer->drop(1500);
    next += 1500;
    EXPECT_EQ(read(512), 512u);
    buffer->fillOnce();
    while (next < 16000) {
        EXPECT_EQ(read(512), 512u);
    }
    for (int i = 0; i < 40; ++i) {
        buffer->fillOnce();
        EXPECT_EQ(read(512), 512u);
    }
    EXPECT_EQ(buffer->framesRead(), next);
    EXPECT_EQ(buffer->framesOwed(), 0);
}

TEST_F(KivAudioBufferTest, ReadingNeverAllocatesOnTheRenderThread) {
    const KivAudioStreamDescription format(kRate, kChannels);
    auto buffer = KivAudioBuffer::create(staircase("s.wav", 44100), 0, 0, 2048, &format, false);
    ASSERT_NE(buffer, nullptr);
    Destination out(kChannels, 512);
    const auto before = renderThreadAllocations();
    {
        ScopedThreadRole role(ThreadRole::Render);
        // Underruns, debts and hints to the worker included.
        for (int i = 0; i < 200; ++i) {
            buffer->readFrames(512, out.view(), 0);
        }
        buffer->drop(100);
        buffer->readFrames(512, out.view(), 0);
    }
    EXPECT_EQ(renderThreadAllocations(), before);
    buffer->killWorker();
}

TEST_F(KivAudioBufferTest, TheWorkerFillsAtOnceAndKillWorkerEndsIt) {
    const KivAudioStreamDescription format(kRate, kChannels);
    auto buffer = KivAudioBuffer::create(staircase("s.wav", 44100), 0, 0, 4096, &format, false);
    ASSERT_NE(buffer, nullptr);
    buffer->killWorker();
    // The worker's first fill always runs before it looks for a stop.
    EXPECT_EQ(buffer->count(), 4096u);
    buffer->killWorker();
    Destination out(kChannels, 4096);
    EXPECT_EQ(buffer->readFrames(4096, out.view(), 0), 4096u);
    EXPECT_TRUE(out.holdsStaircase(0, 4096, 0));
}

// Reads on a render-role thread as fast as it can; every frame delivered
// must be the frame at the buffer's position, whatever the worker is doing.
void consume(KivAudioBuffer& buffer, std::atomic<bool>& wrong) {
    // Made before the role: the render thread itself never allocates.
    Destination out(kChannels, 256);
    ScopedThreadRole role(ThreadRole::Render);
    for (int i = 0; i < 4000 && !buffer.isFinished(); ++i) {
        const std::int64_t at = buffer.framesRead() + buffer.framesOwed();
        const std::uint32_t got = buffer.readFrames(256, out.view(), 0);
        if (got > 0 && !out.holdsStaircase(0, got, at)) {
            wrong = true;
        }
        std::this_thread::yield();
    }
}

TEST_F(KivAudioBufferTest, AConsumerRacingTheWorkerSeesOnlyTheStaircase) {
    const KivAudioStreamDescription format(kRate, kChannels);
    auto alias = staircase("s.wav", 3 * 44100);
    std::atomic<bool> wrong{false};
    {
        auto buffer = KivAudioBuffer::create(alias, 0, 0, 1024, &format, false);
        ASSERT_NE(buffer, nullptr);
        std::thread render(consume, std::ref(*buffer), std::ref(wrong));
        render.join();
        buffer->killWorker();
    }
    // And with the worker stopped while the consumer reads.
    {
        auto buffer = KivAudioBuffer::create(alias, 0, 0, 1024, &format, false);
        ASSERT_NE(buffer, nullptr);
        std::thread render(consume, std::ref(*buffer), std::ref(wrong));
        buffer->killWorker();
        render.join();
    }
    EXPECT_FALSE(wrong);
}

} // namespace

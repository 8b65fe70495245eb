#pragma once

#include "OpenDeviceFixture.h"
#include "audio/render/KivEdgeRamp.h"
#include "audio/source/KivAudioSource.h"
#include "foundation/ManualScheduler.h"
#include "platform/alias/KivAlias.h"
#include "platform/audiofile/AudioFixtures.h"

#include <sndfile.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// Audio sources of files on an offline device. Their read-ahead and fades run
// only when the test renders or steps them, and their timers and clock are
// the test's, so every frame and every timer is known.
class SourceFixture : public OpenDeviceFixture {
protected:
    static constexpr int kRate = 48000;
    // Ramp samples step by this, so a frame tells where in the file it came
    // from (exact in float).
    static constexpr float kStep = 1.0f / 65536.0f;

    // A mono file whose frame f holds f * kStep.
    std::string rampFile(const std::string& name, double seconds = 1.0) {
        std::vector<float> samples(static_cast<std::size_t>(seconds * kRate));
        for (std::size_t f = 0; f < samples.size(); ++f) {
            samples[f] = static_cast<float>(f) * kStep;
        }
        return write(name, samples);
    }
    // A mono file of these samples.
    std::string monoFile(const std::string& name, const std::vector<float>& samples) {
        return write(name, samples);
    }
    // A mono file of one level throughout.
    std::string levelFile(const std::string& name, float level, double seconds = 1.0) {
        return write(name, std::vector<float>(static_cast<std::size_t>(seconds * kRate), level));
    }

    // A stereo file of one level per side throughout.
    std::string stereoFile(const std::string& name, float left, float right, double seconds = 1.0) {
        std::vector<float> samples;
        for (std::size_t f = 0; f < static_cast<std::size_t>(seconds * kRate); ++f) {
            samples.push_back(left);
            samples.push_back(right);
        }
        const std::string path = folder.path(name);
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 2, kRate));
        return path;
    }

    // A source of the file on the fixture's device, file channel 0 on feed
    // channel 0, tended by hand.
    std::shared_ptr<KivAudioSource> sourceOf(const std::string& path) {
        auto source = KivAudioSource::create(scheduler, clock);
        EXPECT_TRUE(source);
        source->setDevice(device);
        source->setAlias(KivAlias::aliasWithPath(path));
        byHand(*source);
        source->setDefaultVolumes();
        EXPECT_TRUE(source->isValid());
        _sources.push_back(source);
        return source;
    }
    // The source's read-ahead and fades run only when the test renders or
    // steps them, so every frame is known. The source must outlive the test.
    void byHand(KivAudioSource& source) {
        source.useManualBuffers();
        source.useSteppedFades(clock);
        _byHand.push_back(&source);
    }

    // Renders `cycles` cycles, the read-ahead of every source tended by hand
    // before each; answers the index of the first.
    std::size_t render(std::uint32_t cycles = 1) {
        const std::size_t first = capturedCycles();
        for (std::uint32_t c = 0; c < cycles; ++c) {
            for (KivAudioSource* source : _byHand) {
                source->tendBuffers();
            }
            OpenDeviceFixture::render();
        }
        return first;
    }
    // Renders `cycles` cycles of `frames` frames each (at most the device's
    // buffer size), the read-ahead tended before each.
    void renderCycles(std::uint32_t cycles, std::uint32_t frames) {
        for (std::uint32_t c = 0; c < cycles; ++c) {
            for (KivAudioSource* source : _byHand) {
                source->tendBuffers();
            }
            hardware.backend->render(frames);
        }
    }
    // One step of every fade of the sources tended by hand.
    void stepFades() {
        for (KivAudioSource* source : _byHand) {
            source->stepFades();
        }
    }

    // Output `channel` over `cycles` cycles from `first` on, joined.
    std::vector<float> output(std::size_t first, std::size_t cycles, std::uint32_t channel = 0) {
        std::vector<float> all;
        for (std::size_t c = first; c < first + cycles; ++c) {
            const auto part = cycleOutput(c, channel);
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }

    // Frames as a start from inside a file plays them: rising from silence
    // over the first render call (a fade cut to the call's length).
    static std::vector<float> risen(std::vector<float> frames) {
        const std::uint32_t length = std::min(kCycle, KivEdgeRamp::kFrames);
        for (std::uint32_t f = 0; f < length && f < frames.size(); ++f) {
            frames[f] *= KivEdgeRamp::gain(f + 1, length);
        }
        return frames;
    }
    // Frames as the cycle a stop takes effect in plays them: falling to
    // silence within the call.
    static std::vector<float> fallen(std::vector<float> frames) {
        const std::uint32_t length = std::min(kCycle, KivEdgeRamp::kFrames);
        for (std::uint32_t f = 0; f < frames.size(); ++f) {
            frames[f] = f < length ? frames[f] * KivEdgeRamp::gain(length - f, length) : 0.0f;
        }
        return frames;
    }
    // Frames as they play up to an end point inside the file that follows
    // the last of them: the end point's fade over the last kFrames.
    static std::vector<float> endingAtTheEndPoint(std::vector<float> frames) {
        const std::size_t size = frames.size();
        for (std::size_t left = 1; left <= KivEdgeRamp::kFrames && left <= size; ++left) {
            frames[size - left] *=
                KivEdgeRamp::gain(static_cast<std::uint32_t>(left), KivEdgeRamp::kFrames);
        }
        return frames;
    }

    // The ramp's frames [from, from + count).
    static std::vector<float> ramp(std::size_t from, std::size_t count, float gain = 1.0f) {
        std::vector<float> frames(count);
        for (std::size_t f = 0; f < count; ++f) {
            frames[f] = static_cast<float>(from + f) * kStep * gain;
        }
        return frames;
    }

    ManualClock clock;
    ManualScheduler scheduler{clock};
    AudioFixtures::TempFolder folder;

private:
    std::string write(const std::string& name, const std::vector<float>& samples) {
        const std::string path = folder.path(name);
        EXPECT_TRUE(
            AudioFixtures::writeSndfile(path, SF_FORMAT_WAV | SF_FORMAT_FLOAT, samples, 1, kRate));
        return path;
    }

    std::vector<std::shared_ptr<KivAudioSource>> _sources;
    std::vector<KivAudioSource*> _byHand;
};

#include "platform/audio/AlsaBackend.h"

#include "RenderProbe.h"
#include "WavFile.h"
#include "foundation/KivEnvironment.h"
#include "platform/audio/AlsaConfiguration.h"
#include "platform/audio/AlsaEnumeration.h"
#include "platform/audio/AlsaOutputStream.h"
#include "platform/audio/AlsaSharedStream.h"
#include "support/CapturingLogSink.h"
#include "support/RenderThreadAllocations.h"
#include "support/RenderThreadLocks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

// alsa-lib reads this once, at its first PCM: without it every PCM call takes
// a lock of the library's own, which would hide the stream's in the render
// thread's lock count. Each PCM here is used by one thread at a time.
[[maybe_unused]] const int kWithoutAlsaLibLocks = setenv("LIBASOUND_THREAD_SAFE", "0", 1);

// A playback PCM that writes a WAV file and is paced by nothing, so the
// whole stream path runs without a sound card.
class AlsaFilePcm : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pondra-alsa-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        _folder = pattern;
        path = _folder + "/out.wav";
        definitions =
            "pcm.pondratest { type file slave.pcm null file \"" + path + "\" format wav }";
    }
    void TearDown() override { std::filesystem::remove_all(_folder); }

    // Checks that the file holds `frames` staircase frames of 2 channels.
    void expectStaircase(std::uint64_t atLeastFrames, std::uint32_t rate) {
        const WavFile wav = WavFile::read(path);
        ASSERT_TRUE(wav.valid);
        EXPECT_EQ(wav.channels, 2);
        EXPECT_EQ(wav.sampleRate, rate);
        EXPECT_EQ(wav.bitsPerSample, 32);
        EXPECT_EQ(wav.declaredDataBytes, wav.data.size()) << "the header was completed on close";
        const std::size_t frames = wav.data.size() / 8;
        ASSERT_GE(frames, atLeastFrames);
        for (std::size_t f = 0; f < frames; ++f) {
            ASSERT_EQ(wav.sample(f * 2), RenderProbe::expected(f, 0)) << "frame " << f;
            ASSERT_EQ(wav.sample(f * 2 + 1), RenderProbe::expected(f, 1)) << "frame " << f;
        }
    }

    AlsaBackend::Options options() {
        AlsaBackend::Options o;
        o.extraDefinitions = definitions;
        o.extraPcms = {"pondratest"};
        o.monitor = false;
        return o;
    }

    std::string path;
    std::string definitions;

private:
    std::string _folder;
};

} // namespace

TEST_F(AlsaFilePcm, EnumerationListsConfiguredPcmsAndNoHardwareHere) {
    CapturingLogSink log;
    AlsaBackend backend(options());
    const auto devices = backend.devices();
    ASSERT_FALSE(devices.empty());
    const AudioDeviceInfo& test = devices.back();
    EXPECT_EQ(test.uid, "pondratest");
    EXPECT_EQ(test.name, "pondratest");
    EXPECT_EQ(test.outputChannels, 2u) << "a converting PCM counts as stereo";
    EXPECT_GT(test.nominalSampleRate, 0.0);
    EXPECT_LE(test.minBufferSizeInFrames, test.bufferSizeInFrames);
    EXPECT_LE(test.bufferSizeInFrames, test.maxBufferSizeInFrames);
    for (const auto& device : devices) {
        if (device.uid.rfind("hw:", 0) == 0) {
            EXPECT_FALSE(std::filesystem::exists("/dev/snd")) << "hardware only where cards are";
        }
    }
    if (!std::filesystem::exists("/dev/snd")) {
        EXPECT_EQ(devices.size(), 1u) << "no card: neither hardware nor a default that works";
        EXPECT_EQ(backend.defaultOutputUID(), "pondratest");
        EXPECT_TRUE(log.lines().empty()) << "a machine without sound is nothing alarming";
    }
}

TEST_F(AlsaFilePcm, StepsInterleavedCyclesIntoTheFile) {
    AlsaConfiguration configuration(definitions);
    RenderProbe probe;
    AudioStreamConfig config{44100.0, 2, 256, true};
    {
        auto stream = AlsaOutputStream::open(configuration, "pondratest", config, probe, nullptr);
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->config().sampleRate, 44100.0);
        ScopedThreadRole role(ThreadRole::Render);
        for (int i = 0; i < 5; ++i) {
            ASSERT_TRUE(stream->renderCycle());
        }
        EXPECT_FALSE(stream->takeOverload());
        EXPECT_FALSE(stream->takeDeath());
    }
    EXPECT_EQ(probe.frames.load(), 5u * 256u);
    expectStaircase(5 * 256, 44100);
    EXPECT_EQ(WavFile::read(path).data.size(), 5u * 256u * 8u);
}

TEST_F(AlsaFilePcm, NonInterleavedCyclesArriveInterleavedInTheFile) {
    AlsaConfiguration configuration(definitions);
    RenderProbe probe;
    AudioStreamConfig config{48000.0, 2, 128, false};
    {
        auto stream = AlsaOutputStream::open(configuration, "pondratest", config, probe, nullptr);
        ASSERT_TRUE(stream);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(stream->renderCycle());
        }
    }
    expectStaircase(3 * 128, 48000);
}

TEST_F(AlsaFilePcm, BackendStreamRunsOnARenderThread) {
    AlsaBackend backend(options());
    RenderProbe probe;
    {
        auto stream =
            backend.openOutput("pondratest", AudioStreamConfig{44100.0, 2, 256, true}, probe);
        ASSERT_TRUE(stream);
        ASSERT_TRUE(stream->start());
        ASSERT_TRUE(probe.waitForFrames(2048));
        stream->stop();
        EXPECT_FALSE(stream->isRunning());
    }
    EXPECT_TRUE(probe.allRender.load());
    EXPECT_TRUE(probe.contiguous.load());
    EXPECT_NE(probe.thread, std::this_thread::get_id());
    expectStaircase(2048, 44100);
}

TEST_F(AlsaFilePcm, SystemNullPcmTakesAStream) {
    AlsaBackend::Options o = options();
    o.extraPcms = {"null"};
    AlsaBackend backend(o);
    ASSERT_EQ(backend.devices().back().uid, "null");
    RenderProbe probe;
    auto stream = backend.openOutput("null", {}, probe);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->config().channels, 2u);
    const std::uint64_t allocations = renderThreadAllocations();
    ASSERT_TRUE(stream->start());
    ASSERT_TRUE(probe.waitForFrames(1024));
    stream->stop();
    const std::uint64_t rendered = probe.frames.load();
    ASSERT_TRUE(stream->start()) << "a stopped stream starts again";
    ASSERT_TRUE(probe.waitForFrames(rendered + 1024));
    stream->stop();
    EXPECT_TRUE(probe.contiguous.load());
    EXPECT_EQ(renderThreadAllocations(), allocations);
}

TEST_F(AlsaFilePcm, RescanWithoutChangeTellsNobody) {
    class Count : public AudioBackendListener {
    public:
        void deviceListChanged() override { ++lists; }
        void defaultOutputChanged() override {}
        void deviceDied(const std::string&) override {}
        void deviceOverloaded(const std::string&) override {}
        void sampleRateChanged(const std::string&) override {}
        int lists = 0;
    } count;
    AlsaBackend backend(options());
    backend.setListener(&count);
    backend.rescan();
    EXPECT_EQ(count.lists, 0);
    backend.setListener(nullptr);
}

TEST_F(AlsaFilePcm, UnknownDevicesAndBadConfigurationFailClearly) {
    CapturingLogSink log;
    AlsaBackend::Options o = options();
    o.extraDefinitions = "pcm.broken { type";
    o.extraPcms = {"broken"};
    AlsaBackend backend(o);
    ASSERT_FALSE(log.lines().empty());
    EXPECT_EQ(log.lines()[0].rfind("Error: the extra ALSA configuration does not parse", 0), 0u);
    RenderProbe probe;
    EXPECT_FALSE(backend.openOutput("hw:CARD=Missing,DEV=0", {}, probe));
    EXPECT_EQ(log.lines().back(), "Error: ALSA lists no device hw:CARD=Missing,DEV=0");
}

TEST(AlsaEnumeration, CardsOpenThroughTheConverter) {
    EXPECT_EQ(alsaPcmNameForUID("hw:CARD=PCH,DEV=3"), "plughw:CARD=PCH,DEV=3");
    EXPECT_EQ(alsaPcmNameForUID("default"), "default");
    AudioDeviceInfo a, b;
    a.uid = "x";
    b.uid = "x";
    b.name = "other";
    EXPECT_TRUE(sameDeviceUIDs({a}, {b}));
    EXPECT_FALSE(sameDeviceUIDs({a}, {a, b}));
}

// A sound server's PCM takes any count up to its own limit; listed with
// that limit, a show would play into channels no output has (PipeWire mixes
// 64 channels of unknown position into a stereo sink as silence).
TEST(AlsaEnumeration, ANamedPcmThatTakesTwoChannelsIsStereoAndACardKeepsItsCount) {
    EXPECT_EQ(alsaListedChannels(1, 64, false), 2u) << "PipeWire's default";
    EXPECT_EQ(alsaListedChannels(1, 32, false), 2u) << "PulseAudio's default";
    EXPECT_EQ(alsaListedChannels(1, 10000, false), 2u) << "plug";
    EXPECT_EQ(alsaListedChannels(2, 2, false), 2u) << "dmix";
    EXPECT_EQ(alsaListedChannels(6, 6, false), 6u) << "a named route to six outputs";
    EXPECT_EQ(alsaListedChannels(1, 1, false), 1u);
    EXPECT_EQ(alsaListedChannels(2, 8, true), 8u) << "a card's surround outputs";
    EXPECT_EQ(alsaListedChannels(18, 18, true), 18u) << "an interface's outputs";
    EXPECT_EQ(alsaListedChannels(1, 64, true), 64u) << "a card of 64 outputs";
    EXPECT_EQ(alsaListedChannels(1, 10000, true), 2u) << "a card behind a converter";
}

// A user's PONDRA_BUFFER_FRAMES sets the buffer ALSA devices open at; what
// is not a plain frame count in range leaves the 512 frames.
TEST(AlsaEnumeration, TheUsersBufferSizeComesFromTheEnvironmentText) {
    EXPECT_EQ(bufferFramesFromText(nullptr), 512u);
    EXPECT_EQ(bufferFramesFromText("256"), 256u);
    EXPECT_EQ(bufferFramesFromText("128"), 128u);
    EXPECT_EQ(bufferFramesFromText("16"), 16u);
    EXPECT_EQ(bufferFramesFromText("8192"), 8192u);
    for (const char* text : {"", "8", "8193", "-256", "+256", " 256", "256 ", "256k", "0x100"}) {
        EXPECT_EQ(bufferFramesFromText(text), 512u) << text;
    }
}

TEST(AlsaConfiguration, LibraryChatterBecomesTraceLines) {
    AlsaConfiguration::routeLibraryErrorsToLog();
    AlsaConfiguration configuration;
    snd_pcm_t* pcm = nullptr;
    {
        CapturingLogSink log;
        EXPECT_LT(configuration.openPlayback(&pcm, "pondra-no-such-pcm", true), 0);
        EXPECT_TRUE(log.lines().empty()) << "silent below the trace level";
    }
    const int level = KivEnvironment::logLevel();
    KivEnvironment::setLogLevel(3);
    CapturingLogSink log;
    EXPECT_LT(configuration.openPlayback(&pcm, "pondra-no-such-pcm", true), 0);
    KivEnvironment::setLogLevel(level);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].rfind("ALSA lib ", 0), 0u) << log.lines()[0];
    EXPECT_NE(log.lines()[0].find("pondra-no-such-pcm"), std::string::npos) << log.lines()[0];
}

TEST(AlsaBackendMonitor, StartsAndStopsWithoutCards) {
    CapturingLogSink log;
    {
        AlsaBackend backend;
        (void)backend.devices();
    }
    for (const auto& line : log.lines()) {
        EXPECT_NE(line.rfind("Error", 0), 0u) << line;
    }
}

// One PCM per device: a second opener joins the first one's stream, and the
// file shows the two summed for exactly the cycles both ran.
TEST_F(AlsaFilePcm, OpenersOfOneDeviceShareOneStream) {
    AlsaBackend backend(options());
    RenderProbe first;
    RenderProbe second;
    {
        auto a = backend.openOutput("pondratest", AudioStreamConfig{44100.0, 2, 256, true}, first);
        auto b =
            backend.openOutput("pondratest", AudioStreamConfig{48000.0, 2, 128, false}, second);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(b->config().sampleRate, 44100.0) << "the first opener's format holds";
        EXPECT_TRUE(b->config().interleaved);
        ASSERT_TRUE(a->start());
        ASSERT_TRUE(first.waitForFrames(1024));
        ASSERT_TRUE(b->start());
        ASSERT_TRUE(second.waitForFrames(1024));
        b->stop();
        EXPECT_FALSE(b->isRunning());
        EXPECT_TRUE(a->isRunning()) << "the other member keeps the stream";
        const std::uint64_t rendered = first.frames.load();
        ASSERT_TRUE(first.waitForFrames(rendered + 1024));
        a->stop();
    }
    EXPECT_TRUE(first.contiguous.load());
    const WavFile wav = WavFile::read(path);
    ASSERT_TRUE(wav.valid);
    const std::size_t frames = wav.data.size() / 8;
    ASSERT_EQ(frames, first.frames.load());
    std::uint64_t doubled = 0;
    int runs = 0;
    bool previous = false;
    for (std::size_t f = 0; f < frames; ++f) {
        const float single = RenderProbe::expected(f, 0);
        const float sample = wav.sample(f * 2);
        ASSERT_TRUE(sample == single || sample == 2.0f * single) << "frame " << f;
        // The staircase's zero (once every 65536 frames, a cycle's last
        // frame) cannot tell; it belongs to the cycle it ends.
        const bool both = single == 0.0f ? previous : sample == 2.0f * single;
        doubled += both;
        runs += both && !previous;
        previous = both;
    }
    EXPECT_EQ(doubled, second.frames.load());
    EXPECT_EQ(runs, 1);

    // The last member closed the PCM; the device opens afresh.
    auto again = backend.openOutput("pondratest", AudioStreamConfig{48000.0, 2, 128, true}, second);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->config().sampleRate, 48000.0);
}

namespace {

// Counts cycles and wakes a waiting test without a lock of its own, so the
// render thread's locks are the stream's alone.
class CycleCounter : public AudioRenderCallback {
public:
    void render(const AudioRenderTime&, const AudioOutputBuffer&) noexcept override {
        cycles.fetch_add(1);
        cycles.notify_all();
    }
    void waitForCycles(int count) {
        for (int seen = cycles.load(); seen < count; seen = cycles.load()) {
            cycles.wait(seen);
        }
    }
    std::atomic<int> cycles{0};
};

} // namespace

// Members join, start, stop and leave while the stream renders: the render
// thread takes no lock a joining control thread could hold it up with, and
// allocates nothing.
TEST_F(AlsaFilePcm, MembersComeAndGoWithoutTheRenderThreadWaiting) {
    AlsaConfiguration configuration(definitions);
    auto shared = AlsaSharedStream::open(configuration, "pondratest",
                                         AudioStreamConfig{44100.0, 2, 256, true}, nullptr);
    ASSERT_TRUE(shared);
    CycleCounter steady;
    CycleCounter visiting;
    auto member = shared->join(steady);
    const auto locks = renderThreadBlockingLocks();
    const auto allocations = renderThreadAllocations();
    ASSERT_TRUE(member->start());
    for (int i = 0; i < 200; ++i) {
        auto visitor = shared->join(visiting);
        if (i % 2) {
            ASSERT_TRUE(visitor->start());
        }
    }
    auto visitor = shared->join(visiting);
    ASSERT_TRUE(visitor->start());
    visiting.waitForCycles(8);
    visitor.reset();
    member->stop();
    member.reset();
    if (renderThreadLocksAreSeen()) {
        EXPECT_EQ(renderThreadBlockingLocks(), locks);
    }
    EXPECT_EQ(renderThreadAllocations(), allocations);
}

#include "audio/core/KivAudioStreamDescription.h"

#include <gtest/gtest.h>

TEST(KivAudioStreamDescription, DefaultIsTheEnginesNonInterleavedFloatFormat) {
    const KivAudioStreamDescription d;
    EXPECT_EQ(d.sampleRate(), 44100.0);
    EXPECT_EQ(d.format(), kivFourCharCode("lpcm"));
    EXPECT_EQ(d.flags(), 41u);
    EXPECT_EQ(d.bytesPerPacket(), 4u);
    EXPECT_EQ(d.framesPerPacket(), 1u);
    EXPECT_EQ(d.bytesPerFrame(), 4u);
    EXPECT_EQ(d.channels(), 1u);
    EXPECT_EQ(d.bitsPerChannel(), 32u);
    EXPECT_EQ(d.streamDescription().mReserved, 0u);
    EXPECT_FALSE(d.isInterleaved());
    EXPECT_TRUE(d.isLinearPCMFormat());
    EXPECT_FALSE(d.isCanonicalFormat());
}

TEST(KivAudioStreamDescription, SettersRenormaliseByteCountsByInterleaving) {
    KivAudioStreamDescription d;
    d.setChannels(2);
    EXPECT_EQ(d.bytesPerFrame(), 4u) << "one buffer per channel keeps 4 bytes per frame";
    EXPECT_EQ(d.bytesPerPacket(), 4u);

    d.setFlags(9);
    d.setChannels(2);
    EXPECT_TRUE(d.isInterleaved());
    EXPECT_TRUE(d.isCanonicalFormat());
    EXPECT_EQ(d.bytesPerFrame(), 8u);
    EXPECT_EQ(d.bytesPerPacket(), 8u);

    d.setBitsPerChannel(16);
    EXPECT_EQ(d.bytesPerFrame(), 4u);
    EXPECT_EQ(d.framesPerPacket(), 1u) << "frames per packet never changes";

    d.setBytesPerFrame(99);
    EXPECT_EQ(d.bytesPerFrame(), 99u) << "plain setters store only";
    EXPECT_EQ(d.bytesPerPacket(), 4u);
}

TEST(KivAudioStreamDescription, RateAndChannelsConstructor) {
    const auto d = KivAudioStreamDescription::descriptionWithRate(48000.0, 48);
    EXPECT_EQ(d.sampleRate(), 48000.0);
    EXPECT_EQ(d.channels(), 48u);
    EXPECT_EQ(d.bytesPerFrame(), 4u);
}

TEST(KivAudioStreamDescription, EqualityIgnoresReservedAndTreatsMissingAsZero) {
    KivStreamBasicDescription record = KivAudioStreamDescription().streamDescription();
    record.mReserved = 7;
    const KivAudioStreamDescription a;
    const KivAudioStreamDescription b(record);
    EXPECT_TRUE(a == b);

    KivAudioStreamDescription c;
    c.setSampleRate(44100.5);
    EXPECT_FALSE(a == c);

    EXPECT_FALSE(a.isEqualToDescription(nullptr));
    KivAudioStreamDescription zero;
    zero.clear();
    EXPECT_TRUE(zero.isEqualToDescription(nullptr));
}

TEST(KivAudioStreamDescription, RecordIsReachableInPlace) {
    KivAudioStreamDescription d;
    d.streamDescriptionPtr()->mChannelsPerFrame = 6;
    EXPECT_EQ(d.channels(), 6u);
    EXPECT_EQ(d.bytesPerFrame(), 4u) << "writing the record in place does not renormalise";
}

TEST(KivAudioStreamDescription, DebugTextAndFormatNames) {
    KivAudioStreamDescription d;
    d.setChannels(2);
    const std::string text = d.debugDescription();
    EXPECT_EQ(text.rfind("[ 44100.00 hz | 2 channel | 32 bit | '", 0), 0u) << text;
    EXPECT_NE(text.find("-Linear-PCM | 4 bytes per packet | 1 frames per packet | 4 bytes per "
                        "frame | Non-interleaved ]"),
              std::string::npos)
        << text;

    d.setFormat(kivFourCharCode("aacp"));
    EXPECT_EQ(d.humanFormat(), "MEPG4-AAC_HE_V2");
    d.setFormat(0x6D730011);
    EXPECT_EQ(d.humanFormat(), "DVIIntelIMA");
    d.setFormat(kivFourCharCode("zzzz"));
    EXPECT_EQ(d.humanFormat(), "Unknown");
    d.setFormat(0x01020300);
    EXPECT_EQ(d.debugDescription().find('\x01'), std::string::npos)
        << "control bytes of a code never reach the text";
}

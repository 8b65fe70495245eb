#include "platform/audiofile/FfmpegLog.h"

#include "foundation/KivEnvironment.h"
#include "support/CapturingLogSink.h"

extern "C" {
#include <libavutil/log.h>
}

#include <gtest/gtest.h>

namespace {

class FfmpegLog : public ::testing::Test {
protected:
    void SetUp() override {
        _savedLevel = KivEnvironment::logLevel();
        routeFfmpegLogToKivLog();
    }
    void TearDown() override { KivEnvironment::setLogLevel(_savedLevel); }

    int _savedLevel = 0;
};

TEST_F(FfmpegLog, ErrorsReachOurLogFromLevelOne) {
    CapturingLogSink log;
    KivEnvironment::setLogLevel(0);
    av_log(nullptr, AV_LOG_ERROR, "quiet %d\n", 1);
    KivEnvironment::setLogLevel(1);
    av_log(nullptr, AV_LOG_ERROR, "broken packet %d\n", 7);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "FFmpeg: broken packet 7");
}

TEST_F(FfmpegLog, WarningsAreTracesAndChatterIsDropped) {
    CapturingLogSink log;
    KivEnvironment::setLogLevel(2);
    av_log(nullptr, AV_LOG_WARNING, "guessing\n");
    KivEnvironment::setLogLevel(3);
    av_log(nullptr, AV_LOG_INFO, "stream info\n");
    av_log(nullptr, AV_LOG_WARNING, "estimating ");
    av_log(nullptr, AV_LOG_WARNING, "duration\n");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0], "FFmpeg: estimating duration");
}

} // namespace

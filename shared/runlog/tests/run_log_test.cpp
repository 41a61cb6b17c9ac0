#include "runlog/RunLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <string>

namespace {

using vl2::RunLog;

std::string text(const RunLog& log, int channel)
{
    const char* t = log.channelText(channel);
    return t != nullptr ? std::string(t, log.channelLength(channel)) : std::string("<none>");
}

TEST(RunLog, ChannelsAccumulateSeparatelyAndEchoUnchanged)
{
    RunLog log;
    testing::internal::CaptureStdout();
    log.logMessage(0, "exporting '%s'\n", "Particle");
    log.logMessage(1, "warn %d", 1);
    log.logMessage(2, "err\n");
    log.logMessage(1, " and %d\n", 2);
    log.logMessage(3, "%5.2f|", 3.14159);
    const std::string echoed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(text(log, 0), "exporting 'Particle'\n");
    EXPECT_EQ(text(log, 1), "warn 1 and 2\n");
    EXPECT_EQ(text(log, 2), "err\n");
    EXPECT_EQ(text(log, 3), " 3.14|");
    // Echo in call order, nothing added (no prefixes, no line breaks).
    EXPECT_EQ(echoed, "exporting 'Particle'\nwarn 1err\n and 2\n 3.14|");
}

TEST(RunLog, ChannelWithoutMessagesHasNoText)
{
    RunLog log;
    for (int channel = 0; channel < RunLog::kChannelCount; ++channel) {
        EXPECT_EQ(log.channelText(channel), nullptr) << channel;
        EXPECT_EQ(log.channelLength(channel), 0u);
    }
    log.setEchoStream(nullptr);
    log.logMessage(1, "x");
    EXPECT_EQ(log.channelText(0), nullptr);
    EXPECT_STREQ(log.channelText(1), "x");
}

TEST(RunLog, LongMessagesAreCutAt255Characters)
{
    struct Case {
        std::size_t length;
        std::size_t kept;
    };
    const Case cases[] = {{254, 254}, {255, 255}, {256, 255}, {300, 255}, {5000, 255}};
    for (const Case& c : cases) {
        RunLog log;
        std::string message;
        for (std::size_t i = 0; i < c.length; ++i)
            message += static_cast<char>('a' + i % 26);
        testing::internal::CaptureStdout();
        log.logMessage(1, "%s", message.c_str());
        const std::string echoed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(text(log, 1), message.substr(0, c.kept)) << c.length;
        EXPECT_EQ(echoed, message.substr(0, c.kept)) << c.length;
    }
}

TEST(RunLog, CutAppliesPerMessageNotPerChannel)
{
    RunLog log;
    log.setEchoStream(nullptr);
    const std::string chunk(200, 'q');
    log.logMessage(2, "%s", chunk.c_str());
    log.logMessage(2, "%s", chunk.c_str());
    EXPECT_EQ(log.channelLength(2), 400u);
}

TEST(RunLog, SwitchedOffChannelDropsMessagesUntilSwitchedOn)
{
    RunLog log;
    EXPECT_TRUE(log.channelEnabled(0));
    log.setChannelEnabled(0, false);
    testing::internal::CaptureStdout();
    log.logMessage(0, "hidden\n");
    log.logMessage(1, "shown\n");
    log.setChannelEnabled(0, true);
    log.logMessage(0, "back\n");
    const std::string echoed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(text(log, 0), "back\n");
    EXPECT_EQ(echoed, "shown\nback\n");
}

TEST(RunLog, ResetForgetsTextsButKeepsSwitches)
{
    RunLog log;
    log.setEchoStream(nullptr);
    log.setChannelEnabled(3, false);
    log.logMessage(1, "old warning\n");
    log.resetLog();
    EXPECT_EQ(log.channelText(1), nullptr);
    EXPECT_FALSE(log.channelEnabled(3));
    log.logMessage(1, "new\n");
    log.logMessage(3, "dropped\n");
    EXPECT_EQ(text(log, 1), "new\n");
    EXPECT_EQ(log.channelText(3), nullptr);
    log.releaseLog();
    EXPECT_EQ(log.channelText(1), nullptr);
    log.logMessage(1, "after release\n");
    EXPECT_EQ(text(log, 1), "after release\n");
}

TEST(RunLog, ChannelNumbersOutsideRangeDoNothing)
{
    RunLog log;
    testing::internal::CaptureStdout();
    for (int channel : {-1, 4, 100}) {
        log.logMessage(channel, "nowhere\n");
        log.setChannelEnabled(channel, false);
        EXPECT_EQ(log.channelText(channel), nullptr);
        EXPECT_FALSE(log.channelEnabled(channel));
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    for (int channel = 0; channel < RunLog::kChannelCount; ++channel) {
        EXPECT_TRUE(log.channelEnabled(channel));
        EXPECT_EQ(log.channelText(channel), nullptr);
    }
}

TEST(RunLog, EchoIsFlushedAtOnce)
{
    // A second process reading our output must see each message when logged;
    // check through a pipe that the bytes arrive before any later flush.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(fcntl(fds[0], F_SETFL, O_NONBLOCK), 0); // unflushed bytes must not hang the test
    std::FILE* writer = fdopen(fds[1], "w");
    ASSERT_NE(writer, nullptr);
    setvbuf(writer, nullptr, _IOFBF, 1 << 16); // fully buffered unless flushed
    RunLog log;
    log.setEchoStream(writer);
    log.logMessage(0, "progress %d%%\n", 50);
    char buf[64] = {};
    const ssize_t n = read(fds[0], buf, sizeof buf - 1);
    std::fclose(writer);
    close(fds[0]);
    ASSERT_GT(n, 0);
    EXPECT_STREQ(buf, "progress 50%\n");
}

TEST(RunLog, ModuleLogServesTheShorthands)
{
    vl2::resetLog();
    testing::internal::CaptureStdout();
    vl2::logMessage(2, "unknown meshformat '%d'\n", 2);
    vl2::setChannelEnabled(0, false);
    vl2::logMessage(0, "quiet\n");
    vl2::setChannelEnabled(0, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "unknown meshformat '2'\n");
    EXPECT_STREQ(vl2::channelText(2), "unknown meshformat '2'\n");
    EXPECT_EQ(vl2::channelText(0), nullptr);
    EXPECT_EQ(&vl2::runLog(), &vl2::runLog());
    vl2::releaseLog();
    EXPECT_EQ(vl2::channelText(2), nullptr);
}

} // namespace

#pragma once
// Run log of an export: four message channels, each accumulating its text for
// the current export and echoing every message to standard output.
//
//   0  progress and information
//   1  warnings   (ends up in the WARN chunk and the error-log procedure)
//   2  errors     (ends up in the ERRR chunk and the error-log procedure)
//   3  unused by the exporter
//
// Messages are printf-formatted and cut at 255 characters. Nothing is added to
// them: callers supply their own line breaks.

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>

namespace vl2 {

class RunLog {
public:
    static constexpr int kChannelCount = 4;
    static constexpr std::size_t kMaxMessageLength = 255;

    RunLog();

    // Formats, stores and echoes one message; a switched-off channel or a
    // channel number outside 0..3 drops it.
    void logMessage(int channel, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    void logMessageV(int channel, const char* format, va_list args);

    void setChannelEnabled(int channel, bool on);
    bool channelEnabled(int channel) const;

    // The accumulated text, or nullptr when the channel holds none (nothing
    // logged since the last reset, or a number outside 0..3).
    const char* channelText(int channel) const;
    std::size_t channelLength(int channel) const;

    // Start of an export: forget every channel's text (switches are kept).
    void resetLog();
    // End of an export: forget the texts and give their storage back.
    void releaseLog();

    // Where messages are echoed; standard output unless a caller (a test)
    // redirects it. nullptr turns the echo off.
    void setEchoStream(std::FILE* stream) { echo_ = stream; }
    std::FILE* echoStream() const { return echo_; }

private:
    static bool validChannel(int channel) { return channel >= 0 && channel < kChannelCount; }

    std::string text_[kChannelCount];
    bool enabled_[kChannelCount];
    std::FILE* echo_;
};

// The module's run log. Each plug-in module links its own copy, so each has
// its own channels and switches, kept for as long as the module is loaded.
RunLog& runLog();

// Shorthands on the module's run log.
void logMessage(int channel, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void setChannelEnabled(int channel, bool on);
const char* channelText(int channel);
void resetLog();
void releaseLog();

} // namespace vl2

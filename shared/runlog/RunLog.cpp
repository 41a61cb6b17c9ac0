#include "runlog/RunLog.h"

namespace vl2 {

RunLog::RunLog() : echo_(stdout)
{
    for (bool& on : enabled_)
        on = true;
}

void RunLog::logMessage(int channel, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    logMessageV(channel, format, args);
    va_end(args);
}

void RunLog::logMessageV(int channel, const char* format, va_list args)
{
    if (!validChannel(channel) || !enabled_[channel] || format == nullptr)
        return;
    char buffer[kMaxMessageLength + 1];
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0)
        return; // encoding error: there is no text to keep
    std::size_t length = static_cast<std::size_t>(written);
    if (length > kMaxMessageLength)
        length = kMaxMessageLength;
    text_[channel].append(buffer, length);
    if (echo_ != nullptr) {
        std::fwrite(buffer, 1, length, echo_);
        std::fflush(echo_);
    }
}

void RunLog::setChannelEnabled(int channel, bool on)
{
    if (validChannel(channel))
        enabled_[channel] = on;
}

bool RunLog::channelEnabled(int channel) const
{
    return validChannel(channel) && enabled_[channel];
}

const char* RunLog::channelText(int channel) const
{
    if (!validChannel(channel) || text_[channel].empty())
        return nullptr;
    return text_[channel].c_str();
}

std::size_t RunLog::channelLength(int channel) const
{
    return validChannel(channel) ? text_[channel].size() : 0;
}

void RunLog::resetLog()
{
    for (std::string& text : text_)
        text.clear();
}

void RunLog::releaseLog()
{
    for (std::string& text : text_)
        std::string().swap(text);
}

RunLog& runLog()
{
    static RunLog log;
    return log;
}

void logMessage(int channel, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    runLog().logMessageV(channel, format, args);
    va_end(args);
}

void setChannelEnabled(int channel, bool on) { runLog().setChannelEnabled(channel, on); }
const char* channelText(int channel) { return runLog().channelText(channel); }
void resetLog() { runLog().resetLog(); }
void releaseLog() { runLog().releaseLog(); }

} // namespace vl2

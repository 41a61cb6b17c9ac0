// Decoders of the standard chunks and the INFO form.
#include "chunkread/Decoders.h"

namespace vl2::chunkread::decoders {

void version(DecodeContext& ctx)
{
    ctx.fields().add("version", Value::integer(ctx.in.u32("version")));
}

void name(DecodeContext& ctx)
{
    ctx.fields().add("name", Value::string(ctx.in.chars(ctx.in.remaining())));
}

void badData(DecodeContext& ctx)
{
    ctx.fields().add("text", Value::string(ctx.in.chars(ctx.in.remaining())));
}

// WARN and ERRR: a 32-bit length, then the characters.
void messageText(DecodeContext& ctx)
{
    const std::uint64_t start = ctx.in.fileOffset();
    const std::uint32_t length = ctx.in.u32("text length");
    if (length != ctx.in.remaining())
        throw DecodeError(start, "text length " + std::to_string(length) + " does not match the " +
                                     std::to_string(ctx.in.remaining()) + " byte(s) that follow");
    ctx.fields().add("length", Value::integer(length));
    ctx.fields().add("text", Value::string(ctx.in.chars(length, "text")));
}

// OWNR: the user-name service's count (terminator included), then the bytes.
void owner(DecodeContext& ctx)
{
    const std::uint64_t start = ctx.in.fileOffset();
    const std::uint32_t count = ctx.in.u32("user name count");
    if (count > ctx.in.remaining())
        throw DecodeError(start, "user name count " + std::to_string(count) + " exceeds the " +
                                     std::to_string(ctx.in.remaining()) + " byte(s) that follow");
    std::string user = ctx.in.chars(count, "user name");
    if (!user.empty()) {
        if (user.back() != '\0')
            throw DecodeError(ctx.in.fileOffset() - 1, "user name is not terminated by a zero byte");
        user.pop_back();
    }
    ctx.fields().add("count", Value::integer(count));
    ctx.fields().add("user", Value::string(std::move(user)));
}

} // namespace vl2::chunkread::decoders

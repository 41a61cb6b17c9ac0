#include "chunkread/Decoders.h"

#include <cstring>

namespace vl2::chunkread {

void ByteCursor::need(std::uint64_t bytes, const char* what) const
{
    if (bytes > remaining())
        throw DecodeError(fileOffset(), std::string(what) + " needs " + std::to_string(bytes) + " byte(s), only " +
                                            std::to_string(remaining()) + " left in the chunk");
}

void ByteCursor::needItems(std::uint64_t count, std::uint64_t bytesEach, const char* what) const
{
    // count * bytesEach without overflow: compare by division.
    if (bytesEach != 0 && count > remaining() / bytesEach)
        throw DecodeError(fileOffset(), std::string(what) + ": count " + std::to_string(count) + " of " +
                                            std::to_string(bytesEach) + " byte(s) each does not fit the " +
                                            std::to_string(remaining()) + " byte(s) left in the chunk");
}

std::uint8_t ByteCursor::u8(const char* what)
{
    need(1, what);
    return data_[pos_++];
}

std::uint16_t ByteCursor::u16(const char* what)
{
    need(2, what);
    const std::uint16_t v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

std::uint32_t ByteCursor::u32(const char* what)
{
    need(4, what);
    const std::uint8_t* p = data_ + pos_;
    pos_ += 4;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

float ByteCursor::f32(const char* what)
{
    const std::uint32_t bits = u32(what);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::string ByteCursor::chars(std::uint64_t count, const char* what)
{
    need(count, what);
    std::string text(reinterpret_cast<const char*>(data_ + pos_), static_cast<std::size_t>(count));
    pos_ += count;
    return text;
}

std::string ByteCursor::string(const char* what)
{
    const std::uint64_t start = fileOffset();
    const std::uint32_t length = u32(what);
    if (length > remaining())
        throw DecodeError(start, std::string(what) + " declares length " + std::to_string(length) + " but only " +
                                     std::to_string(remaining()) + " byte(s) follow in the chunk");
    return chars(length, what);
}

void ByteCursor::skip(std::uint64_t count, const char* what)
{
    need(count, what);
    pos_ += count;
}

} // namespace vl2::chunkread

#include "chunk/ChunkWriter.h"

#include <cerrno>
#include <cstring>
#include <limits>

#include <sys/types.h>

namespace vl2 {

namespace {

std::string systemError(const char* what)
{
    const int err = errno;
    std::string text = what;
    if (err != 0) {
        text += ": ";
        text += std::strerror(err);
    }
    return text;
}

} // namespace

ChunkWriter::~ChunkWriter()
{
    if (file_ != nullptr)
        closeFile();
}

bool ChunkWriter::openFile(const char* path)
{
    if (path == nullptr)
        return false;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    if (file_ != nullptr)
        closeFile();
    file_ = file;
    depth_ = 0;
    failed_ = false;
    error_.clear();
    return true;
}

void ChunkWriter::fail(const std::string& what)
{
    if (!failed_)
        error_ = what;
    failed_ = true;
}

bool ChunkWriter::writeRaw(const void* data, std::size_t size)
{
    if (file_ == nullptr)
        return false;
    if (size == 0)
        return !failed_;
    errno = 0;
    if (std::fwrite(data, 1, size, file_) != size) {
        fail(systemError("write failed"));
        return false;
    }
    return !failed_;
}

bool ChunkWriter::writeBigEndian32(std::uint32_t value, std::FILE* stream)
{
    if (stream == nullptr)
        return false;
    bool ok = true;
    for (int shift = 24; shift >= 0; shift -= 8)
        ok = std::fputc(static_cast<int>((value >> shift) & 0xFFu), stream) != EOF && ok;
    return ok;
}

bool ChunkWriter::header32(std::uint32_t value)
{
    errno = 0;
    if (!writeBigEndian32(value, file_)) {
        fail(systemError("write failed"));
        return false;
    }
    return true;
}

int ChunkWriter::beginChunk(std::uint32_t type, std::uint32_t id, std::uint32_t version)
{
    if (file_ == nullptr)
        return 0;
    if (stack_.size() <= static_cast<std::size_t>(depth_))
        stack_.resize(static_cast<std::size_t>(depth_) + 1);
    ChunkRecord& record = stack_[static_cast<std::size_t>(depth_)];
    const off_t here = ftello(file_);
    // Offsets are 32-bit in the format: a file past 4 GiB cannot be described.
    if (here < 0)
        fail(systemError("cannot read file position"));
    else if (static_cast<std::uint64_t>(here) + 8 > std::numeric_limits<std::uint32_t>::max())
        fail("file too large for 32-bit chunk offsets");
    record.id = id;
    record.type = (type == kFormChunk || type == kNrmlChunk) ? type : kPlainChunk;
    record.dataStart = here < 0 ? 0 : static_cast<std::uint32_t>(here + 8);
    if (record.type != kPlainChunk) {
        header32(record.type);
        header32(0);
        header32(id);
        if (record.type == kNrmlChunk)
            header32(version);
    } else {
        header32(id);
        header32(0);
    }
    return ++depth_;
}

bool ChunkWriter::writeBytes(const void* data, std::size_t elementSize, std::size_t count)
{
    if (file_ == nullptr)
        return false;
    if (elementSize != 0 && count > std::numeric_limits<std::size_t>::max() / elementSize) {
        fail("write too large");
        return false;
    }
    const std::size_t size = elementSize * count;
    if (size != 0 && data == nullptr) {
        fail("write from a null buffer");
        return false;
    }
    return writeRaw(data, size);
}

bool ChunkWriter::writeUInt32(std::uint32_t value)
{
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return writeRaw(bytes, sizeof bytes);
}

bool ChunkWriter::writeUInt16(std::uint16_t value)
{
    const unsigned char bytes[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    return writeRaw(bytes, sizeof bytes);
}

bool ChunkWriter::writeUInt8(std::uint8_t value)
{
    return writeRaw(&value, 1);
}

bool ChunkWriter::writeFloat(float value)
{
    static_assert(sizeof(float) == 4, "IEEE 754 single precision expected");
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return writeUInt32(bits);
}

bool ChunkWriter::writeString(const char* text)
{
    if (file_ == nullptr)
        return false;
    const std::size_t length = text == nullptr ? 0 : std::strlen(text);
    if (length > std::numeric_limits<std::uint32_t>::max()) {
        fail("text too long for a 32-bit length");
        return false;
    }
    const bool ok = writeUInt32(static_cast<std::uint32_t>(length));
    return writeRaw(text, length) && ok;
}

bool ChunkWriter::writeString(const std::string& text)
{
    if (file_ == nullptr)
        return false;
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        fail("text too long for a 32-bit length");
        return false;
    }
    const bool ok = writeUInt32(static_cast<std::uint32_t>(text.size()));
    return writeRaw(text.data(), text.size()) && ok;
}

std::uint32_t ChunkWriter::endChunk()
{
    if (depth_ == 0 || file_ == nullptr)
        return 0;
    --depth_;
    const ChunkRecord& record = stack_[static_cast<std::size_t>(depth_)];
    errno = 0;
    const off_t end = ftello(file_);
    if (end < 0) {
        fail(systemError("cannot read file position"));
        return record.id;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(end) - record.dataStart;
    if (static_cast<std::uint64_t>(end) < record.dataStart || size > std::numeric_limits<std::uint32_t>::max()) {
        fail("chunk too large for a 32-bit size");
        return record.id;
    }
    if (fseeko(file_, static_cast<off_t>(record.dataStart) - 4, SEEK_SET) != 0) {
        fail(systemError("seek failed"));
        return record.id;
    }
    header32(static_cast<std::uint32_t>(size));
    errno = 0;
    if (fseeko(file_, end, SEEK_SET) != 0)
        fail(systemError("seek failed"));
    return record.id;
}

bool ChunkWriter::closeFile()
{
    if (file_ == nullptr)
        return false;
    const bool balanced = depth_ == 0;
    if (!balanced)
        fail("file closed with " + std::to_string(depth_) + " chunk(s) still open");
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_) != 0)
        fail(systemError("write failed"));
    errno = 0;
    if (std::fclose(file_) != 0)
        fail(systemError("close failed"));
    file_ = nullptr;
    stack_.clear();
    stack_.shrink_to_fit();
    depth_ = 0;
    return !failed_;
}

} // namespace vl2

#pragma once
// Writer of the chunk container shared by every binary file of the tool set.
//
// A file is a sequence of chunks without a file header. Chunk headers are
// big-endian; contents are little-endian. Three kinds:
//   FORM   "FORM" size id           size counts id + contents
//   NRML   "NRML" size id version   size counts id + version + contents
//   plain  id size                  size counts contents only
// Sizes are written as 0 when a chunk opens and patched when it closes.
//
// Beyond the C stream's own silence, every write and seek is checked: a
// failure sticks (failed()), the write calls return false and closeFile()
// reports it, so a truncated file is never mistaken for a finished one.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vl2 {

// Four characters as one number, first character in the most significant byte.
constexpr std::uint32_t fourCC(const char (&id)[5])
{
    return (std::uint32_t(std::uint8_t(id[0])) << 24) | (std::uint32_t(std::uint8_t(id[1])) << 16) |
           (std::uint32_t(std::uint8_t(id[2])) << 8) | std::uint32_t(std::uint8_t(id[3]));
}

constexpr std::uint32_t kFormChunk = fourCC("FORM");
constexpr std::uint32_t kNrmlChunk = fourCC("NRML");
constexpr std::uint32_t kPlainChunk = 0;

struct ChunkRecord {
    std::uint32_t id = 0;
    std::uint32_t type = 0;      // kFormChunk, kNrmlChunk or kPlainChunk
    std::uint32_t dataStart = 0; // file offset just behind the size field
};

class ChunkWriter {
public:
    ChunkWriter() = default;
    ~ChunkWriter();
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // Opens (truncating) for binary writing. False when the file cannot be
    // opened; the writer is then left as it was.
    bool openFile(const char* path);
    bool openFile(const std::string& path) { return openFile(path.c_str()); }
    bool isOpen() const { return file_ != nullptr; }

    // Opens a chunk of the kind named by the type word ("FORM", "NRML",
    // anything else = plain); the version is written for NRML only.
    // Returns the new depth, or 0 when no file is open (nothing is pushed).
    int beginChunk(std::uint32_t type, std::uint32_t id, std::uint32_t version = 0);
    int beginPlainChunk(std::uint32_t id) { return beginChunk(kPlainChunk, id, 0); }
    int beginForm(std::uint32_t id) { return beginChunk(kFormChunk, id, 0); }
    int beginNrml(std::uint32_t id, std::uint32_t version) { return beginChunk(kNrmlChunk, id, version); }

    // Contents. Each returns false when no file is open or the write failed.
    bool writeBytes(const void* data, std::size_t elementSize, std::size_t count);
    bool writeUInt32(std::uint32_t value);
    bool writeInt32(std::int32_t value) { return writeUInt32(static_cast<std::uint32_t>(value)); }
    bool writeUInt16(std::uint16_t value);
    bool writeUInt8(std::uint8_t value);
    bool writeFloat(float value);
    // 32-bit length, then the characters without terminator; nullptr writes
    // a 0 length, the same bytes as an empty text.
    bool writeString(const char* text);
    bool writeString(const std::string& text);

    // Closes the innermost chunk and patches its size. Returns its identifier,
    // or 0 (doing nothing) when no chunk is open.
    std::uint32_t endChunk();

    // Closes the stream and discards the stack; chunks still open keep a size
    // of 0. True only when the file was open, every write, seek and the final
    // flush succeeded and no chunk was left open.
    bool closeFile();

    int depth() const { return depth_; }
    // True once any write or seek failed since openFile.
    bool failed() const { return failed_; }
    // What went wrong first, empty when nothing did.
    const std::string& errorText() const { return error_; }

    // Most significant byte first. False when the stream refused a byte.
    static bool writeBigEndian32(std::uint32_t value, std::FILE* stream);

private:
    bool writeRaw(const void* data, std::size_t size);
    bool header32(std::uint32_t value);
    void fail(const std::string& what);

    std::FILE* file_ = nullptr;
    std::vector<ChunkRecord> stack_; // grows on demand, never shrunk while open
    int depth_ = 0;
    bool failed_ = false;
    std::string error_;
};

} // namespace vl2

#pragma once
// The table of chunk decoders. A decoder turns the contents of one kind of
// chunk into named fields. To add one: write a DecodeFn (see the existing
// ones in decoders_*.cpp) and add its entry to the table in DecoderTable.cpp.

#include "chunkread/ChunkReader.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vl2::chunkread {

// A problem inside a chunk's contents; the offset is the file offset of the
// byte that could not be decoded.
class DecodeError : public std::runtime_error {
public:
    DecodeError(std::uint64_t offset, const std::string& message) : std::runtime_error(message), offset_(offset) {}
    std::uint64_t offset() const { return offset_; }

private:
    std::uint64_t offset_;
};

// Bounded little-endian reading of contents. Every read checks the bytes left
// first and throws DecodeError when they do not suffice.
class ByteCursor {
public:
    ByteCursor(const std::uint8_t* data, std::uint64_t size, std::uint64_t fileOffset)
        : data_(data), size_(size), base_(fileOffset) {}

    std::uint64_t remaining() const { return size_ - pos_; }
    std::uint64_t position() const { return pos_; }
    std::uint64_t fileOffset() const { return base_ + pos_; }
    bool atEnd() const { return pos_ == size_; }

    void need(std::uint64_t bytes, const char* what) const;
    // count items of at least bytesEach bytes must fit: checked before any
    // container is sized from a count read out of the file.
    void needItems(std::uint64_t count, std::uint64_t bytesEach, const char* what) const;

    std::uint8_t u8(const char* what = "byte");
    std::uint16_t u16(const char* what = "16-bit value");
    std::uint32_t u32(const char* what = "32-bit value");
    float f32(const char* what = "float");
    std::string chars(std::uint64_t count, const char* what = "characters");
    // 32-bit length, then that many characters.
    std::string string(const char* what = "string");
    void skip(std::uint64_t count, const char* what = "bytes");
    const std::uint8_t* here() const { return data_ + pos_; }

private:
    const std::uint8_t* data_;
    std::uint64_t size_;
    std::uint64_t base_;
    std::uint64_t pos_ = 0;
};

class Parser;

// What a decoder works with: the contents, the chunk and its parent, the
// fields to fill, and (for layouts that end in sub-chunks) child parsing.
class DecodeContext {
public:
    DecodeContext(ByteCursor& in, Chunk& chunk, const Chunk* parent, Parser& parser, int depth)
        : in(in), chunk(chunk), parent(parent), parser_(parser), depth_(depth) {}

    ByteCursor& in;
    Chunk& chunk;
    const Chunk* parent; // nullptr at top level

    Value& fields() { return chunk.fields; }
    // Parses the rest of the contents as sub-chunks into chunk.children.
    // Returns false when they are not well formed (problems are recorded).
    bool parseChildren();

private:
    Parser& parser_;
    int depth_;
};

using DecodeFn = void (*)(DecodeContext& ctx);

// How a chunk's contents are laid out.
enum class Contents {
    Chunks, // a sequence of sub-chunks (the decoder, if any, runs after them)
    Data,   // raw data read by the decoder; bytes it leaves are a problem
};

struct DecoderEntry {
    ChunkKind kind;
    const char* id;          // four characters
    const char* parent;      // identifier of the enclosing chunk; nullptr = anywhere
    std::uint32_t version;   // NRML version; 0 = any
    Contents contents;
    DecodeFn decode;         // may be nullptr (pure container)
    const char* description;
};

// The table, and its lookup: the most specific entry (parent and version
// given beat wildcards) for this chunk, or nullptr.
const DecoderEntry* decoderTable(std::size_t& count);
const DecoderEntry* findDecoder(ChunkKind kind, std::uint32_t id, const Chunk* parent, std::uint32_t version);

// Decoders, grouped by the part of the file they read.
namespace decoders {
void version(DecodeContext& ctx);
void name(DecodeContext& ctx);
void badData(DecodeContext& ctx);
void messageText(DecodeContext& ctx);
void owner(DecodeContext& ctx);
void hierarchy(DecodeContext& ctx);
void simpleMesh(DecodeContext& ctx);
void basicMesh(DecodeContext& ctx);
void multiMesh(DecodeContext& ctx);
void material(DecodeContext& ctx);
void lights(DecodeContext& ctx);
void texture(DecodeContext& ctx);
} // namespace decoders

} // namespace vl2::chunkread

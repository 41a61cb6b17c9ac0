#pragma once
// Reader of the chunk container, written independently of the writer so that
// tests check byte layouts with code that did not produce them.
//
// Parsing never trusts a size: every size and count is checked against the
// bytes that remain in the enclosing chunk (or the file) before anything is
// read or allocated. Problems are collected with the file offset they concern;
// parsing of a sequence stops at its first structural problem but siblings of
// the enclosing chunk are still read.

#include "chunkread/Value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vl2::chunkread {

enum class ChunkKind { Form, Nrml, Plain };
const char* kindName(ChunkKind kind); // "FORM", "NRML", "plain"

// "ABCD" as a number, first character most significant; and back.
std::uint32_t idFromText(std::string_view text);
std::string idToText(std::uint32_t id);

struct Chunk {
    ChunkKind kind = ChunkKind::Plain;
    std::uint32_t id = 0;
    std::string name;              // the identifier as text, "HVMD"
    std::uint32_t version = 0;     // NRML only
    std::uint64_t offset = 0;      // of the first header byte
    std::uint32_t size = 0;        // the size field as stored
    std::uint64_t dataOffset = 0;  // first byte of the contents (after id/version)
    std::uint64_t dataSize = 0;    // bytes of contents
    std::vector<Chunk> children;
    Value fields = Value::record(); // decoded fields; empty record when none
    bool decoded = false;           // a decoder of the table ran successfully
    std::string decoder;            // description of the table entry used, if any

    std::uint64_t end() const { return dataOffset + dataSize; }
    const Value* field(std::string_view path) const { return fields.find(path); }
    // First direct child with the identifier, or nullptr.
    const Chunk* child(std::string_view id) const;
    std::vector<const Chunk*> childrenWithId(std::string_view id) const;
};

struct Problem {
    std::uint64_t offset = 0;
    std::string message;
};

struct ReadOptions {
    // Files are read whole; anything larger is refused up front.
    std::uint64_t maxFileSize = 256ull << 20;
    // Deeper nesting is reported as a problem instead of recursing further.
    int maxDepth = 256;
    // Total content bytes handed to decoders; beyond it chunks are listed
    // without fields, which bounds the memory of decoded values.
    std::uint64_t maxDecodedBytes = 64ull << 20;
    // Verifying only (vl2inspect --check): every chunk is decoded, so every
    // decoder's checks run whatever the file's size, and the decoded fields
    // are dropped as soon as no decoder reads them any more, which bounds the
    // memory by the largest chunk instead of the decode limit.
    bool checkOnly = false;
};

class ChunkFile {
public:
    std::string path;
    std::uint64_t fileSize = 0;
    std::vector<std::uint8_t> bytes; // the whole file, for raw checks
    std::vector<Chunk> chunks; // top level, in file order
    std::vector<Problem> problems;

    bool ok() const { return problems.empty(); }
    // "offset 24: ..." lines, one per problem.
    std::string problemText() const;

    // Path of identifiers from the top level, "INFO/OWNR". A segment "*"
    // matches any identifier. Returns the first match in file order.
    const Chunk* find(std::string_view path) const;
    std::vector<const Chunk*> findAll(std::string_view path) const;
    // Every chunk with the identifier at any depth, depth-first in file order.
    std::vector<const Chunk*> findDeep(std::string_view id) const;
    // Number of chunks at every depth.
    std::size_t chunkCount() const;
};

ChunkFile readChunkFile(const std::string& path, const ReadOptions& options = {});
ChunkFile parseChunkBytes(std::vector<std::uint8_t> bytes, const ReadOptions& options = {});

} // namespace vl2::chunkread

#include "chunkread/ChunkReader.h"

#include "chunkread/Decoders.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include <sys/stat.h>

namespace vl2::chunkread {

namespace {

constexpr std::uint32_t kForm = 0x464F524Du; // "FORM"
constexpr std::uint32_t kNrml = 0x4E524D4Cu; // "NRML"

std::uint32_t be32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

bool printableId(std::uint32_t id)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned c = (id >> shift) & 0xFFu;
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

std::string hexBytes(const std::uint8_t* p, std::size_t n)
{
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", p[i]);
        if (i != 0)
            out += ' ';
        out += buf;
    }
    return out;
}

std::string where(const Chunk* parent)
{
    if (parent == nullptr)
        return "the file";
    return "'" + parent->name + "' (offset " + std::to_string(parent->offset) + ")";
}

void collect(const std::vector<Chunk>& chunks, const std::vector<std::string_view>& parts, std::size_t level,
             std::vector<const Chunk*>& out, bool firstOnly)
{
    for (const Chunk& chunk : chunks) {
        if (firstOnly && !out.empty())
            return;
        if (parts[level] != "*" && parts[level] != chunk.name)
            continue;
        if (level + 1 == parts.size())
            out.push_back(&chunk);
        else
            collect(chunk.children, parts, level + 1, out, firstOnly);
    }
}

void collectDeep(const std::vector<Chunk>& chunks, std::string_view id, std::vector<const Chunk*>& out)
{
    for (const Chunk& chunk : chunks) {
        if (chunk.name == id)
            out.push_back(&chunk);
        collectDeep(chunk.children, id, out);
    }
}

std::vector<std::string_view> splitPath(std::string_view path)
{
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        if (slash != 0)
            parts.push_back(path.substr(0, slash));
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return parts;
}

std::size_t countChunks(const std::vector<Chunk>& chunks)
{
    std::size_t n = chunks.size();
    for (const Chunk& chunk : chunks)
        n += countChunks(chunk.children);
    return n;
}

} // namespace

// Walks the bytes of one file; owns the problem list while parsing.
class Parser {
public:
    Parser(const std::vector<std::uint8_t>& bytes, const ReadOptions& options, std::vector<Problem>& problems)
        : bytes_(bytes), options_(options), problems_(problems) {}

    // `fieldsRead`: a decoder reads the children's fields after the sequence.
    bool parseSequence(std::uint64_t begin, std::uint64_t end, const Chunk* parent, int depth, std::vector<Chunk>& out,
                       bool fieldsRead = false);

    void problem(std::uint64_t offset, std::string message) { problems_.push_back({offset, std::move(message)}); }

private:
    bool parseOne(std::uint64_t pos, std::uint64_t end, const Chunk* parent, int depth, Chunk& chunk);
    void decodeContents(Chunk& chunk, const Chunk* parent, int depth);

    const std::vector<std::uint8_t>& bytes_;
    const ReadOptions& options_;
    std::vector<Problem>& problems_;
    std::uint64_t decodedBytes_ = 0;
};

namespace {

void dropFields(Chunk& chunk)
{
    chunk.fields = Value::record();
    for (Chunk& child : chunk.children)
        dropFields(child);
}

} // namespace

bool Parser::parseSequence(std::uint64_t begin, std::uint64_t end, const Chunk* parent, int depth,
                           std::vector<Chunk>& out, bool fieldsRead)
{
    if (depth > options_.maxDepth) {
        problem(begin, "chunks nested deeper than " + std::to_string(options_.maxDepth) + " levels");
        return false;
    }
    std::uint64_t pos = begin;
    while (pos < end) {
        Chunk chunk;
        if (!parseOne(pos, end, parent, depth, chunk))
            return false; // the rest of this sequence cannot be located
        pos = chunk.end();
        if (options_.checkOnly && !fieldsRead)
            dropFields(chunk); // checked; nothing reads its values any more
        out.push_back(std::move(chunk));
    }
    return true;
}

bool Parser::parseOne(std::uint64_t pos, std::uint64_t end, const Chunk* parent, int depth, Chunk& chunk)
{
    const std::uint64_t remaining = end - pos;
    const std::uint8_t* p = bytes_.data() + pos;
    if (remaining < 8) {
        problem(pos, "truncated chunk header: " + std::to_string(remaining) + " byte(s) left in " + where(parent) +
                         ", a header needs 8");
        return false;
    }
    const std::uint32_t word = be32(p);
    if (!printableId(word)) {
        if (pos == 0)
            problem(pos, "not a chunk file: the first bytes " + hexBytes(p, 4) +
                             " are not a four-character chunk identifier");
        else
            problem(pos, "bytes " + hexBytes(p, 4) + " in " + where(parent) + " are not a chunk identifier");
        return false;
    }
    const std::uint32_t size = be32(p + 4);
    chunk.offset = pos;
    chunk.size = size;
    if (size > remaining - 8) {
        std::string what = "chunk '" + idToText(word) + "'";
        if ((word == kForm || word == kNrml) && remaining >= 12 && printableId(be32(p + 8)))
            what = idToText(word) + " '" + idToText(be32(p + 8)) + "'";
        problem(pos, what + " declares size " + std::to_string(size) + " but only " +
                         std::to_string(remaining - 8) + " byte(s) remain in " + where(parent));
        return false;
    }
    std::uint64_t header = 8;
    if (word == kForm || word == kNrml) {
        const std::uint32_t need = word == kForm ? 4 : 8;
        if (size < need) {
            problem(pos, std::string(word == kForm ? "FORM" : "NRML") + " chunk has size " + std::to_string(size) +
                             ", too small for its " + (word == kForm ? "identifier" : "identifier and version") +
                             " (needs " + std::to_string(need) + ")");
            return false;
        }
        chunk.kind = word == kForm ? ChunkKind::Form : ChunkKind::Nrml;
        chunk.id = be32(p + 8);
        if (!printableId(chunk.id)) {
            problem(pos + 8, "bytes " + hexBytes(p + 8, 4) + " of the " + kindName(chunk.kind) +
                                 " chunk at offset " + std::to_string(pos) + " are not a chunk identifier");
            return false;
        }
        if (chunk.kind == ChunkKind::Nrml)
            chunk.version = be32(p + 12);
        header += need;
    } else {
        chunk.kind = ChunkKind::Plain;
        chunk.id = word;
    }
    chunk.name = idToText(chunk.id);
    chunk.dataOffset = pos + header;
    chunk.dataSize = std::uint64_t(size) + 8 - header;
    decodeContents(chunk, parent, depth);
    return true;
}

void Parser::decodeContents(Chunk& chunk, const Chunk* parent, int depth)
{
    const DecoderEntry* entry = findDecoder(chunk.kind, chunk.id, parent, chunk.version);
    const Contents contents = entry != nullptr ? entry->contents
                              : chunk.kind == ChunkKind::Form ? Contents::Chunks
                                                              : Contents::Data;
    if (entry != nullptr)
        chunk.decoder = entry->description;

    if (contents == Contents::Chunks)
        parseSequence(chunk.dataOffset, chunk.end(), &chunk, depth + 1, chunk.children,
                      entry != nullptr && entry->decode != nullptr);
    if (entry == nullptr || entry->decode == nullptr) {
        chunk.decoded = entry != nullptr;
        return;
    }
    if (contents == Contents::Data) {
        if (!options_.checkOnly && decodedBytes_ + chunk.dataSize > options_.maxDecodedBytes) {
            chunk.decoder += " (not decoded: decode limit reached)";
            return;
        }
        decodedBytes_ += chunk.dataSize;
    }
    ByteCursor in(bytes_.data() + chunk.dataOffset, contents == Contents::Data ? chunk.dataSize : 0,
                  chunk.dataOffset);
    DecodeContext ctx(in, chunk, parent, *this, depth);
    try {
        entry->decode(ctx);
        if (!in.atEnd())
            throw DecodeError(in.fileOffset(), std::to_string(in.remaining()) + " byte(s) left after the decoded fields");
        chunk.decoded = true;
    } catch (const DecodeError& e) {
        problem(e.offset(), "in " + std::string(kindName(chunk.kind)) + " '" + chunk.name + "' at offset " +
                                std::to_string(chunk.offset) + ": " + e.what());
    }
}

bool DecodeContext::parseChildren()
{
    const std::uint64_t begin = in.fileOffset();
    const std::uint64_t end = begin + in.remaining();
    in.skip(in.remaining());
    return parser_.parseSequence(begin, end, &chunk, depth_ + 1, chunk.children, true);
}

const char* kindName(ChunkKind kind)
{
    switch (kind) {
    case ChunkKind::Form:
        return "FORM";
    case ChunkKind::Nrml:
        return "NRML";
    case ChunkKind::Plain:
        break;
    }
    return "plain";
}

std::uint32_t idFromText(std::string_view text)
{
    std::uint32_t id = 0;
    for (std::size_t i = 0; i < 4; ++i)
        id = (id << 8) | (i < text.size() ? std::uint8_t(text[i]) : std::uint8_t(' '));
    return id;
}

std::string idToText(std::uint32_t id)
{
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i)
        text[static_cast<std::size_t>(i)] = static_cast<char>((id >> (24 - 8 * i)) & 0xFFu);
    return text;
}

const Chunk* Chunk::child(std::string_view id) const
{
    for (const Chunk& c : children)
        if (c.name == id)
            return &c;
    return nullptr;
}

std::vector<const Chunk*> Chunk::childrenWithId(std::string_view id) const
{
    std::vector<const Chunk*> out;
    for (const Chunk& c : children)
        if (c.name == id)
            out.push_back(&c);
    return out;
}

std::string ChunkFile::problemText() const
{
    std::ostringstream out;
    for (const Problem& p : problems)
        out << "offset " << p.offset << ": " << p.message << '\n';
    return out.str();
}

const Chunk* ChunkFile::find(std::string_view path) const
{
    const std::vector<std::string_view> parts = splitPath(path);
    if (parts.empty())
        return nullptr;
    std::vector<const Chunk*> out;
    collect(chunks, parts, 0, out, true);
    return out.empty() ? nullptr : out.front();
}

std::vector<const Chunk*> ChunkFile::findAll(std::string_view path) const
{
    const std::vector<std::string_view> parts = splitPath(path);
    std::vector<const Chunk*> out;
    if (!parts.empty())
        collect(chunks, parts, 0, out, false);
    return out;
}

std::vector<const Chunk*> ChunkFile::findDeep(std::string_view id) const
{
    std::vector<const Chunk*> out;
    collectDeep(chunks, id, out);
    return out;
}

std::size_t ChunkFile::chunkCount() const
{
    return countChunks(chunks);
}

ChunkFile parseChunkBytes(std::vector<std::uint8_t> bytes, const ReadOptions& options)
{
    ChunkFile file;
    file.fileSize = bytes.size();
    file.bytes = std::move(bytes);
    if (file.bytes.empty()) {
        file.problems.push_back({0, "the file is empty: no chunks"});
        return file;
    }
    Parser parser(file.bytes, options, file.problems);
    parser.parseSequence(0, file.bytes.size(), nullptr, 0, file.chunks);
    return file;
}

ChunkFile readChunkFile(const std::string& path, const ReadOptions& options)
{
    ChunkFile failed;
    failed.path = path;
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        failed.problems.push_back({0, "cannot open '" + path + "': " + std::strerror(errno)});
        return failed;
    }
    std::vector<std::uint8_t> bytes;
    bool tooLarge = false;
    struct stat info;
    if (fstat(fileno(f), &info) == 0 && S_ISREG(info.st_mode)) {
        if (static_cast<std::uint64_t>(info.st_size) > options.maxFileSize)
            tooLarge = true; // refused before reading a byte
        else
            bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    std::vector<std::uint8_t> buffer(1 << 16);
    while (!tooLarge) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
        if (bytes.size() + n > options.maxFileSize) {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + static_cast<long>(n));
        if (n < buffer.size())
            break;
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (tooLarge) {
        failed.problems.push_back(
            {0, "'" + path + "' is larger than the " + std::to_string(options.maxFileSize) + " bytes this reader accepts"});
        return failed;
    }
    if (readError) {
        failed.problems.push_back({0, "cannot read '" + path + "'"});
        return failed;
    }
    ChunkFile file = parseChunkBytes(std::move(bytes), options);
    file.path = path;
    return file;
}

} // namespace vl2::chunkread

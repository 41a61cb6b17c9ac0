#include "chunkread/Render.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace vl2::chunkread {

namespace {

constexpr std::size_t kShortList = 16;   // scalars shown per list
constexpr std::size_t kShortRecords = 8; // records shown per list
constexpr std::size_t kPreviewBytes = 16;

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    char buf[8];
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (c < 0x20 || c > 0x7E) {
                std::snprintf(buf, sizeof buf, "\\x%02X", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    char buf[8];
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c > 0x7E) {
            // Bytes, not necessarily UTF-8: each becomes its own code point.
            std::snprintf(buf, sizeof buf, "\\u%04X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string scalarText(const Value& v)
{
    switch (v.type()) {
    case Value::Type::Int:
        return std::to_string(v.asInt());
    case Value::Type::Float:
        return formatFloat(v.asDouble());
    case Value::Type::String:
        return quoted(v.asString());
    default:
        return "?";
    }
}

bool isScalar(const Value& v)
{
    return v.isInt() || v.isFloat() || v.isString() || v.isNone();
}

bool allScalars(const Value& list)
{
    for (const Value& item : list.items())
        if (!isScalar(item))
            return false;
    return true;
}

void printValue(std::ostream& out, const std::string& label, const Value& v, int indent, const RenderOptions& opt);

void printFields(std::ostream& out, const Value& record, int indent, const RenderOptions& opt)
{
    for (std::size_t i = 0; i < record.size(); ++i)
        printValue(out, record.keys()[i], record.items()[i], indent, opt);
}

void printValue(std::ostream& out, const std::string& label, const Value& v, int indent, const RenderOptions& opt)
{
    const std::string pad(static_cast<std::size_t>(indent) * 2, ' ');
    if (isScalar(v)) {
        out << pad << label << ": " << scalarText(v) << '\n';
        return;
    }
    if (v.isRecord()) {
        out << pad << label << ":\n";
        printFields(out, v, indent + 1, opt);
        return;
    }
    if (allScalars(v)) {
        const std::size_t shown = opt.full ? v.size() : std::min(v.size(), kShortList);
        out << pad << label << ": [";
        for (std::size_t i = 0; i < shown; ++i)
            out << (i ? ", " : "") << scalarText(v[i]);
        if (shown < v.size())
            out << ", ... (" << v.size() - shown << " more)";
        out << "]\n";
        return;
    }
    const std::size_t shown = opt.full ? v.size() : std::min(v.size(), kShortRecords);
    out << pad << label << ": (" << v.size() << ")\n";
    for (std::size_t i = 0; i < shown; ++i) {
        const Value& item = v[i];
        const std::string itemLabel = "[" + std::to_string(i) + "]";
        if (item.isRecord()) {
            out << pad << "  " << itemLabel << '\n';
            printFields(out, item, indent + 2, opt);
        } else {
            printValue(out, itemLabel, item, indent + 1, opt);
        }
    }
    if (shown < v.size())
        out << pad << "  ... (" << v.size() - shown << " more)\n";
}

std::string hexPreview(const ChunkFile& file, const Chunk& chunk, std::size_t limit)
{
    std::string out;
    char buf[4];
    const std::uint64_t n = std::min<std::uint64_t>(chunk.dataSize, limit);
    for (std::uint64_t i = 0; i < n && chunk.dataOffset + i < file.bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", file.bytes[chunk.dataOffset + i]);
        if (i)
            out += ' ';
        out += buf;
    }
    return out;
}

void printChunk(std::ostream& out, const ChunkFile& file, const Chunk& chunk, int indent, const RenderOptions& opt)
{
    const std::string pad(static_cast<std::size_t>(indent) * 2, ' ');
    out << pad << kindName(chunk.kind) << ' ' << chunk.name;
    if (chunk.kind == ChunkKind::Nrml)
        out << " version " << chunk.version;
    out << " size " << chunk.size << " at " << chunk.offset;
    if (!chunk.decoder.empty())
        out << "  (" << chunk.decoder << ')';
    out << '\n';
    printFields(out, chunk.fields, indent + 1, opt);
    if (chunk.children.empty() && chunk.fields.size() == 0 && chunk.dataSize > 0 && !chunk.decoded) {
        out << pad << "  data: " << chunk.dataSize << " byte(s): " << hexPreview(file, chunk, kPreviewBytes)
            << (chunk.dataSize > kPreviewBytes ? " ..." : "") << '\n';
    }
    for (const Chunk& child : chunk.children)
        printChunk(out, file, child, indent + 1, opt);
}

void jsonValue(std::ostream& out, const Value& v)
{
    switch (v.type()) {
    case Value::Type::None:
        out << "null";
        return;
    case Value::Type::Int:
        out << v.asInt();
        return;
    case Value::Type::Float: {
        const double d = v.asDouble();
        if (std::isnan(d))
            out << "\"nan\"";
        else if (std::isinf(d))
            out << (d > 0 ? "\"inf\"" : "\"-inf\"");
        else
            out << formatFloat(d);
        return;
    }
    case Value::Type::String:
        out << jsonString(v.asString());
        return;
    case Value::Type::List:
        out << '[';
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (i)
                out << ',';
            jsonValue(out, v[i]);
        }
        out << ']';
        return;
    case Value::Type::Record:
        out << '{';
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (i)
                out << ',';
            out << jsonString(v.keys()[i]) << ':';
            jsonValue(out, v.items()[i]);
        }
        out << '}';
        return;
    }
}

void jsonChunk(std::ostream& out, const ChunkFile& file, const Chunk& chunk)
{
    out << "{\"kind\":" << jsonString(kindName(chunk.kind)) << ",\"id\":" << jsonString(chunk.name);
    if (chunk.kind == ChunkKind::Nrml)
        out << ",\"version\":" << chunk.version;
    out << ",\"size\":" << chunk.size << ",\"offset\":" << chunk.offset << ",\"dataOffset\":" << chunk.dataOffset
        << ",\"dataSize\":" << chunk.dataSize;
    if (!chunk.decoder.empty())
        out << ",\"decoder\":" << jsonString(chunk.decoder);
    out << ",\"decoded\":" << (chunk.decoded ? "true" : "false");
    if (!chunk.decoded && chunk.children.empty() && chunk.dataSize > 0)
        out << ",\"preview\":" << jsonString(hexPreview(file, chunk, 32));
    out << ",\"fields\":";
    jsonValue(out, chunk.fields);
    out << ",\"children\":[";
    for (std::size_t i = 0; i < chunk.children.size(); ++i) {
        if (i)
            out << ',';
        jsonChunk(out, file, chunk.children[i]);
    }
    out << "]}";
}

} // namespace

std::string formatFloat(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    const float target = static_cast<float>(value);
    char buf[64];
    // Exponent notation only for very large or small magnitudes: 10, not 1e+01.
    const double magnitude = std::fabs(static_cast<double>(target));
    const bool plainRange = magnitude == 0.0 || (magnitude >= 1e-5 && magnitude < 1e9);
    for (int precision = 1; precision <= 9; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, static_cast<double>(target));
        if (std::strtof(buf, nullptr) == target && (!plainRange || std::strchr(buf, 'e') == nullptr))
            return buf;
    }
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(target));
    return buf;
}

void printTree(const ChunkFile& file, std::ostream& out, const RenderOptions& options)
{
    for (const Chunk& chunk : file.chunks)
        printChunk(out, file, chunk, 0, options);
}

void writeJson(const ChunkFile& file, std::ostream& out)
{
    out << "{\"file\":" << jsonString(file.path) << ",\"size\":" << file.fileSize
        << ",\"ok\":" << (file.ok() ? "true" : "false") << ",\"problems\":[";
    for (std::size_t i = 0; i < file.problems.size(); ++i) {
        if (i)
            out << ',';
        out << "{\"offset\":" << file.problems[i].offset << ",\"message\":" << jsonString(file.problems[i].message)
            << '}';
    }
    out << "],\"chunks\":[";
    for (std::size_t i = 0; i < file.chunks.size(); ++i) {
        if (i)
            out << ',';
        jsonChunk(out, file, file.chunks[i]);
    }
    out << "]}\n";
}

std::string toJson(const ChunkFile& file)
{
    std::ostringstream out;
    writeJson(file, out);
    return out.str();
}

} // namespace vl2::chunkread

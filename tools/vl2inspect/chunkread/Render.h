#pragma once
// Text and JSON views of a parsed chunk file.

#include "chunkread/ChunkReader.h"

#include <ostream>
#include <string>

namespace vl2::chunkread {

struct RenderOptions {
    bool full = false; // print every list item instead of the first few
};

// Indented tree: one line per chunk (kind, identifier, version, size, offset),
// its decoded fields below it.
void printTree(const ChunkFile& file, std::ostream& out, const RenderOptions& options = {});

// The same tree as one JSON document (always complete). Texts are escaped so
// that the output is valid JSON whatever bytes they hold; non-finite floats
// are written as the strings "nan", "inf" and "-inf".
void writeJson(const ChunkFile& file, std::ostream& out);
std::string toJson(const ChunkFile& file);

// Shortest decimal text that reads back as the same single-precision float.
std::string formatFloat(double value);

} // namespace vl2::chunkread
